#include "BridgeConnections.h"

#include "BridgeLog.h"
#include "BridgeMessage.h"

#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using LogLevel = ViscaTransfer::LogLevel;
using Event = BridgeAccessLog::Event;
namespace status = websocketpp::close::status;

// Anything bigger than a few hundred bytes is not a camera datagram; 64 KiB leaves ample room.
constexpr size_t maxMessageSize = 64 * 1024;
// Output a client has not read yet; beyond it the client is closed instead of the process growing.
constexpr size_t maxUnsentBytes = 1024 * 1024;
// A flood of pings gets one pong per interval: each queued pong costs memory whatever its size, and a keep-alive
// client pings far less often.
constexpr std::chrono::milliseconds pongInterval{10};
constexpr long handshakeTimeoutMs = 5000;
constexpr long closeTimeoutMs = 1000;

// Programs send no Origin and are accepted. Browsers always send one: only pages served over http(s) from this
// machine may drive the cameras; "null" (sandboxed frames, data: pages of any site) and file pages may not.
bool isLocalOrigin(const std::string &originText)
{
	const QString origin = QString::fromStdString(originText).trimmed();
	if (origin.isEmpty())
		return true;
	const QUrl url(origin, QUrl::StrictMode);
	if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
		return false;
	const QString host = url.host();
	if (host == QLatin1String("localhost"))
		return true;
	const QHostAddress address(host);
	if (address.protocol() == QAbstractSocket::IPv4Protocol)
		return (address.toIPv4Address() >> 24) == 127;
	return address == QHostAddress(QHostAddress::LocalHostIPv6);
}

} // namespace

std::chrono::seconds BridgeConnections::idleLimit()
{
	// PTZ_BRIDGE_IDLE_SECONDS shortens it for the tests.
	static const std::chrono::seconds limit = [] {
		const char *text = std::getenv("PTZ_BRIDGE_IDLE_SECONDS");
		const long seconds = text ? std::strtol(text, nullptr, 10) : 0;
		return std::chrono::seconds(seconds > 0 ? seconds : 60);
	}();
	return limit;
}

BridgeConnections::BridgeConnections(quint16 wsPort, quint16 udpPort)
	: webSocketPort(wsPort), accessLog(io), listeners(server, io, accessLog),
	  relay(
		  io, udpPort, [this](const BridgeClientPtr &client, const QByteArray &text) { deliver(client, text); },
		  [this](const BridgeClientPtr &client) {
			  closeClient(client, status::policy_violation, "Too many requests waiting");
		  })
{
}

BridgeConnections::~BridgeConnections() = default;

bool BridgeConnections::setUp(const QList<QHostAddress> &addresses)
{
	// The library's own loggers stay silent: the bridge logs its connections and events itself.
	server.clear_access_channels(websocketpp::log::alevel::all);
	server.clear_error_channels(websocketpp::log::elevel::all);
	server.set_max_message_size(maxMessageSize);
	server.set_open_handshake_timeout(handshakeTimeoutMs);
	server.set_close_handshake_timeout(closeTimeoutMs);

	std::error_code ec;
	server.init_asio(&io, ec);
	if (ec) {
		bridgeLog(LogLevel::Warning, QStringLiteral("ViscaTransfer: Cannot set up the WebSocket server: %1")
						     .arg(QString::fromStdString(ec.message())));
		return false;
	}
	server.set_validate_handler([this](BridgeHandle hdl) { return validate(hdl); });
	server.set_open_handler([this](BridgeHandle hdl) { opened(hdl); });
	server.set_close_handler([this](BridgeHandle hdl) { closed(hdl); });
	server.set_fail_handler([this](BridgeHandle hdl) { failed(hdl); });
	server.set_ping_handler([this](BridgeHandle hdl, const std::string &) { return pinged(hdl); });
	server.set_message_handler([this](BridgeHandle hdl, BridgeServer::message_ptr message) {
		onMessage(hdl, message->get_payload());
	});

	bound = listeners.listen(addresses, webSocketPort);
	if (bound.isEmpty())
		return false;
	listeners.start();
	return true;
}

void BridgeConnections::run()
{
	// A handler that throws costs that one event, not the bridge.
	for (bool done = false; !done;) {
		try {
			server.run();
			done = true;
		} catch (const std::exception &) {
			bridgeLog(LogLevel::Warning, QStringLiteral("Catch Error."));
		}
	}
}

void BridgeConnections::shutdown()
{
	asio::post(io, [this] { closeAll(); });
}

void BridgeConnections::stop()
{
	server.stop();
}

bool BridgeConnections::refuse(BridgeServer::connection_ptr connection, websocketpp::http::status_code::value code,
			       const QString &line)
{
	connection->set_status(code);
	accessLog.write(Event::Refused, LogLevel::Info, line);
	return false;
}

bool BridgeConnections::validate(const BridgeHandle &hdl)
{
	std::error_code ec;
	BridgeServer::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (ec || closing)
		return false;
	const QString peer = QString::fromStdString(connection->get_remote_endpoint());
	std::string origin = connection->get_request_header("Origin");
	if (origin.empty()) // older protocol drafts
		origin = connection->get_request_header("Sec-WebSocket-Origin");
	if (!isLocalOrigin(origin))
		return refuse(connection, websocketpp::http::status_code::forbidden,
			      QStringLiteral("ViscaTransfer: Connection from %1 refused: web pages from %2 may not "
					     "use the bridge")
				      .arg(peer, QString::fromStdString(origin)));
	const std::string address = connection->get_raw_socket().remote_endpoint(ec).address().to_string();
	const auto fromAddress = std::count_if(clients.begin(), clients.end(), [&address](const auto &entry) {
		return entry.second->address == address;
	});
	if (size_t(fromAddress) >= maxPerAddress)
		return refuse(connection, websocketpp::http::status_code::service_unavailable,
			      QStringLiteral("ViscaTransfer: Connection from %1 refused: %2 clients from its address "
					     "are connected already")
				      .arg(peer)
				      .arg(maxPerAddress));
	if (clients.size() >= maxConnections && !evictIdle())
		return refuse(connection, websocketpp::http::status_code::service_unavailable,
			      QStringLiteral("ViscaTransfer: Connection from %1 refused: %2 clients are connected "
					     "already")
				      .arg(peer)
				      .arg(maxConnections));
	auto client = std::make_shared<BridgeClient>();
	client->handle = hdl;
	client->peer = peer;
	client->address = address;
	client->lastMessage = std::chrono::steady_clock::now();
	clients.emplace(hdl, std::move(client));
	relay.open();
	return true;
}

// Closes the open client that has been silent longest, if it has been silent for the idle limit.
bool BridgeConnections::evictIdle()
{
	auto idlest = clients.end();
	for (auto it = clients.begin(); it != clients.end(); ++it) {
		if (!listeners.inHandshake(it->first) &&
		    (idlest == clients.end() || it->second->lastMessage < idlest->second->lastMessage))
			idlest = it;
	}
	if (idlest == clients.end() || std::chrono::steady_clock::now() - idlest->second->lastMessage < idleLimit())
		return false;
	const BridgeClientPtr client = idlest->second;
	closeClient(client, status::going_away, "going away");
	forget(clients.find(client->handle));
	return true;
}

void BridgeConnections::opened(const BridgeHandle &hdl)
{
	listeners.endHandshake(hdl);
	const auto it = clients.find(hdl);
	if (it == clients.end())
		return;
	accessLog.write(Event::Connected, LogLevel::Info,
			QStringLiteral("ViscaTransfer: Client %1 connected").arg(it->second->peer));
	// A handshake that finished after shutdown began still gets a proper close.
	if (closing)
		closeForShutdown(hdl);
}

void BridgeConnections::forget(ClientMap::iterator it)
{
	if (it == clients.end())
		return;
	const BridgeClientPtr client = it->second;
	clients.erase(it);
	client->gone = true;
	relay.dropClient(client);
	if (clients.empty())
		relay.close();
}

// Logged here, as the loop may stop before the client answers the close frame; taken out of the map first, as
// closing may end a connection and run its handler.
void BridgeConnections::closeForShutdown(const BridgeHandle &hdl)
{
	const auto it = clients.find(hdl);
	accessLog.write(
		Event::Disconnected, LogLevel::Info,
		QStringLiteral("ViscaTransfer: Client %1 disconnected (the bridge stops)").arg(it->second->peer));
	forget(it);
	std::error_code ignored;
	server.close(hdl, status::going_away, std::string(), ignored);
}

void BridgeConnections::closed(const BridgeHandle &hdl)
{
	const auto it = clients.find(hdl);
	if (it == clients.end())
		return;
	const QString peer = it->second->peer;
	forget(it);
	std::error_code ec;
	BridgeServer::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	const int code = ec ? 0 : int(connection->get_remote_close_code());
#ifdef __GLIBC__
	// What a busy client made the server thread allocate goes back to the system, not just to the heap.
	malloc_trim(0);
#endif
	accessLog.write(Event::Disconnected, LogLevel::Info,
			QStringLiteral("ViscaTransfer: Client %1 disconnected (%2)")
				.arg(peer)
				.arg(code == status::no_status || code == status::abnormal_close
					     ? QStringLiteral("no close code")
					     : QStringLiteral("code %1").arg(code)));
}

void BridgeConnections::failed(const BridgeHandle &hdl)
{
	const bool counted = listeners.endHandshake(hdl);
	forget(clients.find(hdl));
	std::error_code ec;
	BridgeServer::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (!counted || closing || ec)
		return;
	// Refusals were logged at the handshake.
	const auto code = connection->get_response_code();
	if (code == websocketpp::http::status_code::forbidden ||
	    code == websocketpp::http::status_code::service_unavailable)
		return;
	accessLog.write(Event::Disconnected, LogLevel::Debug,
			QStringLiteral("ViscaTransfer: Connection from %1 ended before its handshake: %2")
				.arg(QString::fromStdString(connection->get_remote_endpoint()),
				     QString::fromStdString(connection->get_ec().message())));
}

bool BridgeConnections::pinged(const BridgeHandle &hdl)
{
	const auto it = clients.find(hdl);
	std::error_code ec;
	BridgeServer::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (it == clients.end() || ec)
		return false;
	BridgeClient &client = *it->second;
	if (connection->get_buffered_amount() > maxUnsentBytes) {
		closeClient(it->second, status::policy_violation, "Too much unread output");
		return false;
	}
	const auto now = std::chrono::steady_clock::now();
	if (now - client.lastPong < pongInterval)
		return false;
	client.lastPong = now;
	return true;
}

void BridgeConnections::onMessage(const BridgeHandle &hdl, const std::string &payload)
{
	const auto it = clients.find(hdl);
	if (closing || it == clients.end() || it->second->gone)
		return;
	const BridgeClientPtr client = it->second;
	client->lastMessage = std::chrono::steady_clock::now();
	BridgeRequest request;
	QString error;
	if (!BridgeMessage::parse(payload, request, error)) {
		bridgeLog(LogLevel::Debug, QStringLiteral("ViscaTransfer: Request refused: %1").arg(error));
		deliver(client, BridgeMessage::error(error));
		return;
	}
	relay.submit(client, std::move(request));
}

void BridgeConnections::deliver(const BridgeClientPtr &client, const QByteArray &text)
{
	std::error_code ec;
	BridgeServer::connection_ptr connection = client->gone ? nullptr : server.get_con_from_hdl(client->handle, ec);
	if (!connection || ec) {
		bridgeLog(LogLevel::Debug, QStringLiteral("ViscaTransfer: Reply dropped, its client has gone"));
		return;
	}
	if (connection->get_buffered_amount() + size_t(text.size()) > maxUnsentBytes) {
		closeClient(client, status::policy_violation, "Too much unread output");
		return;
	}
	ec = connection->send(text.constData(), size_t(text.size()), websocketpp::frame::opcode::text);
	if (ec)
		bridgeLog(LogLevel::Debug, QStringLiteral("ViscaTransfer: Reply dropped, its client has gone"));
}

void BridgeConnections::closeClient(const BridgeClientPtr &client, websocketpp::close::status::value code,
				    const std::string &reason)
{
	if (client->gone)
		return;
	client->gone = true;
	relay.dropClient(client);
	accessLog.write(Event::Closed, LogLevel::Info,
			QStringLiteral("ViscaTransfer: Closing client %1: %2")
				.arg(client->peer, QString::fromStdString(reason)));
	std::error_code ignored;
	server.close(client->handle, code, reason, ignored);
}

void BridgeConnections::closeAll()
{
	closing = true;
	listeners.close([this](const BridgeHandle &hdl) { return clients.find(hdl) != clients.end(); });
	// Clients admitted at the handshake but not yet open are closed as soon as they open.
	std::vector<BridgeHandle> open;
	for (const auto &entry : clients)
		if (!listeners.inHandshake(entry.first))
			open.push_back(entry.first);
	for (const BridgeHandle &hdl : open)
		closeForShutdown(hdl);
	relay.close();
	accessLog.stop();
}
