#include "plugin/remote/InterfaceGate.h"

#include "control/CameraRig.h"
#include "visca/viscaIpModule.h"

#include <QThread>

#include <atomic>
#include <future>
#include <memory>

int InterfaceGate::answerWaitMs()
{
	return 2 * 2 * viscaIpModule::replyWaitMs + 100;
}

void InterfaceGate::open(CameraRig *rig)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_rig = rig;
}

void InterfaceGate::close()
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_rig = nullptr;
}

RemoteReply InterfaceGate::call(const Job &job, int waitMs)
{
	auto promise = std::make_shared<std::promise<RemoteReply>>();
	auto answered = std::make_shared<std::atomic<bool>>(false);
	std::future<RemoteReply> future = promise->get_future();
	const Respond respond = [promise, answered](const RemoteReply &reply) {
		if (!answered->exchange(true))
			promise->set_value(reply);
	};
	{
		std::unique_lock<std::mutex> lock(m_mutex);
		CameraRig *rig = m_rig;
		if (rig == nullptr)
			return RemoteReply::failure(
				QStringLiteral("cameras not available: OBS is starting or quitting"));
		if (QThread::currentThread() == rig->thread()) {
			// Called on the interface thread itself: it must not wait, so only an immediate answer counts.
			lock.unlock();
			job(*rig, respond);
			if (future.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
				return future.get();
			return RemoteReply::failure(
				QStringLiteral("sent; the answer cannot be awaited on OBS's interface thread"));
		}
		// Queued while the gate is held: the rig cannot be deleted (that happens after close()) in between.
		QMetaObject::invokeMethod(
			rig, [rig, job, respond] { job(*rig, respond); }, Qt::QueuedConnection);
	}
	if (future.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready) {
		answered->store(true);
		return RemoteReply::failure(QStringLiteral("camera did not answer in time"));
	}
	return future.get();
}
