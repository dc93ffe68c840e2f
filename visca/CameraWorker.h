#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QThread;
class viscaIpModule;

// Runs one camera's link on a thread of its own, so that no camera wait ever holds up the caller's thread.
// Operations run strictly in the order they were handed over. Each result is delivered on the thread the worker
// belongs to (queued), as long as the given context object still exists and the worker has not been stopped.
//
// The link is created, used and destroyed on the worker's thread only: operations get it by reference and may
// create or replace it (a slot selection identifies the camera first and then opens the model's link).
class CameraWorker : public QObject {
	Q_OBJECT

public:
	using Link = std::unique_ptr<viscaIpModule>;
	// Operations of kind 0 are never merged. Operations of another kind set a value: a waiting operation of the
	// same kind is dropped when a newer one comes, so a slow camera ends at the newest value without a backlog.
	static constexpr int neverMerged = 0;

	explicit CameraWorker(QObject *parent = nullptr);
	~CameraWorker() override; // stop()

	void post(int kind, std::function<void(Link &)> operation);
	template <typename Result>
	void post(int kind, std::function<Result(Link &)> operation, QObject *context,
		  std::function<void(const Result &)> done);

	// Drops every waiting operation, cuts a reply wait or pause in progress short and returns at once; results
	// not yet delivered are dropped. The thread ends soon after.
	void requestStop();
	// requestStop(), then joins the thread (the link is gone afterwards).
	void stop();
	// requestStop(), and the worker deletes itself once its thread has ended.
	void retire();

	// Nothing waiting, running or still to be delivered.
	bool isIdle() const { return m_outstanding.load() == 0; }
	bool isStopping() const { return m_stop.load(); }

	// For operations: a pause that ends early when the worker stops.
	void pause(int milliseconds);
	// True on a worker's thread once that worker is stopping: reply waits and pauses there end early.
	static bool stopRequested() { return t_stop != nullptr && t_stop->load(); }
	// An operation's helper threads stop with its worker: each calls adoptStopFlag(flag) with the flag that
	// currentStopFlag() gave on the worker's thread (null elsewhere).
	static const std::atomic<bool> *currentStopFlag() { return t_stop; }
	static void adoptStopFlag(const std::atomic<bool> *flag) { t_stop = flag; }

private:
	struct Task {
		int kind;
		std::function<void(Link &)> run;
	};
	void enqueue(int kind, std::function<void(Link &)> run);
	void runLoop();
	void delivered() { --m_outstanding; }

	static inline thread_local const std::atomic<bool> *t_stop = nullptr;

	QThread *m_thread = nullptr;
	std::mutex m_mutex;
	std::condition_variable m_wake;
	std::deque<Task> m_queue;
	std::atomic<bool> m_stop{false};
	std::atomic<int> m_outstanding{0};
	Link m_link;
};

template <typename Result>
void CameraWorker::post(int kind, std::function<Result(Link &)> operation, QObject *context,
			std::function<void(const Result &)> done)
{
	// Read on this object's thread only.
	auto guard = std::make_shared<QPointer<QObject>>(context);
	enqueue(kind, [this, operation, guard, done](Link &link) {
		Result result = operation(link);
		++m_outstanding;
		QMetaObject::invokeMethod(
			this,
			[this, guard, done, result] {
				delivered();
				if (!m_stop.load() && !guard->isNull())
					done(result);
			},
			Qt::QueuedConnection);
	});
}
