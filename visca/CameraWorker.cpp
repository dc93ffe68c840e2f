#include "CameraWorker.h"

#include "viscaIpModule.h"

#include <QThread>

#include <chrono>

CameraWorker::CameraWorker(QObject *parent) : QObject(parent)
{
	m_thread = QThread::create([this] { runLoop(); });
	m_thread->setObjectName(QStringLiteral("camera worker"));
	m_thread->start();
}

CameraWorker::~CameraWorker()
{
	stop();
}

void CameraWorker::post(int kind, std::function<void(Link &)> operation)
{
	Task task;
	task.kind = kind;
	task.run = [operation](Link &link) {
		operation(link);
		return true;
	};
	enqueue(std::move(task));
}

std::function<void()> CameraWorker::reporter(QObject *context, Finished done, Outcome outcome)
{
	if (!done)
		return {};
	auto guard = std::make_shared<QPointer<QObject>>(context);
	const bool guarded = context != nullptr;
	return [this, guard, guarded, done, outcome] {
		++m_outstanding;
		QMetaObject::invokeMethod(
			this,
			[this, guard, guarded, done, outcome] {
				delivered();
				if (!m_stop.load() && (!guarded || !guard->isNull()))
					done(outcome);
			},
			Qt::QueuedConnection);
	};
}

// A task that reports its outcome: completed or failed when it ran, dropped when it never did.
CameraWorker::Task CameraWorker::reportedTask(std::function<bool(Link &)> operation, QObject *context, Finished done)
{
	Task task;
	auto failed = reporter(context, done, Outcome::Failed);
	auto completed = reporter(context, done, Outcome::Completed);
	task.run = [operation, failed, completed](Link &link) {
		const bool ok = operation(link);
		const auto &report = ok ? completed : failed;
		if (report)
			report();
		return ok;
	};
	task.dropped = reporter(context, done, Outcome::Dropped);
	return task;
}

void CameraWorker::postCommand(int kind, std::function<bool(Link &)> operation, QObject *context, Finished done)
{
	Task task = reportedTask(std::move(operation), context, std::move(done));
	task.kind = kind;
	enqueue(std::move(task));
}

void CameraWorker::postMotion(int channel, bool stop, std::function<bool(Link &)> operation, QObject *context,
			      Finished done)
{
	Task task = reportedTask(std::move(operation), context, std::move(done));
	task.channel = channel;
	task.stop = stop;
	enqueueMotion(std::move(task));
}

void CameraWorker::drop(std::deque<Task>::iterator it)
{
	if (it->dropped)
		it->dropped();
	m_queue.erase(it);
	--m_outstanding;
}

void CameraWorker::enqueue(Task task)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	if (m_stop.load())
		return;
	if (task.kind != neverMerged) {
		for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
			if (it->kind == task.kind) {
				drop(it);
				break; // at most one of a kind waits
			}
		}
	}
	m_queue.push_back(std::move(task));
	++m_outstanding;
	m_wake.notify_all();
}

void CameraWorker::enqueueMotion(Task task)
{
	std::unique_lock<std::mutex> lock(m_mutex);
	if (m_stop.load())
		return;
	const int channel = task.channel;
	auto lastOf = [this, channel](std::deque<Task>::iterator end) {
		for (auto it = end; it != m_queue.begin();) {
			--it;
			if (it->channel == channel)
				return it;
		}
		return m_queue.end();
	};
	const bool runningHere = m_runningChannel == channel;
	if (task.stop) {
		auto last = lastOf(m_queue.end());
		bool redundant = false;
		if (last != m_queue.end() && !last->stop) {
			// The drive never went out: it goes, and with it this stop unless the camera may still be
			// moving.
			const auto before = lastOf(last);
			redundant = before != m_queue.end() ? before->stop
				    : runningHere           ? m_runningStop
							    : m_moving.count(channel) == 0;
			drop(last);
		} else if (last != m_queue.end()) {
			redundant = true; // a stop is already waiting
		} else if (runningHere) {
			redundant = m_runningStop;
			if (!m_runningStop)
				m_cancel = true; // the drive in progress gives way to its stop
		}
		if (redundant) {
			if (task.dropped)
				task.dropped();
			m_wake.notify_all();
			return;
		}
	}
	m_queue.push_back(std::move(task));
	++m_outstanding;
	m_wake.notify_all();
}

void CameraWorker::dropFailedDrives(int channel)
{
	// Under the lock. A camera that did not answer a motion keeps only the last stop of that channel.
	bool stopKept = false;
	for (auto it = m_queue.end(); it != m_queue.begin();) {
		--it;
		if (it->channel != channel)
			continue;
		if (it->stop && !stopKept) {
			stopKept = true;
			continue;
		}
		drop(it);
	}
}

void CameraWorker::runLoop()
{
	t_worker = this;
	for (;;) {
		Task task;
		{
			std::unique_lock<std::mutex> lock(m_mutex);
			m_wake.wait(lock, [this] { return m_stop.load() || !m_queue.empty(); });
			if (m_stop.load())
				break;
			task = std::move(m_queue.front());
			m_queue.pop_front();
			m_runningChannel = task.channel;
			m_runningStop = task.stop;
			if (task.channel >= 0 && task.stop)
				m_moving.erase(task.channel);
			else if (task.channel >= 0)
				m_moving.insert(task.channel);
			m_cancel = false;
		}
		const bool ok = task.run(m_link);
		{
			std::lock_guard<std::mutex> lock(m_mutex);
			if (!ok && task.channel >= 0 && !m_cancel.load())
				dropFailedDrives(task.channel);
			m_runningChannel = -1;
			m_cancel = false;
		}
		--m_outstanding;
	}
	// The link's socket belongs to this thread.
	m_link.reset();
	t_worker = nullptr;
}

void CameraWorker::pause(int milliseconds)
{
	std::unique_lock<std::mutex> lock(m_mutex);
	m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return interrupted(); });
}

void CameraWorker::sleepFor(int milliseconds)
{
	if (t_worker != nullptr)
		t_worker->pause(milliseconds);
	else
		QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void CameraWorker::requestStop()
{
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		if (!m_stop.exchange(true))
			m_outstanding -= int(m_queue.size());
		m_queue.clear();
	}
	m_wake.notify_all();
}

void CameraWorker::stop()
{
	requestStop();
	if (m_thread != nullptr) {
		m_thread->wait();
		delete m_thread;
		m_thread = nullptr;
	}
}

void CameraWorker::retire()
{
	requestStop();
	if (m_thread != nullptr)
		connect(m_thread, &QThread::finished, this, &QObject::deleteLater);
	// It may have ended before the connection was made; a second deleteLater is harmless.
	if (m_thread == nullptr || m_thread->isFinished())
		deleteLater();
}
