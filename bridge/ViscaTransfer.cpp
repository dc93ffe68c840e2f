#include "ViscaTransfer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QtDebug>

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using Server = websocketpp::server<websocketpp::config::asio>;
using Handle = websocketpp::connection_hdl;
using LogLevel = ViscaTransfer::LogLevel;

// A request's answers are collected this long after its datagram was written, unless the exchange ends earlier.
constexpr std::chrono::milliseconds replyWindow{300};
constexpr int maxReplies = 3;
// Anything bigger than a few hundred bytes is not a camera datagram; 64 KiB leaves ample room.
constexpr size_t maxMessageSize = 64 * 1024;
// Requests of one client waiting behind others to the same cameras; a client beyond it is closed.
constexpr int maxWaitingPerClient = 64;
// Open WebSocket connections, and accepted sockets still in their handshake: each costs a file descriptor.
constexpr size_t maxConnections = 32;
constexpr size_t maxHandshaking = 32;
// Output a client has not read yet; beyond it the client is closed instead of the process growing.
constexpr size_t maxUnsentBytes = 1024 * 1024;
// A flood of pings gets one pong per interval: each queued pong costs memory whatever its size, and a keep-alive
// client pings far less often.
constexpr std::chrono::milliseconds pongInterval{10};
constexpr long handshakeTimeoutMs = 5000;
constexpr long closeTimeoutMs = 1000;
// After a failed accept (out of file descriptors, say) the listener waits instead of spinning.
constexpr std::chrono::milliseconds acceptRetry{250};
// How long the clients get to finish the close handshake before the event loop is stopped.
constexpr unsigned long closeGraceMs = 250;

std::mutex sinkMutex;
ViscaTransfer::LogSink logSink;

void log(LogLevel level, const QString &line)
{
	ViscaTransfer::LogSink sink;
	{
		std::lock_guard<std::mutex> lock(sinkMutex);
		sink = logSink;
	}
	if (sink) {
		sink(level, line);
		return;
	}
	switch (level) {
	case LogLevel::Debug:
		qDebug("%s", qUtf8Printable(line));
		break;
	case LogLevel::Info:
		qInfo("%s", qUtf8Printable(line));
		break;
	case LogLevel::Warning:
		qWarning("%s", qUtf8Printable(line));
		break;
	}
}

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

QString addressText(const QHostAddress &address)
{
	return address.toString();
}

QString reasonText(const std::error_code &ec)
{
	if (ec == asio::error::address_in_use)
		return QStringLiteral("another program is using it");
	if (ec == asio::error::address_family_not_supported ||
	    ec == std::error_code(EADDRNOTAVAIL, asio::error::get_system_category()))
		return QStringLiteral("this address is not available on this machine");
	return QString::fromStdString(ec.message());
}

struct Client {
	Handle handle;
	QString peer;
	int waiting = 0;
	bool gone = false;
	std::chrono::steady_clock::time_point lastPong;
};
using ClientPtr = std::shared_ptr<Client>;

struct Request {
	ClientPtr client;
	std::string datagram;
	// As the client wrote it: answers are relayed when their sender's address text equals it.
	QString ip;
	asio::ip::udp::endpoint camera;

	// A VISCA-over-IP header (payload type, length that matches, sequence number) carried by the request.
	bool hasHeader() const
	{
		if (datagram.size() < 9)
			return false;
		const auto byte = [this](size_t i) { return static_cast<unsigned char>(datagram[i]); };
		const bool knownType = (byte(0) == 0x01 && (byte(1) == 0x00 || byte(1) == 0x10 || byte(1) == 0x20)) ||
				       (byte(0) == 0x02 && byte(1) == 0x00);
		return knownType && size_t(byte(2) << 8 | byte(3)) == datagram.size() - 8;
	}
	bool isControl() const { return static_cast<unsigned char>(datagram[0]) == 0x02; }

	// Whether a datagram from the camera answers this request: with a header, it must echo the sequence number.
	bool answeredBy(const char *reply, size_t size) const
	{
		return !hasHeader() || (size >= 8 && std::memcmp(reply + 4, datagram.data() + 4, 4) == 0);
	}

	// Completion or error of a command, the answer of an inquiry (both 5y or 6y in the reply's second VISCA byte),
	// or the reply to a control command end the exchange.
	bool completedBy(const char *reply, size_t size) const
	{
		if (!hasHeader())
			return size >= 2 && ((reply[1] & 0xF0) == 0x50 || (reply[1] & 0xF0) == 0x60);
		if (isControl())
			return true;
		return size >= 10 && ((reply[9] & 0xF0) == 0x50 || (reply[9] & 0xF0) == 0x60);
	}
};

// One camera address: a request in its reply window and those waiting behind it.
struct Camera {
	std::optional<Request> current;
	std::deque<Request> waiting;
	int replies = 0;
	unsigned ticket = 0;
	std::unique_ptr<asio::steady_timer> deadline;
};

struct Listener {
	QHostAddress address;
	asio::ip::tcp::acceptor acceptor;
	asio::steady_timer retry;
	bool errorLogged = false;

	Listener(asio::io_service &io, const QHostAddress &a) : address(a), acceptor(io), retry(io) {}
};

} // namespace

// One run of the server, from startServer to stopServer; a restart makes a new one.
struct ViscaTransfer::Private {
	quint16 webSocketPort;
	quint16 udpPort;
	QList<QHostAddress> listenAddresses = ViscaTransfer::loopbackAddresses();

	struct Run;
	std::unique_ptr<Run> run;

	Private(quint16 wsPort, quint16 uPort) : webSocketPort(wsPort), udpPort(uPort) {}
};

struct ViscaTransfer::Private::Run {
	// Declared first so that the sockets and timers below go before the io_service they use.
	Server server;
	std::list<Listener> listeners;
	std::unique_ptr<asio::ip::udp::socket> udp;
	std::unique_ptr<QThread> thread;
	QList<QHostAddress> bound;
	quint16 port = 0;

	// Everything below belongs to the server thread once it runs.
	std::map<Handle, ClientPtr, std::owner_less<Handle>> clients; // admitted at the handshake
	// Accepted sockets still in their handshake, oldest first.
	std::deque<Handle> handshaking;
	std::map<quint32, Camera> cameras;
	std::array<char, 65536> buffer{};
	asio::ip::udp::endpoint sender;
	unsigned tickets = 0;
	bool closing = false;
	bool refusalLogged = false;

	bool setUp(quint16 webSocketPort, quint16 udpPort, const QList<QHostAddress> &addresses);
	void listen(const QList<QHostAddress> &addresses);
	void accept(Listener &listener);
	void runLoop();

	bool validate(const Handle &hdl);
	bool inHandshake(const Handle &hdl) const;
	bool endHandshake(const Handle &hdl);
	void opened(const Handle &hdl);
	void closed(const Handle &hdl);
	void failed(const Handle &hdl);
	bool pinged(const Handle &hdl);
	void onMessage(const Handle &hdl, const std::string &payload);
	std::optional<Request> parse(const std::string &payload) const;
	bool send(Camera &camera, quint32 key, Request request);
	void finish(quint32 key);
	void readDatagrams();
	void onDatagram(size_t size);
	void relay(const Request &request, const QString &senderText, quint16 senderPort, size_t size);
	void closeClient(const ClientPtr &client, websocketpp::close::status::value code, const std::string &reason);
	void dropWaiting(const ClientPtr &client);
	void closeForShutdown(const Handle &hdl);
	void closeAll();
};

void ViscaTransfer::setLogSink(LogSink sink)
{
	std::lock_guard<std::mutex> lock(sinkMutex);
	logSink = std::move(sink);
}

ViscaTransfer::ViscaTransfer(QObject *parent, quint16 webSocketPort, quint16 udpPort)
	: QObject(parent), d(std::make_unique<Private>(webSocketPort, udpPort))
{
}

ViscaTransfer::~ViscaTransfer()
{
	stopServer();
}

QList<QHostAddress> ViscaTransfer::loopbackAddresses()
{
	return {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
}

QList<QHostAddress> ViscaTransfer::networkAddresses()
{
	return {QHostAddress(QHostAddress::AnyIPv4), QHostAddress(QHostAddress::AnyIPv6)};
}

void ViscaTransfer::setListenAddresses(const QList<QHostAddress> &addresses)
{
	d->listenAddresses = addresses;
}

void ViscaTransfer::setOpenToNetwork(bool open)
{
	setListenAddresses(open ? networkAddresses() : loopbackAddresses());
	if (d->run) {
		stopServer();
		startServer();
	}
}

void ViscaTransfer::startServer()
{
	if (d->run)
		return;
	auto run = std::make_unique<Private::Run>();
	if (!run->setUp(d->webSocketPort, d->udpPort, d->listenAddresses))
		return;
	Private::Run *r = run.get();
	run->thread.reset(QThread::create([r] { r->runLoop(); }));
	run->thread->start();
	d->run = std::move(run);
}

bool ViscaTransfer::isListening() const
{
	return d->run != nullptr;
}

QList<QHostAddress> ViscaTransfer::listeningAddresses() const
{
	return d->run ? d->run->bound : QList<QHostAddress>();
}

void ViscaTransfer::stopServer()
{
	if (!d->run)
		return;
	Private::Run *r = d->run.get();
	asio::post(r->server.get_io_service(), [r] { r->closeAll(); });
	// Clients that answer the close frame let the loop run dry by itself; the others are cut off.
	if (!r->thread->wait(closeGraceMs)) {
		r->server.stop();
		r->thread->wait();
	}
	log(LogLevel::Info, QStringLiteral("ViscaTransfer: Stopped listening on port %1").arg(r->port));
	d->run.reset();
}

// ---- Set-up, on the caller's thread before the server thread starts --------------------------------------------

bool ViscaTransfer::Private::Run::setUp(quint16 webSocketPort, quint16 udpPort, const QList<QHostAddress> &addresses)
{
	port = webSocketPort;
	// The library's own loggers stay silent: the bridge logs one line per connection and its own events.
	server.clear_access_channels(websocketpp::log::alevel::all);
	server.clear_error_channels(websocketpp::log::elevel::all);
	server.set_max_message_size(maxMessageSize);
	server.set_open_handshake_timeout(handshakeTimeoutMs);
	server.set_close_handshake_timeout(closeTimeoutMs);

	std::error_code ec;
	server.init_asio(ec);
	if (ec) {
		log(LogLevel::Warning, QStringLiteral("ViscaTransfer: Cannot set up the WebSocket server: %1")
					       .arg(QString::fromStdString(ec.message())));
		return false;
	}
	server.set_validate_handler([this](Handle hdl) { return validate(hdl); });
	server.set_open_handler([this](Handle hdl) { opened(hdl); });
	server.set_close_handler([this](Handle hdl) { closed(hdl); });
	server.set_fail_handler([this](Handle hdl) { failed(hdl); });
	server.set_ping_handler([this](Handle hdl, const std::string &) { return pinged(hdl); });
	server.set_message_handler(
		[this](Handle hdl, Server::message_ptr message) { onMessage(hdl, message->get_payload()); });

	listen(addresses);
	if (bound.isEmpty())
		return false;

	udp = std::make_unique<asio::ip::udp::socket>(server.get_io_service());
	udp->open(asio::ip::udp::v4(), ec);
	if (!ec) {
		udp->set_option(asio::socket_base::reuse_address(true), ec);
		udp->non_blocking(true, ec);
		// A failed bind leaves the socket on an ephemeral port, where the answers still arrive.
		udp->bind(asio::ip::udp::endpoint(asio::ip::address_v4::any(), udpPort), ec);
		if (ec)
			log(LogLevel::Info,
			    QStringLiteral("ViscaTransfer: UDP port %1 is taken; camera answers come back "
					   "to another port")
				    .arg(udpPort));
	} else {
		log(LogLevel::Warning, QStringLiteral("ViscaTransfer: Cannot open a UDP socket: %1")
					       .arg(QString::fromStdString(ec.message())));
		return false;
	}
	for (Listener &listener : listeners)
		accept(listener);
	readDatagrams();
	return true;
}

void ViscaTransfer::Private::Run::listen(const QList<QHostAddress> &addresses)
{
	QList<QPair<QHostAddress, std::error_code>> failures;
	for (const QHostAddress &address : addresses) {
		std::error_code ec;
		const asio::ip::address ip = asio::ip::make_address(address.toString().toStdString(), ec);
		if (ec) {
			failures.append({address, ec});
			continue;
		}
		Listener &listener = listeners.emplace_back(server.get_io_service(), address);
		const asio::ip::tcp::endpoint endpoint(ip, port);
		listener.acceptor.open(endpoint.protocol(), ec);
		// Each address is bound on its own: "::" must not take the IPv4 side as well.
		if (!ec && ip.is_v6())
			listener.acceptor.set_option(asio::ip::v6_only(true), ec);
		if (!ec)
			listener.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
		if (!ec)
			listener.acceptor.bind(endpoint, ec);
		if (!ec)
			listener.acceptor.listen(asio::socket_base::max_listen_connections, ec);
		if (ec) {
			failures.append({address, ec});
			listeners.pop_back();
			continue;
		}
		bound.append(address);
	}

	QStringList boundTexts;
	bool open = false;
	for (const QHostAddress &address : bound) {
		boundTexts.append(addressText(address));
		open = open || !address.isLoopback();
	}
	if (bound.isEmpty()) {
		std::error_code reason = failures.isEmpty() ? std::error_code() : failures.first().second;
		for (const auto &failure : failures)
			if (failure.second == asio::error::address_in_use)
				reason = failure.second;
		log(LogLevel::Warning,
		    QStringLiteral("ViscaTransfer: Cannot listen on port %1: %2. The WebSocket bridge "
				   "is off.")
			    .arg(port)
			    .arg(failures.isEmpty() ? QStringLiteral("no address to listen on") : reasonText(reason)));
		return;
	}
	for (const auto &failure : failures)
		log(LogLevel::Warning,
		    QStringLiteral("ViscaTransfer: Cannot listen on %1 port %2: %3. Listening on %4 only.")
			    .arg(addressText(failure.first))
			    .arg(port)
			    .arg(reasonText(failure.second))
			    .arg(boundTexts.join(QStringLiteral(" and "))));
	log(LogLevel::Info, QStringLiteral("ViscaTransfer: Listening on %1, port %2")
				    .arg(boundTexts.join(QStringLiteral(" and ")))
				    .arg(port));
	if (open)
		log(LogLevel::Warning,
		    QStringLiteral("ViscaTransfer: The bridge is open to the network: other computers "
				   "can connect to port %1 and drive the cameras")
			    .arg(port));
}

// ---- The server thread ------------------------------------------------------------------------------------------

void ViscaTransfer::Private::Run::runLoop()
{
	// A handler that throws costs that one event, not the bridge.
	for (bool done = false; !done;) {
		try {
			server.run();
			done = true;
		} catch (const std::exception &) {
			log(LogLevel::Warning, QStringLiteral("Catch Error."));
		}
	}
}

void ViscaTransfer::Private::Run::accept(Listener &listener)
{
	Server::connection_ptr connection = server.get_connection();
	listener.acceptor.async_accept(connection->get_raw_socket(), [this, &listener,
								      connection](const std::error_code &ec) {
		if (closing || ec == asio::error::operation_aborted)
			return;
		if (ec) {
			// Out of file descriptors, say: try again a little later rather than spin.
			if (!listener.errorLogged)
				log(LogLevel::Warning, QStringLiteral("ViscaTransfer: Cannot accept connections: %1")
							       .arg(QString::fromStdString(ec.message())));
			listener.errorLogged = true;
			listener.retry.expires_after(acceptRetry);
			listener.retry.async_wait([this, &listener](const std::error_code &error) {
				if (!error && !closing)
					accept(listener);
			});
			return;
		}
		listener.errorLogged = false;
		// Sockets that never finish their handshake must not lock out the clients that do: the oldest gives
		// way.
		if (handshaking.size() >= maxHandshaking) {
			if (!refusalLogged)
				log(LogLevel::Info,
				    QStringLiteral("ViscaTransfer: Too many connections in their handshake; "
						   "the oldest are cut off"));
			refusalLogged = true;
			const Handle oldest = handshaking.front();
			handshaking.pop_front();
			std::error_code ignored;
			if (Server::connection_ptr stale = server.get_con_from_hdl(oldest, ignored))
				stale->terminate(std::error_code());
		}
		handshaking.push_back(connection->get_handle());
		connection->start();
		accept(listener);
	});
}

bool ViscaTransfer::Private::Run::validate(const Handle &hdl)
{
	std::error_code ec;
	Server::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (ec || closing)
		return false;
	const QString peer = QString::fromStdString(connection->get_remote_endpoint());
	std::string origin = connection->get_request_header("Origin");
	if (origin.empty()) // older protocol drafts
		origin = connection->get_request_header("Sec-WebSocket-Origin");
	if (!isLocalOrigin(origin)) {
		connection->set_status(websocketpp::http::status_code::forbidden);
		log(LogLevel::Info,
		    QStringLiteral("ViscaTransfer: Connection from %1 refused: web pages from %2 may not "
				   "use the bridge")
			    .arg(peer, QString::fromStdString(origin)));
		return false;
	}
	if (clients.size() >= maxConnections) {
		connection->set_status(websocketpp::http::status_code::service_unavailable);
		if (!refusalLogged)
			log(LogLevel::Info, QStringLiteral("ViscaTransfer: Connection from %1 refused: %2 clients are "
							   "connected already")
						    .arg(peer)
						    .arg(maxConnections));
		refusalLogged = true;
		return false;
	}
	auto client = std::make_shared<Client>();
	client->handle = hdl;
	client->peer = peer;
	clients.emplace(hdl, std::move(client));
	return true;
}

bool ViscaTransfer::Private::Run::inHandshake(const Handle &hdl) const
{
	return std::any_of(handshaking.begin(), handshaking.end(), [&hdl](const Handle &other) {
		return !hdl.owner_before(other) && !other.owner_before(hdl);
	});
}

bool ViscaTransfer::Private::Run::endHandshake(const Handle &hdl)
{
	for (auto it = handshaking.begin(); it != handshaking.end(); ++it) {
		if (!hdl.owner_before(*it) && !it->owner_before(hdl)) {
			handshaking.erase(it);
			return true;
		}
	}
	return false;
}

void ViscaTransfer::Private::Run::opened(const Handle &hdl)
{
	endHandshake(hdl);
	const auto it = clients.find(hdl);
	if (it == clients.end())
		return;
	log(LogLevel::Info, QStringLiteral("ViscaTransfer: Client %1 connected").arg(it->second->peer));
	// A handshake that finished after shutdown began still gets a proper close.
	if (closing)
		closeForShutdown(hdl);
}

// Logged here, as the loop may stop before the client answers the close frame; taken out of the map first, as
// closing may end a connection and run its handler.
void ViscaTransfer::Private::Run::closeForShutdown(const Handle &hdl)
{
	const auto it = clients.find(hdl);
	log(LogLevel::Info,
	    QStringLiteral("ViscaTransfer: Client %1 disconnected (the bridge stops)").arg(it->second->peer));
	clients.erase(it);
	std::error_code ignored;
	server.close(hdl, websocketpp::close::status::going_away, std::string(), ignored);
}

void ViscaTransfer::Private::Run::closed(const Handle &hdl)
{
	const auto it = clients.find(hdl);
	if (it == clients.end())
		return;
	const ClientPtr client = it->second;
	clients.erase(it);
	dropWaiting(client);
	refusalLogged = false;
	std::error_code ec;
	Server::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	const int code = ec ? 0 : int(connection->get_remote_close_code());
#ifdef __GLIBC__
	// What a busy client made the server thread allocate goes back to the system, not just to the heap.
	malloc_trim(0);
#endif
	log(LogLevel::Info, QStringLiteral("ViscaTransfer: Client %1 disconnected (%2)")
				    .arg(client->peer)
				    .arg(code == websocketpp::close::status::no_status ||
							 code == websocketpp::close::status::abnormal_close
						 ? QStringLiteral("no close code")
						 : QStringLiteral("code %1").arg(code)));
}

void ViscaTransfer::Private::Run::failed(const Handle &hdl)
{
	const bool counted = endHandshake(hdl);
	clients.erase(hdl);
	if (handshaking.size() < maxHandshaking && clients.size() < maxConnections)
		refusalLogged = false;
	std::error_code ec;
	Server::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (!counted || closing || ec)
		return;
	// Refusals were logged at the handshake.
	const auto status = connection->get_response_code();
	if (status == websocketpp::http::status_code::forbidden ||
	    status == websocketpp::http::status_code::service_unavailable)
		return;
	log(LogLevel::Debug, QStringLiteral("ViscaTransfer: Connection from %1 ended before its handshake: %2")
				     .arg(QString::fromStdString(connection->get_remote_endpoint()),
					  QString::fromStdString(connection->get_ec().message())));
}

bool ViscaTransfer::Private::Run::pinged(const Handle &hdl)
{
	const auto it = clients.find(hdl);
	std::error_code ec;
	Server::connection_ptr connection = server.get_con_from_hdl(hdl, ec);
	if (it == clients.end() || ec)
		return false;
	Client &client = *it->second;
	if (connection->get_buffered_amount() > maxUnsentBytes) {
		closeClient(it->second, websocketpp::close::status::policy_violation, "Too much unread output");
		return false;
	}
	const auto now = std::chrono::steady_clock::now();
	if (now - client.lastPong < pongInterval)
		return false;
	client.lastPong = now;
	return true;
}

void ViscaTransfer::Private::Run::onMessage(const Handle &hdl, const std::string &payload)
{
	const auto it = clients.find(hdl);
	if (closing || it == clients.end() || it->second->gone)
		return;
	const ClientPtr client = it->second;
	std::optional<Request> request = parse(payload);
	if (!request)
		return;
	request->client = client;
	const quint32 key = request->camera.address().to_v4().to_uint();
	Camera &camera = cameras[key];
	if (!camera.current && camera.waiting.empty()) {
		if (!send(camera, key, std::move(*request)) && !camera.current)
			cameras.erase(key);
		return;
	}
	if (client->waiting >= maxWaitingPerClient) {
		closeClient(client, websocketpp::close::status::policy_violation, "Too many requests waiting");
		return;
	}
	++client->waiting;
	camera.waiting.push_back(std::move(*request));
}

std::optional<Request> ViscaTransfer::Private::Run::parse(const std::string &payload) const
{
	const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(payload));
	if (!document.isObject())
		return std::nullopt;
	const QJsonObject object = document.object();
	const quint16 targetPort = quint16(object.value(QLatin1String("port")).toInt());
	const QJsonArray data = object.value(QLatin1String("data")).toArray();
	Request request;
	request.ip = object.value(QLatin1String("ip")).toString();
	if (data.isEmpty()) {
		log(LogLevel::Debug, QStringLiteral("Data is empty."));
		return std::nullopt;
	}
	// Qt's parser, so "ip" means what it would mean to the camera link.
	const QHostAddress address(request.ip);
	if (address.protocol() != QAbstractSocket::IPv4Protocol) {
		log(LogLevel::Debug, QStringLiteral("It's failed to write data to socket."));
		return std::nullopt;
	}
	request.camera = asio::ip::udp::endpoint(asio::ip::address_v4(address.toIPv4Address()), targetPort);
	request.datagram.reserve(size_t(data.size()));
	for (const QJsonValue &value : data)
		request.datagram.push_back(char(value.toInt() & 0xFF));
	return request;
}

// Writes the request's datagram and opens its reply window; false when it could not be written.
bool ViscaTransfer::Private::Run::send(Camera &camera, quint32 key, Request request)
{
	std::error_code ec;
	const size_t written = udp->send_to(asio::buffer(request.datagram), request.camera, 0, ec);
	if (ec) {
		log(LogLevel::Debug, QStringLiteral("It's failed to write data to socket."));
		return false;
	}
	if (written < request.datagram.size()) {
		log(LogLevel::Debug, QStringLiteral("It's less than the size of byteArray."));
		return false;
	}
	camera.current = std::move(request);
	camera.replies = 0;
	camera.ticket = ++tickets;
	if (!camera.deadline)
		camera.deadline = std::make_unique<asio::steady_timer>(server.get_io_service());
	camera.deadline->expires_after(replyWindow);
	camera.deadline->async_wait([this, key, ticket = camera.ticket](const std::error_code &) {
		const auto it = cameras.find(key);
		if (!closing && it != cameras.end() && it->second.ticket == ticket)
			finish(key);
	});
	return true;
}

// Ends the camera's current exchange and sends the next waiting request, in the order received.
void ViscaTransfer::Private::Run::finish(quint32 key)
{
	const auto it = cameras.find(key);
	Camera &camera = it->second;
	camera.current.reset();
	camera.ticket = 0;
	camera.deadline->cancel();
	while (!camera.waiting.empty()) {
		Request next = std::move(camera.waiting.front());
		camera.waiting.pop_front();
		--next.client->waiting;
		if (send(camera, key, std::move(next)))
			return;
	}
	cameras.erase(it);
}

void ViscaTransfer::Private::Run::readDatagrams()
{
	udp->async_receive_from(asio::buffer(buffer), sender, [this](const std::error_code &ec, size_t size) {
		if (closing || ec == asio::error::operation_aborted)
			return;
		if (!ec)
			onDatagram(size);
		readDatagrams();
	});
}

// Every datagram is looked at the moment it arrives: one that answers no request in flight is dropped at once, so
// stray traffic never delays a camera's answer.
void ViscaTransfer::Private::Run::onDatagram(size_t size)
{
	const bool v4 = sender.address().is_v4();
	const QString senderText = v4 ? QHostAddress(sender.address().to_v4().to_uint()).toString()
				      : QString::fromStdString(sender.address().to_string());
	const quint32 key = v4 ? sender.address().to_v4().to_uint() : 0;
	const auto it = v4 ? cameras.find(key) : cameras.end();
	if (it == cameras.end() || !it->second.current || it->second.current->ip != senderText ||
	    !it->second.current->answeredBy(buffer.data(), size)) {
		log(LogLevel::Debug, QStringLiteral("The data is from (%1)").arg(senderText));
		return;
	}
	Camera &camera = it->second;
	const Request &request = *camera.current;
	relay(request, senderText, sender.port(), size);
	if (++camera.replies >= maxReplies || request.completedBy(buffer.data(), size))
		finish(key);
}

void ViscaTransfer::Private::Run::relay(const Request &request, const QString &senderText, quint16 senderPort,
					size_t size)
{
	const ClientPtr &client = request.client;
	std::error_code ec;
	Server::connection_ptr connection = client->gone ? nullptr : server.get_con_from_hdl(client->handle, ec);
	if (!connection || ec) {
		log(LogLevel::Debug, QStringLiteral("ViscaTransfer: Reply dropped, its client has gone"));
		return;
	}
	QJsonArray bytes;
	for (size_t i = 0; i < size; ++i)
		bytes.append(int(static_cast<unsigned char>(buffer[i])));
	QJsonObject reply;
	reply.insert(QLatin1String("ip"), senderText);
	reply.insert(QLatin1String("port"), int(senderPort));
	reply.insert(QLatin1String("data"), bytes);
	const QByteArray text = QJsonDocument(reply).toJson(QJsonDocument::Compact);
	if (connection->get_buffered_amount() + size_t(text.size()) > maxUnsentBytes) {
		closeClient(client, websocketpp::close::status::policy_violation, "Too much unread output");
		return;
	}
	ec = connection->send(text.constData(), size_t(text.size()), websocketpp::frame::opcode::text);
	if (ec)
		log(LogLevel::Debug, QStringLiteral("ViscaTransfer: Reply dropped, its client has gone"));
}

void ViscaTransfer::Private::Run::closeClient(const ClientPtr &client, websocketpp::close::status::value code,
					      const std::string &reason)
{
	if (client->gone)
		return;
	client->gone = true;
	dropWaiting(client);
	log(LogLevel::Info,
	    QStringLiteral("ViscaTransfer: Closing client %1: %2").arg(client->peer, QString::fromStdString(reason)));
	std::error_code ignored;
	server.close(client->handle, code, reason, ignored);
}

// A client that has gone takes its waiting requests with it; one already in its reply window runs out, and its
// answers are dropped.
void ViscaTransfer::Private::Run::dropWaiting(const ClientPtr &client)
{
	client->gone = true;
	for (auto it = cameras.begin(); it != cameras.end(); ++it) {
		std::deque<Request> &waiting = it->second.waiting;
		for (auto request = waiting.begin(); request != waiting.end();) {
			if (request->client == client)
				request = waiting.erase(request);
			else
				++request;
		}
	}
	client->waiting = 0;
}

void ViscaTransfer::Private::Run::closeAll()
{
	closing = true;
	std::error_code ignored;
	for (Listener &listener : listeners) {
		listener.acceptor.close(ignored);
		listener.retry.cancel();
	}
	for (auto &entry : cameras)
		if (entry.second.deadline)
			entry.second.deadline->cancel();
	cameras.clear();
	udp->close(ignored);
	// Clients admitted at the handshake but not yet open are closed as soon as they open; the rest of the
	// handshakes are cut off.
	std::vector<Handle> open;
	for (const auto &entry : clients)
		if (!inHandshake(entry.first))
			open.push_back(entry.first);
	for (const Handle &hdl : open)
		closeForShutdown(hdl);
	const auto pending = handshaking;
	for (const Handle &hdl : pending) {
		Server::connection_ptr connection = server.get_con_from_hdl(hdl, ignored);
		if (connection && clients.find(hdl) == clients.end())
			connection->terminate(std::error_code());
	}
}
