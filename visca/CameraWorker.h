#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <set>
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

	// How a reported operation ended: the camera completed it, it failed (no answer, an error), or it was
	// dropped unsent (a newer value of its kind, a drive whose stop came before it could run).
	enum class Outcome { Completed, Failed, Dropped };
	using Finished = std::function<void(Outcome)>;

	explicit CameraWorker(QObject *parent = nullptr);
	~CameraWorker() override; // stop()

	void post(int kind, std::function<void(Link &)> operation);
	template <typename Result>
	void post(int kind, std::function<Result(Link &)> operation, QObject *context,
		  std::function<void(const Result &)> done);
	// A command whose outcome is reported to done (on this object's thread, while context exists).
	void postCommand(int kind, std::function<bool(Link &)> operation, QObject *context = nullptr,
			 Finished done = {});
	// A drive or the stop of a motion channel (pan/tilt, zoom, focus). Moves never go stale behind a slow or
	// silent camera: a stop cuts the wait of its channel's drive in progress short, a waiting drive is dropped
	// with the stop that follows it, a stop already on its way makes a new one redundant, and a drive the camera
	// did not answer drops the channel's waiting drives, keeping the last waiting stop.
	void postMotion(int channel, bool stop, std::function<bool(Link &)> operation, QObject *context = nullptr,
			Finished done = {});

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
	// True on a worker's thread once that worker is stopping or the running operation was cut short: reply
	// waits and pauses there end early, and nothing more is sent.
	static bool stopRequested() { return t_worker != nullptr && t_worker->interrupted(); }
	// A pause for link code: on a worker's thread it ends early like pause(); elsewhere a plain sleep.
	static void sleepFor(int milliseconds);
	// An operation's helper threads stop with its worker: each calls adopt() with what current() gave on the
	// worker's thread (null elsewhere).
	static CameraWorker *current() { return t_worker; }
	static void adopt(CameraWorker *worker) { t_worker = worker; }

private:
	struct Task {
		int kind = neverMerged;
		int channel = -1; // motion channel, or -1
		bool stop = false;
		std::function<bool(Link &)> run;
		std::function<void()> dropped; // called under the lock; only queues a delivery
	};
	Task reportedTask(std::function<bool(Link &)> operation, QObject *context, Finished done);
	void enqueue(Task task);
	void enqueueMotion(Task task);
	void drop(std::deque<Task>::iterator it);
	void runLoop();
	void dropFailedDrives(int channel);
	void delivered() { --m_outstanding; }
	bool interrupted() const { return m_stop.load() || m_cancel.load(); }
	std::function<void()> reporter(QObject *context, Finished done, Outcome outcome);

	static inline thread_local CameraWorker *t_worker = nullptr;

	QThread *m_thread = nullptr;
	std::mutex m_mutex;
	std::condition_variable m_wake;
	std::deque<Task> m_queue;
	std::atomic<bool> m_stop{false};
	std::atomic<bool> m_cancel{false};
	std::atomic<int> m_outstanding{0};
	// The operation in progress (under m_mutex): its motion channel (-1 for none) and whether it is a stop.
	int m_runningChannel = -1;
	bool m_runningStop = false;
	// Motion channels whose last motion that went out was a drive (under m_mutex).
	std::set<int> m_moving;
	Link m_link;
};

template <typename Result>
void CameraWorker::post(int kind, std::function<Result(Link &)> operation, QObject *context,
			std::function<void(const Result &)> done)
{
	// Read on this object's thread only.
	auto guard = std::make_shared<QPointer<QObject>>(context);
	Task task;
	task.kind = kind;
	task.run = [this, operation, guard, done](Link &link) {
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
		return true;
	};
	enqueue(std::move(task));
}
