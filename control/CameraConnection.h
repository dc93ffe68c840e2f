#pragma once

#include "visca/CameraWorker.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class ViscaParamOps;
class viscaIpModule;

// A camera slot's way to its camera: the worker and its link, identifying the model at the address, the periodic
// link check with reconnection, and the queuing of paced operations while the camera is connected. Lives on the
// interface thread; nothing here waits on the network.
class CameraConnection : public QObject {
	Q_OBJECT

public:
	enum class State { NoAddress, Connecting, Connected, NotAnswering };
	Q_ENUM(State)

	// How an operation ended: completed by the camera, failed (no answer or an error) or dropped unsent.
	enum class Outcome { Completed, Failed, Dropped };
	using Done = std::function<void(Outcome)>;

	static constexpr int defaultPort = 52381;
	static constexpr int defaultCheckInterval = 8000;

	explicit CameraConnection(QObject *parent = nullptr);
	~CameraConnection() override; // shutdown()

	State state() const { return m_state; }
	QString address() const { return m_address; }
	// The connected model's tables and ranges; null until the camera was identified.
	std::shared_ptr<ViscaParamOps> model() const { return m_model; }

	// A new address (empty: none) drops the old camera and connects the new one; the same address does nothing.
	void setAddress(const QString &address);
	// Begins connecting (when there is an address) and the periodic link check.
	void start();
	// Drops waiting operations, cuts a wait in progress short and joins the worker.
	void shutdown();
	// Nothing waiting on the camera and no connection attempt in progress.
	bool isIdle() const;

	// For tools and tests with simulated cameras: the camera port and the link-check period.
	void setCameraPort(int port) { m_port = port; }
	void setCheckInterval(int milliseconds);

signals:
	void stateChanged(CameraConnection::State state);

protected:
	using Operation = std::function<bool(viscaIpModule &)>;

	// Pause after each operator command: paces the camera, not the operator.
	static constexpr int commandPauseMs = 50;

	// The worker while the camera is connected, else null.
	CameraWorker *connectedWorker() const;
	// A speed the operator confirmed (index: 0 pan, 1 tilt, 2 zoom, 3 focus), given again to a new link.
	void keepSpeed(int index, int value) { m_speeds[index] = value; }
	// A command or a motion, paced after it unless told otherwise; false (nothing queued) unless connected. done,
	// when given, is called here with the outcome.
	bool command(int kind, Operation operation, Done done, bool paced = true);
	bool motion(int channel, bool stop, Operation operation, Done done, bool paced = true);

private:
	static std::function<bool(CameraWorker::Link &)> onLink(Operation operation, bool paced);
	void setState(State state);
	void connectCamera();
	void checkLink();
	void retireWorker();

	State m_state = State::NoAddress;
	QString m_address;
	std::shared_ptr<ViscaParamOps> m_model;
	CameraWorker *m_worker = nullptr;
	QTimer *m_checkTimer = nullptr;
	int m_port = defaultPort;
	bool m_started = false;
	bool m_connecting = false;
	bool m_checking = false;
	// Speeds the operator confirmed (-1: the link's own default), given again to a new link after a reconnect.
	int m_speeds[4] = {-1, -1, -1, -1};
};
