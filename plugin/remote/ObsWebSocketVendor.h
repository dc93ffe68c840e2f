#pragma once

#include <QJsonObject>

#include <deque>
#include <functional>
#include <memory>

struct proc_handler;

// A vendor of OBS's WebSocket server (obs-websocket 5), reached through the procedures it publishes on OBS's
// proc handler: requests that clients call with CallVendorRequest, events that reach clients subscribed to vendor
// events. Requests and replies are JSON objects here; obs-websocket calls a request's handler on its own thread.
class ObsWebSocketVendor {
public:
	using Handler = std::function<QJsonObject(const QJsonObject &request)>;

	ObsWebSocketVendor();
	~ObsWebSocketVendor();
	ObsWebSocketVendor(const ObsWebSocketVendor &) = delete;
	ObsWebSocketVendor &operator=(const ObsWebSocketVendor &) = delete;

	// Finds obs-websocket (loaded modules only: call once OBS has loaded them all) and registers the vendor.
	// False when obs-websocket is absent or refused the name; error then says why.
	bool attach(const char *vendorName, QString &error);
	bool attached() const { return m_vendor != nullptr; }
	// obs-websocket's plug-in API version (0 before attach).
	long long apiVersion() const { return m_apiVersion; }

	// The handler stays registered as long as this object lives (obs-websocket keeps a pointer to it).
	bool registerRequest(const char *type, Handler handler);
	bool emitEvent(const char *type, const QJsonObject &data) const;

private:
	struct Registration;
	static void onRequest(struct obs_data *request, struct obs_data *response, void *registration);

	proc_handler *m_api = nullptr;
	void *m_vendor = nullptr;
	long long m_apiVersion = 0;
	std::deque<std::unique_ptr<Registration>> m_registrations;
};
