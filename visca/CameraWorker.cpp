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
	enqueue(kind, std::move(operation));
}

void CameraWorker::enqueue(int kind, std::function<void(Link &)> run)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	if (m_stop.load())
		return;
	if (kind != neverMerged) {
		for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
			if (it->kind == kind) {
				m_queue.erase(it);
				--m_outstanding;
				break; // at most one of a kind waits
			}
		}
	}
	m_queue.push_back(Task{kind, std::move(run)});
	++m_outstanding;
	m_wake.notify_all();
}

void CameraWorker::runLoop()
{
	t_stop = &m_stop;
	for (;;) {
		Task task;
		{
			std::unique_lock<std::mutex> lock(m_mutex);
			m_wake.wait(lock, [this] { return m_stop.load() || !m_queue.empty(); });
			if (m_stop.load())
				break;
			task = std::move(m_queue.front());
			m_queue.pop_front();
		}
		task.run(m_link);
		--m_outstanding;
	}
	// The link's socket belongs to this thread.
	m_link.reset();
	t_stop = nullptr;
}

void CameraWorker::pause(int milliseconds)
{
	std::unique_lock<std::mutex> lock(m_mutex);
	m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_stop.load(); });
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
