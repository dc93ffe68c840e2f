#include "control/CameraConnection.h"

#include "control/SessionOperations.h"

#include "models/ModelIdentifier.h"
#include "models/ViscaModuleFactory.h"
#include "models/ViscaParamOps.h"
#include "visca/viscaIpModule.h"

#include <QTimer>

#include <array>
#include <utility>

namespace {

using Link = CameraWorker::Link;

constexpr int checkTries = 5;
constexpr int checkRetryMs = 200;

CameraConnection::Outcome outcomeOf(CameraWorker::Outcome outcome)
{
	switch (outcome) {
	case CameraWorker::Outcome::Completed:
		return CameraConnection::Outcome::Completed;
	case CameraWorker::Outcome::Failed:
		return CameraConnection::Outcome::Failed;
	case CameraWorker::Outcome::Dropped:
		break;
	}
	return CameraConnection::Outcome::Dropped;
}

CameraWorker::Finished reported(const CameraConnection::Done &done)
{
	if (!done)
		return CameraWorker::Finished();
	return [done](CameraWorker::Outcome outcome) { done(outcomeOf(outcome)); };
}

} // namespace

using SessionOperations::setLinkSpeed;

CameraConnection::CameraConnection(QObject *parent) : QObject(parent)
{
	m_checkTimer = new QTimer(this);
	m_checkTimer->setInterval(defaultCheckInterval);
	connect(m_checkTimer, &QTimer::timeout, this, &CameraConnection::checkLink);
}

CameraConnection::~CameraConnection()
{
	shutdown();
}

CameraWorker *CameraConnection::connectedWorker() const
{
	return m_state == State::Connected ? m_worker : nullptr;
}

void CameraConnection::setCheckInterval(int milliseconds)
{
	m_checkTimer->setInterval(milliseconds);
}

void CameraConnection::setState(State state)
{
	if (m_state == state)
		return;
	m_state = state;
	emit stateChanged(state);
}

void CameraConnection::setAddress(const QString &address)
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

void CameraConnection::start()
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

void CameraConnection::shutdown()
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

bool CameraConnection::isIdle() const
{
	return !m_connecting && !m_checking && (m_worker == nullptr || m_worker->isIdle());
}

void CameraConnection::retireWorker()
{
	if (m_worker != nullptr)
		m_worker->retire();
	m_worker = nullptr;
	m_connecting = m_checking = false;
}

// Identifies the model at the address and opens its link; a new link gets the speeds confirmed before.
void CameraConnection::connectCamera()
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

void CameraConnection::checkLink()
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

// The operation on the worker's link, paced after it unless told otherwise.
std::function<bool(CameraWorker::Link &)> CameraConnection::onLink(Operation operation, bool paced)
{
	return [operation, paced](CameraWorker::Link &link) {
		if (!link)
			return false;
		const bool ok = operation(*link);
		if (paced)
			CameraWorker::sleepFor(commandPauseMs);
		return ok;
	};
}

bool CameraConnection::command(int kind, Operation operation, Done done, bool paced)
{
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->postCommand(kind, onLink(std::move(operation), paced), this, reported(done));
	return true;
}

// Motions are paced like every operator command, but for a stop whose position inquiry follows at once.
bool CameraConnection::motion(int channel, bool stop, Operation operation, Done done, bool paced)
{
	if (m_state != State::Connected || m_worker == nullptr)
		return false;
	m_worker->postMotion(channel, stop, onLink(std::move(operation), paced), this, reported(done));
	return true;
}
