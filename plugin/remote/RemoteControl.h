#pragma once

class CameraRig;

// The cameras offered to OBS's WebSocket clients as the vendor "BrenmoorCameraControl": its requests and events.
// Without obs-websocket it logs one line and does nothing else.
class RemoteControl {
public:
	static constexpr const char *vendorName = "BrenmoorCameraControl";

	// Once OBS has loaded every module (obs-websocket publishes its API while loading), on the interface thread.
	static void start(CameraRig *rig);
	// OBS is unloading the module: requests still coming are answered at once, no more events.
	static void stop();
};
