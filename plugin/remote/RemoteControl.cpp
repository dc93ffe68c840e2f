#include "plugin/remote/RemoteControl.h"

#include "plugin/remote/InterfaceGate.h"
#include "plugin/remote/ObsWebSocketVendor.h"
#include "plugin/remote/RemoteEvents.h"

#include "control/CameraRig.h"

#include <obs-frontend-api.h>
#include <obs.h>

namespace {

struct Remote {
	ObsWebSocketVendor vendor;
	InterfaceGate gate;
	bool eventsOn = false; // read and written on the interface thread
	bool watchingFrontEnd = false;
};

// Lives as long as the process: obs-websocket keeps pointers to the registered handlers until it unloads, which
// may come after this module's unload.
Remote &remote()
{
	static Remote *instance = new Remote;
	return *instance;
}

void shut()
{
	remote().gate.close();
	remote().eventsOn = false;
}

// obs-websocket stops its server when OBS quits; the cameras stop then too.
void onFrontendEvent(enum obs_frontend_event event, void *)
{
	if (event == OBS_FRONTEND_EVENT_EXIT)
		shut();
}

} // namespace

void RemoteControl::start(CameraRig *rig)
{
	Remote &r = remote();
	if (rig == nullptr || r.vendor.attached())
		return;
	QString error;
	if (!r.vendor.attach(vendorName, error)) {
		blog(LOG_INFO, "CameraRemote: %s: cameras cannot be driven through OBS's WebSocket",
		     error.toUtf8().constData());
		return;
	}
	std::vector<RemoteRequest> requests = cameraRequests();
	for (auto table : {motionRequests(), presetRequests(), viscaRequests()})
		requests.insert(requests.end(), table.begin(), table.end());
	int registered = 0;
	for (const RemoteRequest &request : requests) {
		const auto run = request.run;
		registered += r.vendor.registerRequest(request.type, [run](const QJsonObject &arguments) {
			const InterfaceGate::Job job = [run, arguments](CameraRig &cameras, const Respond &respond) {
				run(cameras, arguments, respond);
			};
			return remote().gate.call(job, InterfaceGate::answerWaitMs()).toJson();
		});
	}
	r.gate.open(rig);
	r.eventsOn = true;
	QObject::connect(rig, &QObject::destroyed, [] { shut(); });
	new RemoteEvents(*rig, [](const char *type, const QJsonObject &data) {
		if (remote().eventsOn)
			remote().vendor.emitEvent(type, data);
	});
	obs_frontend_add_event_callback(onFrontendEvent, nullptr);
	r.watchingFrontEnd = true;
	blog(LOG_INFO, "CameraRemote: vendor %s registered with obs-websocket (plug-in API %lld): %d of %d requests",
	     vendorName, r.vendor.apiVersion(), registered, int(requests.size()));
}

void RemoteControl::stop()
{
	Remote &r = remote();
	if (r.watchingFrontEnd)
		obs_frontend_remove_event_callback(onFrontendEvent, nullptr);
	r.watchingFrontEnd = false;
	shut();
}
