#include "control/CameraSession.h"

#include "control/RawVisca.h"
#include "control/SessionOperations.h"

#include "models/ViscaParamOps.h"
#include "settings/PanelSettings.h"
#include "visca/CameraWorker.h"
#include "visca/viscaIpModule.h"

#include <QElapsedTimer>
#include <QThread>

#include <atomic>

namespace {

using Link = CameraWorker::Link;

// Merge kinds of the tally lamps, beyond those of the settings.
constexpr int tallyMergeKind = 100;

// Motion channels of the worker.
enum Channel { PanTilt = 1, Zoom, Focus };

struct ReadResult {
	bool answered = false;
	int value = 0;
};

} // namespace

using namespace SessionOperations;

CameraSession::CameraSession(int slot, QObject *parent) : CameraConnection(parent), m_slot(slot) {}

CameraSession::~CameraSession()
{
	shutdown();
}

QString CameraSession::modelName() const
{
	const std::shared_ptr<ViscaParamOps> ops = model();
	return ops ? QString::fromStdString(ops->modelName()) : QString();
}

QString CameraSession::settingsPrefix() const
{
	return address() + modelName();
}

bool CameraSession::refuseLocked()
{
	if (!m_locked || state() != State::Connected)
		return false;
	emit refused();
	return true;
}

bool CameraSession::move(Direction direction, Done done)
{
	if (refuseLocked())
		return false;
	using Drive = bool (viscaIpModule::*)();
	static const Drive drives[] = {&viscaIpModule::moveUp,       &viscaIpModule::moveDown,
				       &viscaIpModule::moveLeft,     &viscaIpModule::moveRight,
				       &viscaIpModule::moveUpLeft,   &viscaIpModule::moveUpRight,
				       &viscaIpModule::moveDownLeft, &viscaIpModule::moveDownRight};
	const Drive drive = drives[static_cast<int>(direction)];
	return motion(
		PanTilt, false, [drive](viscaIpModule &link) { return (link.*drive)(); }, done);
}

bool CameraSession::stopMove(Done done)
{
	return motion(
		PanTilt, true, [](viscaIpModule &link) { return link.panTiltStop(); }, done);
}

bool CameraSession::home(Done done)
{
	if (refuseLocked())
		return false;
	return command(
		CameraWorker::neverMerged, [](viscaIpModule &link) { return link.panTiltHome(); }, done);
}

bool CameraSession::zoom(bool in, Done done)
{
	if (refuseLocked())
		return false;
	return motion(
		Zoom, false, [in](viscaIpModule &link) { return in ? link.zoomTele() : link.zoomWide(); }, done);
}

bool CameraSession::focus(bool near, Done done)
{
	if (refuseLocked())
		return false;
	return motion(
		Focus, false, [near](viscaIpModule &link) { return near ? link.focusNear() : link.focusFar(); }, done);
}

bool CameraSession::stopZoom(Answer position, Done done)
{
	return stopLens(true, position, done);
}

bool CameraSession::stopFocus(Answer position, Done done)
{
	return stopLens(false, position, done);
}

// With a reader, the stop and the position inquiry go out together; without one, the stop is paced as any command.
bool CameraSession::stopLens(bool zoom, Answer position, Done done)
{
	const bool readBack = static_cast<bool>(position);
	const Value value = zoom ? Value::ZoomPosition : Value::FocusPosition;
	auto result = std::make_shared<ReadResult>();
	return motion(
		zoom ? Zoom : Focus, true,
		[result, readBack, zoom, value](viscaIpModule &link) {
			const bool ok = zoom ? link.zoomStop() : link.focusStop();
			if (readBack) {
				result->value = inquire(link, value);
				result->answered = link.lastInquiryAnswered();
			}
			return ok;
		},
		[this, result, position, done, value](Outcome outcome) {
			if (result->answered) {
				emit valueRead(value, result->value);
				position(true, result->value);
			}
			if (done)
				done(outcome);
		},
		!readBack);
}

bool CameraSession::set(Setting setting, int value, Done done)
{
	if ((setting == Setting::ZoomPosition || setting == Setting::FocusPosition) && refuseLocked())
		return false;
	return command(
		mergeKind(setting), [setting, value](viscaIpModule &link) { return apply(link, setting, value); },
		done);
}

bool CameraSession::whiteBalanceOnePush(Done done)
{
	return command(
		CameraWorker::neverMerged, [](viscaIpModule &link) { return link.whiteBalanceOnePush(); }, done);
}

// The number belongs to this camera's link, set and used in one operation.
bool CameraSession::recallPreset(int number, Done done)
{
	if (refuseLocked())
		return false;
	return command(
		CameraWorker::neverMerged,
		[number](viscaIpModule &link) {
			link.setPresetNumber(number);
			return link.recallPreset();
		},
		[this, number, done](Outcome outcome) {
			if (outcome == Outcome::Completed)
				emit presetRecalled(number);
			if (done)
				done(outcome);
		});
}

bool CameraSession::storePreset(int number, Done done)
{
	return command(
		CameraWorker::neverMerged,
		[number](viscaIpModule &link) {
			link.setPresetNumber(number);
			return link.storePreset();
		},
		done);
}

bool CameraSession::setPresetSpeed(const QString &label, Done done)
{
	int code = 0;
	if (const std::shared_ptr<ViscaParamOps> ops = model()) {
		const ParamTable table = ops->presetSpeeds();
		const auto it = table.find(label.toStdString());
		code = it == table.end() ? 0 : it->second;
	}
	if (!set(Setting::PresetSpeed, code, done))
		return false;
	PanelSettings::instance().setCameraValue(settingsPrefix(), PanelSettings::CameraField::PresetSpeed, label);
	return true;
}

int CameraSession::setSpeed(Speed speed, int value)
{
	const std::shared_ptr<ViscaParamOps> model = this->model();
	if (state() != State::Connected || !model)
		return -1;
	const ViscaParamOps &ops = *model;
	const int bounds[4][2] = {{ops.panSpeedMin(), ops.panSpeedMax()},
				  {ops.tiltSpeedMin(), ops.tiltSpeedMax()},
				  {ops.zoomSpeedMin(), ops.zoomSpeedMax()},
				  {ops.focusSpeedMin(), ops.focusSpeedMax()}};
	const int index = static_cast<int>(speed);
	const int clamped = qBound(bounds[index][0], value, qMax(bounds[index][0], bounds[index][1]));
	keepSpeed(index, clamped);
	command(CameraWorker::neverMerged,
		[index, clamped](viscaIpModule &link) {
			setLinkSpeed(link, index, clamped);
			return true;
		},
		{});
	static const PanelSettings::CameraField fields[] = {
		PanelSettings::CameraField::PanSpeed, PanelSettings::CameraField::TiltSpeed,
		PanelSettings::CameraField::ZoomSpeed, PanelSettings::CameraField::FocusSpeed};
	PanelSettings::instance().setCameraValue(settingsPrefix(), fields[index], QString::number(clamped));
	return clamped;
}

bool CameraSession::drive(int panDirection, int panSpeed, int tiltDirection, int tiltSpeed, Done done)
{
	const std::shared_ptr<ViscaParamOps> model = this->model();
	if (!model)
		return false;
	if (panDirection == 0 && tiltDirection == 0)
		return stopMove(done);
	using Drive = bool (viscaIpModule::*)();
	// By tilt (up, still, down) and pan (left, still, right).
	static const Drive drives[3][3] = {
		{&viscaIpModule::moveUpLeft, &viscaIpModule::moveUp, &viscaIpModule::moveUpRight},
		{&viscaIpModule::moveLeft, nullptr, &viscaIpModule::moveRight},
		{&viscaIpModule::moveDownLeft, &viscaIpModule::moveDown, &viscaIpModule::moveDownRight}};
	const Drive move = drives[1 - qBound(-1, tiltDirection, 1)][1 + qBound(-1, panDirection, 1)];
	const int pan = qBound<int>(model->panSpeedMin(), panSpeed, model->panSpeedMax());
	const int tilt = qBound<int>(model->tiltSpeedMin(), tiltSpeed, model->tiltSpeedMax());
	return motion(
		PanTilt, false,
		[move, pan, tilt, panDirection, tiltDirection](viscaIpModule &link) {
			// The link's own speeds are the panel's: lent for this drive only. A still axis keeps its byte.
			const int keptPan = link.panSpeed();
			const int keptTilt = link.tiltSpeed();
			if (panDirection != 0)
				link.setPanSpeed(pan);
			if (tiltDirection != 0)
				link.setTiltSpeed(tilt);
			const bool ok = (link.*move)();
			link.setPanSpeed(keptPan);
			link.setTiltSpeed(keptTilt);
			return ok;
		},
		done, false); // the pad paces its own drives
}

bool CameraSession::zoomAt(bool in, int speed, Done done)
{
	const std::shared_ptr<ViscaParamOps> model = this->model();
	if (!model)
		return false;
	const int clamped = qBound(qMax<int>(0, model->zoomSpeedMin()), speed, qMin<int>(7, model->zoomSpeedMax()));
	return motion(
		Zoom, false,
		[in, clamped](viscaIpModule &link) {
			const int kept = link.zoomSpeed();
			link.setZoomSpeed(clamped);
			const bool ok = in ? link.zoomTele() : link.zoomWide();
			link.setZoomSpeed(kept);
			return ok;
		},
		done, false); // the pad paces its own drives
}

void CameraSession::finishMotion(bool panTilt, bool zoom, int boundMs)
{
	auto sent = std::make_shared<std::atomic<int>>(0);
	int posted = 0;
	auto counted = [sent](bool (viscaIpModule::*stop)()) {
		return [sent, stop](viscaIpModule &link) {
			const bool ok = (link.*stop)();
			++*sent;
			return ok;
		};
	};
	if (panTilt && motion(PanTilt, true, counted(&viscaIpModule::panTiltStop), {}, false))
		++posted;
	if (zoom && motion(Zoom, true, counted(&viscaIpModule::zoomStop), {}, false))
		++posted;
	QElapsedTimer clock;
	clock.start();
	while (sent->load() < posted && clock.elapsed() < boundMs)
		QThread::msleep(1);
}

bool CameraSession::setLimit(Limit limit, int degrees)
{
	const std::shared_ptr<ViscaParamOps> model = this->model();
	if (state() != State::Connected || !model)
		return false;
	const ViscaParamOps &ops = *model;
	using Setter = void (viscaIpModule::*)(int, unsigned int, unsigned int);
	struct Row {
		Setter setter;
		unsigned int high, low;
		PanelSettings::CameraField field;
	};
	const Row rows[] = {
		{&viscaIpModule::setTiltUpLimit, ops.tiltUpLimitMax(), ops.tiltUpLimitMin(),
		 PanelSettings::CameraField::TiltUpLimit},
		{&viscaIpModule::setTiltDownLimit, ops.tiltDownLimitMax(), ops.tiltDownLimitMin(),
		 PanelSettings::CameraField::TiltDownLimit},
		{&viscaIpModule::setPanLeftLimit, ops.panLeftLimitMax(), ops.panLeftLimitMin(),
		 PanelSettings::CameraField::PanLeftLimit},
		{&viscaIpModule::setPanRightLimit, ops.panRightLimitMax(), ops.panRightLimitMin(),
		 PanelSettings::CameraField::PanRightLimit},
	};
	const Row row = rows[static_cast<int>(limit)];
	command(CameraWorker::neverMerged,
		[row, degrees](viscaIpModule &link) {
			(link.*row.setter)(degrees, row.high, row.low);
			return true;
		},
		{});
	PanelSettings::instance().setCameraValue(settingsPrefix(), row.field, QString::number(degrees));
	return true;
}

bool CameraSession::clearLimits()
{
	return command(CameraWorker::neverMerged, [](viscaIpModule &link) { return link.clearUpRightLimit(); }, {}) &&
	       command(CameraWorker::neverMerged, [](viscaIpModule &link) { return link.clearDownLeftLimit(); }, {});
}

bool CameraSession::read(Value value, QObject *context, Answer answer)
{
	CameraWorker *worker = connectedWorker();
	if (worker == nullptr)
		return false;
	worker->post<ReadResult>(
		CameraWorker::neverMerged,
		[value](Link &link) {
			ReadResult result;
			if (link) {
				result.value = inquire(*link, value);
				result.answered = link->lastInquiryAnswered();
			}
			return result;
		},
		context ? context : this,
		[this, value, answer](const ReadResult &result) {
			if (result.answered)
				emit valueRead(value, result.value);
			if (answer)
				answer(result.answered, result.value);
		});
	return true;
}

bool CameraSession::sendRaw(const QByteArray &visca, RawAnswer answer)
{
	CameraWorker *worker = connectedWorker();
	if (worker == nullptr)
		return false;
	worker->post<RawVisca::Result>(
		CameraWorker::neverMerged,
		[visca](Link &link) {
			if (!link)
				return RawVisca::Result();
			const RawVisca::Result result = RawVisca::exchange(*link, visca);
			// A command is paced like the others; an inquiry like a read.
			if (!RawVisca::isInquiry(visca))
				CameraWorker::sleepFor(commandPauseMs);
			return result;
		},
		this,
		[answer](const RawVisca::Result &result) {
			if (answer)
				answer(result.completed ? Outcome::Completed : Outcome::Failed, result.replies);
		});
	return true;
}

bool CameraSession::wait(int milliseconds)
{
	CameraWorker *worker = connectedWorker();
	if (worker == nullptr)
		return false;
	worker->post(CameraWorker::neverMerged, [milliseconds](Link &) { CameraWorker::sleepFor(milliseconds); });
	return true;
}

bool CameraSession::setTally(TallyLamp::Lamp lamp, bool on, Done done)
{
	// A lamp is not an operator's command: no pause after it, so a recall of the same cut follows at once.
	return command(
		tallyMergeKind + static_cast<int>(lamp),
		[lamp, on](viscaIpModule &link) { return TallyLamp::send(link, lamp, on); }, done, false);
}
