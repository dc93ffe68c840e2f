#pragma once

#include "plugin/remote/RemoteRequest.h"

#include <mutex>

// The way from obs-websocket's threads to the cameras: a request runs on the rig's (interface) thread, while the
// calling thread waits for its answer, at most as long as a camera exchange may last. The interface thread never
// waits here. Once closed (OBS is quitting, the rig is gone) requests are answered at once.
class InterfaceGate {
public:
	using Job = std::function<void(CameraRig &rig, const Respond &respond)>;

	// An acknowledgement and a completion for each of the link's two tries, and the pause after a command.
	static int answerWaitMs();

	void open(CameraRig *rig);
	void close();
	RemoteReply call(const Job &job, int waitMs);

private:
	std::mutex m_mutex;
	CameraRig *m_rig = nullptr;
};
