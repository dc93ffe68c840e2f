#include "plugin/remote/ObsWebSocketVendor.h"

#include <QJsonDocument>
#include <QString>

#include <callback/calldata.h>
#include <callback/proc.h>
#include <obs.h>

// The request callback as obs-websocket copies it at registration: a function and its private pointer.
struct ObsWebSocketVendor::Registration {
	struct {
		void (*function)(obs_data_t *, obs_data_t *, void *);
		void *data;
	} callback;
	Handler handler;
};

namespace {

// calldata_t owns its buffer; freed on every path.
struct CallData {
	calldata_t data;
	CallData() { calldata_init(&data); }
	~CallData() { calldata_free(&data); }
	CallData(const CallData &) = delete;
	CallData &operator=(const CallData &) = delete;
};

} // namespace

ObsWebSocketVendor::ObsWebSocketVendor() = default;
ObsWebSocketVendor::~ObsWebSocketVendor() = default;

bool ObsWebSocketVendor::attach(const char *vendorName, QString &error)
{
	CallData find;
	if (!proc_handler_call(obs_get_proc_handler(), "obs_websocket_api_get_ph", &find.data) ||
	    calldata_ptr(&find.data, "ph") == nullptr) {
		error = QStringLiteral("obs-websocket is not loaded");
		return false;
	}
	m_api = static_cast<proc_handler *>(calldata_ptr(&find.data, "ph"));

	CallData version;
	if (proc_handler_call(m_api, "get_api_version", &version.data))
		m_apiVersion = calldata_int(&version.data, "version");

	CallData vendor;
	calldata_set_string(&vendor.data, "name", vendorName);
	if (!proc_handler_call(m_api, "vendor_register", &vendor.data) || !calldata_bool(&vendor.data, "success") ||
	    calldata_ptr(&vendor.data, "vendor") == nullptr) {
		error = QStringLiteral("obs-websocket (plug-in API %1) did not register the vendor %2")
				.arg(m_apiVersion)
				.arg(QString::fromUtf8(vendorName));
		m_api = nullptr;
		return false;
	}
	m_vendor = calldata_ptr(&vendor.data, "vendor");
	return true;
}

bool ObsWebSocketVendor::registerRequest(const char *type, Handler handler)
{
	if (!attached())
		return false;
	auto registration = std::make_unique<Registration>();
	registration->callback.function = &ObsWebSocketVendor::onRequest;
	registration->callback.data = registration.get();
	registration->handler = std::move(handler);
	CallData call;
	calldata_set_ptr(&call.data, "vendor", m_vendor);
	calldata_set_string(&call.data, "type", type);
	calldata_set_ptr(&call.data, "callback", &registration->callback);
	if (!proc_handler_call(m_api, "vendor_request_register", &call.data) || !calldata_bool(&call.data, "success"))
		return false;
	m_registrations.push_back(std::move(registration));
	return true;
}

bool ObsWebSocketVendor::emitEvent(const char *type, const QJsonObject &data) const
{
	if (!attached())
		return false;
	obs_data_t *event = obs_data_create_from_json(QJsonDocument(data).toJson(QJsonDocument::Compact).constData());
	CallData call;
	calldata_set_ptr(&call.data, "vendor", m_vendor);
	calldata_set_string(&call.data, "type", type);
	calldata_set_ptr(&call.data, "data", event);
	const bool sent =
		proc_handler_call(m_api, "vendor_event_emit", &call.data) && calldata_bool(&call.data, "success");
	obs_data_release(event);
	return sent;
}

void ObsWebSocketVendor::onRequest(obs_data_t *request, obs_data_t *response, void *registration)
{
	const char *json = request ? obs_data_get_json(request) : nullptr;
	const QJsonObject arguments = json ? QJsonDocument::fromJson(QByteArray(json)).object() : QJsonObject();
	const QJsonObject reply = static_cast<Registration *>(registration)->handler(arguments);
	obs_data_t *answer = obs_data_create_from_json(QJsonDocument(reply).toJson(QJsonDocument::Compact).constData());
	obs_data_apply(response, answer);
	obs_data_release(answer);
}
