#include "control/CameraSession.h"

#include "control/RawVisca.h"
#include "control/SessionOperations.h"

#include "models/ModelIdentifier.h"
#include "models/ViscaModuleFactory.h"
#include "models/ViscaParamOps.h"
#include "settings/PanelSettings.h"
#include "visca/CameraWorker.h"
#include "visca/viscaIpModule.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

using Link = CameraWorker::Link;

// Pause after each operator command: paces the camera, not the operator.
constexpr int commandPauseMs = 50;
constexpr int checkTries = 5;
constexpr int checkRetryMs = 200;

// Merge kinds of the tally lamps, beyond those of the settings.
constexpr int tallyMergeKind = 100;

// Motion channels of the worker.
enum Channel { PanTilt = 1, Zoom, Focus };

CameraSession::Outcome outcomeOf(CameraWorker::Outcome outcome)
{
	switch (outcome) {
	case CameraWorker::Outcome::Completed:
		return CameraSession::Outcome::Completed;
	case CameraWorker::Outcome::Failed:
		return CameraSession::Outcome::Failed;
	case CameraWorker::Outcome::Dropped:
		break;
	}
	return CameraSession::Outcome::Dropped;
}

struct ReadResult {
	bool answered = false;
	int value = 0;
};

} // namespace

using namespace SessionOperations;

CameraSession::CameraSession(int slot, QObject *parent) : QObject(parent), m_slot(slot)
{
	m_checkTimer = new QTimer(this);
	m_checkTimer->setInterval(defaultCheckInterval);
	connect(m_checkTimer, &QTimer::timeout, this, &CameraSession::checkLink);
}

CameraSession::~CameraSession()
{
	shutdown();
}

QString CameraSession::modelName() const
{
	return m_model ? QString::fromStdString(m_model->modelName()) : QString();
}

QString CameraSession::settingsPrefix() const
{
	return m_address + modelName();
}

void CameraSession::setCheckInterval(int milliseconds)
{
	m_checkTimer->setInterval(milliseconds);
}

void CameraSession::setState(State state)
{
	if (m_state == state)
		return;
	m_state = state;
	emit stateChanged(state);
}

void CameraSession::setAddress(const QString &address)
{
	const QString trimmed = address.trimmed();
	if (trimmed == m_address && (m_worker != nullptr || trimmed.isEmpty() || !m_started))
		return;
	m_address = trimmed;
	retireWorker();
	m_model.reset();
	std::fill(std::begin(m_speeds), std::end(m_speeds), -1);
	if (m_address.isEmpty()) {
		setState(State::NoAddress);
		return;
	}
	if (m_started) {
		setState(State::Connecting);
		connectCamera();
	}
}

void CameraSession::start()
{
	if (m_started)
		return;
	m_started = true;
	m_checkTimer->start();
	if (!m_address.isEmpty()) {
		setState(State::Connecting);
		connectCamera();
	}
}

void CameraSession::shutdown()
{
	m_started = false;
	m_checkTimer->stop();
	if (m_worker != nullptr) {
		m_worker->stop();
		delete m_worker;
		m_worker = nullptr;
	}
	m_connecting = m_checking = false;
}

bool CameraSession::isIdle() const
{
	return !m_connecting && !m_checking && (m_worker == nullptr || m_worker->isIdle());
}

void CameraSession::retireWorker()
{
	if (m_worker != nullptr)
		m_worker->retire();
	m_worker = nullptr;
	m_connecting = m_checking = false;
}

// Identifies the model at the address and opens its link; a new link gets the speeds confirmed before.
void CameraSession::connectCamera()
{
	if (m_address.isEmpty() || m_connecting)
		return;
	if (m_worker == nullptr)
		m_worker = new CameraWorker(this);
	m_connecting = true;
	const QString ip = m_address;
	const int port = m_port;
	std::array<int, 4> speeds;
	std::copy(std::begin(m_speeds), std::end(m_speeds), speeds.begin());
	CameraWorker *worker = m_worker;
	m_worker->post<std::shared_ptr<ViscaParamOps>>(
		CameraWorker::neverMerged,
		[ip, port, speeds](Link &link) -> std::shared_ptr<ViscaParamOps> {
			ModelIdentifier identifier(port);
			const CameraModelMap found = identifier.identifyCamera(ip);
			if (found.empty() || !found.begin()->second.params)
				return nullptr;
			std::shared_ptr<ViscaParamOps> ops = found.begin()->second.params;
			link.reset(createViscaModule(QString::fromStdString(ops->modelName())));
			link->connectCamera(ip, port);
			for (int i = 0; i < 4; ++i) {
				if (speeds[size_t(i)] >= 0)
					setLinkSpeed(*link, i, speeds[size_t(i)]);
			}
			return ops;
		},
		this,
		[this, worker](const std::shared_ptr<ViscaParamOps> &ops) {
			if (worker != m_worker)
				return;
			m_connecting = false;
			if (ops) {
				m_model = ops;
				// A camera that comes back is shown anew, even as the same model.
				if (m_state == State::Connected)
					setState(State::Connecting);
				setState(State::Connected);
			} else {
				setState(State::NotAnswering);
			}
		});
}

void CameraSession::checkLink()
{
	if (m_worker == nullptr && !m_address.isEmpty() && m_started) {
		connectCamera();
		return;
	}
	if (m_worker == nullptr || m_connecting || m_checking ||
	    (m_state != State::Connected && m_state != State::NotAnswering))
		return;
	m_checking = true;
	CameraWorker *worker = m_worker;
	// 1: alive, 0: silent, -1: there is no link yet (never identified).
	m_worker->post<int>(
		CameraWorker::neverMerged,
		[worker](Link &link) {
			if (!link)
				return -1;
			for (int attempt = 0; attempt < checkTries; ++attempt) {
				if (link->isCameraAlive())
					return 1;
				if (CameraWorker::stopRequested())
					break;
				worker->pause(checkRetryMs);
			}
			return 0;
		},
		this,
		[this, worker](const int &alive) {
			if (worker != m_worker)
				return;
			m_checking = false;
			if (m_state == State::NotAnswering) {
				if (alive != 0)
					connectCamera();
			} else if (alive == 0) {
				setState(State::NotAnswering);
			}
		});
}

bool CameraSession::command(int kind, std::function<bool(viscaIpModule &)> operation, Done done)
{
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->postCommand(
		kind,
		[operation](Link &link) {
			if (!link)
				return false;
			const bool ok = operation(*link);
			CameraWorker::sleepFor(commandPauseMs);
			return ok;
		},
		this,
		done ? [done](CameraWorker::Outcome outcome) { done(outcomeOf(outcome)); } : CameraWorker::Finished());
	return true;
}

// Motions are paced like every operator command, but for a stop whose position inquiry follows at once.
bool CameraSession::motion(int channel, bool stop, std::function<bool(viscaIpModule &)> operation, Done done,
			   bool paced)
{
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->postMotion(
		channel, stop,
		[operation, paced](Link &link) {
			if (!link)
				return false;
			const bool ok = operation(*link);
			if (paced)
				CameraWorker::sleepFor(commandPauseMs);
			return ok;
		},
		this,
		done ? [done](CameraWorker::Outcome outcome) { done(outcomeOf(outcome)); } : CameraWorker::Finished());
	return true;
}

bool CameraSession::refuseLocked()
{
	if (!m_locked || m_state != State::Connected)
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
	if (m_model) {
		const ParamTable table = m_model->presetSpeeds();
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
	if (m_state != State::Connected || !m_model)
		return -1;
	const ViscaParamOps &ops = *m_model;
	const int bounds[4][2] = {{ops.panSpeedMin(), ops.panSpeedMax()},
				  {ops.tiltSpeedMin(), ops.tiltSpeedMax()},
				  {ops.zoomSpeedMin(), ops.zoomSpeedMax()},
				  {ops.focusSpeedMin(), ops.focusSpeedMax()}};
	const int index = static_cast<int>(speed);
	const int clamped = qBound(bounds[index][0], value, qMax(bounds[index][0], bounds[index][1]));
	m_speeds[index] = clamped;
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
	if (!m_model)
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
	const int pan = qBound<int>(m_model->panSpeedMin(), panSpeed, m_model->panSpeedMax());
	const int tilt = qBound<int>(m_model->tiltSpeedMin(), tiltSpeed, m_model->tiltSpeedMax());
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
	if (!m_model)
		return false;
	const int clamped = qBound(qMax<int>(0, m_model->zoomSpeedMin()), speed, qMin<int>(7, m_model->zoomSpeedMax()));
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
	if (m_state != State::Connected || !m_model)
		return false;
	const ViscaParamOps &ops = *m_model;
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
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->post<ReadResult>(
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
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->post<RawVisca::Result>(
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
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->post(CameraWorker::neverMerged, [milliseconds](Link &) { CameraWorker::sleepFor(milliseconds); });
	return true;
}

bool CameraSession::setTally(TallyLamp::Lamp lamp, bool on, Done done)
{
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	// A lamp is not an operator's command: no pause after it, so a recall of the same cut follows at once.
	m_worker->postCommand(
		tallyMergeKind + static_cast<int>(lamp),
		[lamp, on](Link &link) { return link ? TallyLamp::send(*link, lamp, on) : false; }, this,
		done ? [done](CameraWorker::Outcome outcome) { done(outcomeOf(outcome)); } : CameraWorker::Finished());
	return true;
}
