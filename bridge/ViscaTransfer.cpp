#include "ViscaTransfer.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QUrl>
#include <QtDebug>

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include <chrono>
#include <deque>
#include <set>

#include <poll.h>

namespace {

using Server = websocketpp::server<websocketpp::config::asio>;
using Clock = std::chrono::steady_clock;

// A request is answered within three passes; pass N ends this long after the datagram was written.
constexpr std::chrono::milliseconds passLength{100};
constexpr int passCount = 3;
// Anything bigger than a few hundred bytes is not a camera datagram; 64 KiB leaves ample room.
constexpr size_t maxMessageSize = 64 * 1024;
// Requests beyond this, sent while earlier ones still collect answers, are dropped.
constexpr size_t maxWaitingRequests = 64;
// How long the clients get to finish the close handshake before the event loop is stopped.
constexpr unsigned long closeGraceMs = 250;

bool sameHandle(const websocketpp::connection_hdl &a, const websocketpp::connection_hdl &b)
{
	std::owner_less<websocketpp::connection_hdl> less;
	return !less(a, b) && !less(b, a);
}

// Browsers always send Origin: only pages served from this machine (or local files) may drive the cameras.
// Programs send no Origin and are accepted.
bool isLocalOrigin(const std::string &originText)
{
	const QString origin = QString::fromStdString(originText).trimmed();
	if (origin.isEmpty() || origin == QLatin1String("null"))
		return true;
	const QUrl url(origin);
	if (!url.isValid())
		return false;
	if (url.scheme() == QLatin1String("file"))
		return true;
	const QString host = url.host();
	if (host == QLatin1String("localhost"))
		return true;
	const QHostAddress address(host);
	return !address.isNull() && address.isLoopback();
}

} // namespace

struct ViscaTransfer::Private {
	quint16 webSocketPort;
	quint16 udpPort;
	Server server;
	std::unique_ptr<QThread> thread;
	bool listening = false;
	bool stopped = false;

	// Everything below belongs to the server thread.
	QString targetAddress;
	websocketpp::connection_hdl clientHandle;
	std::set<websocketpp::connection_hdl, std::owner_less<websocketpp::connection_hdl>> connections;
	// Requests wait here while an earlier one is still collecting answers, so requests never overlap.
	std::deque<std::pair<websocketpp::connection_hdl, QByteArray>> requests;
	asio::ip::udp::socket *udpSocket = nullptr;
	asio::steady_timer *passTimer = nullptr;
	bool collecting = false;
	bool closing = false;
	int pass = 0;
	unsigned passTicket = 0;
	Clock::time_point writtenAt;

	Private(quint16 wsPort, quint16 uPort) : webSocketPort(wsPort), udpPort(uPort) {}

	void runLoop();
	void onMessage(websocketpp::connection_hdl hdl, Server::message_ptr message);
	void handleNextRequests();
	bool sendRequest(const QByteArray &payload);
	void startPass();
	void endPass(unsigned ticket, bool readable);
	bool datagramPending() const;
	void relayOneDatagram();
	void closeConnections();
};

ViscaTransfer::ViscaTransfer(QObject *parent, quint16 webSocketPort, quint16 udpPort)
	: QObject(parent), d(std::make_unique<Private>(webSocketPort, udpPort))
{
	Server &server = d->server;
	server.set_error_channels(websocketpp::log::elevel::all);
	server.set_access_channels(websocketpp::log::alevel::all);
	server.clear_access_channels(websocketpp::log::alevel::frame_payload);
	server.set_reuse_addr(true);
	server.set_max_message_size(maxMessageSize);

	std::error_code ec;
	server.init_asio(ec);
	if (ec) {
		qDebug("ViscaTransfer: Failed to set up the WebSocket server: %s", ec.message().c_str());
		return;
	}

	Private *p = d.get();
	server.set_message_handler([p](websocketpp::connection_hdl hdl, Server::message_ptr message) {
		p->onMessage(std::move(hdl), std::move(message));
	});
	server.set_validate_handler([p](websocketpp::connection_hdl hdl) {
		std::error_code error;
		Server::connection_ptr connection = p->server.get_con_from_hdl(hdl, error);
		if (error)
			return false;
		std::string origin = connection->get_request_header("Origin");
		if (origin.empty()) // older protocol drafts
			origin = connection->get_request_header("Sec-WebSocket-Origin");
		if (isLocalOrigin(origin))
			return true;
		connection->set_status(websocketpp::http::status_code::forbidden);
		return false;
	});
	server.set_open_handler([p](websocketpp::connection_hdl hdl) {
		p->connections.insert(hdl);
		// A handshake that finished after shutdown began still gets a proper close.
		std::error_code ignored;
		if (p->closing)
			p->server.close(hdl, websocketpp::close::status::going_away, std::string(), ignored);
	});
	server.set_close_handler([p](websocketpp::connection_hdl hdl) { p->connections.erase(hdl); });
	server.set_fail_handler([p](websocketpp::connection_hdl hdl) { p->connections.erase(hdl); });

	server.listen(webSocketPort, ec);
	if (!ec)
		server.start_accept(ec);
	if (ec) {
		// The panel and OBS carry on without the bridge.
		qDebug("ViscaTransfer: Failed to listen on port %u: %s", unsigned(webSocketPort), ec.message().c_str());
		return;
	}
	d->listening = true;
	d->thread.reset(QThread::create([p] { p->runLoop(); }));
}

ViscaTransfer::~ViscaTransfer()
{
	stopServer();
}

void ViscaTransfer::startServer()
{
	if (!d->listening || d->stopped || !d->thread || d->thread->isRunning() || d->thread->isFinished())
		return;
	d->thread->start();
}

bool ViscaTransfer::isListening() const
{
	return d->listening && !d->stopped;
}

void ViscaTransfer::stopServer()
{
	if (d->stopped)
		return;
	d->stopped = true;
	if (!d->listening)
		return;

	if (!d->thread->isRunning()) {
		// No other thread touches the endpoint: close here; the destructor drops what is queued.
		d->closeConnections();
		return;
	}

	Private *p = d.get();
	asio::post(d->server.get_io_service(), [p] { p->closeConnections(); });
	// Clients that answer the close frame let the loop run dry by itself; the others are cut off.
	if (!d->thread->wait(closeGraceMs)) {
		d->server.stop();
		d->thread->wait();
	}
}

void ViscaTransfer::Private::runLoop()
{
	std::error_code ec;
	asio::ip::udp::socket socket(server.get_io_service());
	asio::steady_timer timer(server.get_io_service());
	socket.open(asio::ip::udp::v4(), ec);
	if (!ec) {
		socket.set_option(asio::socket_base::reuse_address(true), ec);
		// A failed bind leaves the socket on an ephemeral port, where the answers still arrive.
		socket.bind(asio::ip::udp::endpoint(asio::ip::address_v4::any(), udpPort), ec);
		socket.non_blocking(true, ec);
		udpSocket = &socket;
	}
	passTimer = &timer;
	// A handler that throws costs that one event, not the bridge.
	for (bool done = false; !done;) {
		try {
			server.run();
			done = true;
		} catch (const std::exception &) {
			qDebug("Catch Error.");
		}
	}
	udpSocket = nullptr;
	passTimer = nullptr;
}

void ViscaTransfer::Private::onMessage(websocketpp::connection_hdl hdl, Server::message_ptr message)
{
	if (closing)
		return;
	if (requests.size() >= maxWaitingRequests) {
		qDebug("ViscaTransfer: Too many requests waiting, request dropped");
		return;
	}
	requests.emplace_back(std::move(hdl), QByteArray::fromStdString(message->get_payload()));
	handleNextRequests();
}

void ViscaTransfer::Private::handleNextRequests()
{
	while (!collecting && !closing && !requests.empty()) {
		auto [hdl, payload] = std::move(requests.front());
		requests.pop_front();
		clientHandle = hdl;
		try {
			collecting = sendRequest(payload);
		} catch (const std::exception &) {
			qDebug("Catch Error.");
		}
	}
	if (collecting && pass == 0)
		startPass();
}

bool ViscaTransfer::Private::sendRequest(const QByteArray &payload)
{
	const QJsonDocument document = QJsonDocument::fromJson(payload);
	if (!document.isObject())
		return false;
	const QJsonObject request = document.object();
	const quint16 port = quint16(request.value(QLatin1String("port")).toInt());
	const QJsonArray data = request.value(QLatin1String("data")).toArray();
	targetAddress = request.value(QLatin1String("ip")).toString();
	if (data.isEmpty()) {
		qDebug("Data is empty.");
		return false;
	}

	std::string datagram;
	datagram.reserve(size_t(data.size()));
	for (const QJsonValue &value : data)
		datagram.push_back(char(value.toInt() & 0xFF));

	// Qt's parser, so "ip" means what it would mean to the camera link.
	const QHostAddress address(targetAddress);
	std::error_code ec;
	size_t written = 0;
	if (udpSocket && address.protocol() == QAbstractSocket::IPv4Protocol) {
		const asio::ip::udp::endpoint camera(asio::ip::address_v4(address.toIPv4Address()), port);
		written = udpSocket->send_to(asio::buffer(datagram), camera, 0, ec);
	} else {
		ec = std::make_error_code(std::errc::address_not_available);
	}
	if (ec) {
		qDebug("It's failed to write data to socket.");
		return false;
	}
	if (written < datagram.size()) {
		qDebug("It's less than the size of byteArray.");
		return false;
	}
	writtenAt = Clock::now();
	pass = 0;
	return true;
}

// Pass N takes at most one datagram and ends N pass lengths after the write; each answer is relayed the moment
// it arrives. What arrives after the third pass waits in the socket for the next request.
void ViscaTransfer::Private::startPass()
{
	++pass;
	const unsigned ticket = ++passTicket;
	passTimer->expires_at(writtenAt + pass * passLength);
	passTimer->async_wait([this, ticket](const std::error_code &) { endPass(ticket, false); });
	udpSocket->async_wait(asio::socket_base::wait_read,
			      [this, ticket](const std::error_code &ec) { endPass(ticket, !ec); });
}

void ViscaTransfer::Private::endPass(unsigned ticket, bool readable)
{
	// The pass was decided by the other wait, or shutdown cancelled it.
	if (ticket != passTicket || closing)
		return;
	++passTicket;
	std::error_code ignored;
	passTimer->cancel();
	udpSocket->cancel(ignored);
	try {
		if (readable || datagramPending())
			relayOneDatagram();
	} catch (const std::exception &) {
		qDebug("Catch Error.");
	}
	if (pass < passCount) {
		startPass();
		return;
	}
	collecting = false;
	pass = 0;
	handleNextRequests();
}

bool ViscaTransfer::Private::datagramPending() const
{
	pollfd fd = {udpSocket->native_handle(), POLLIN, 0};
	return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0;
}

void ViscaTransfer::Private::relayOneDatagram()
{
	static thread_local char buffer[65536];
	asio::ip::udp::endpoint sender;
	std::error_code ec;
	const size_t size = udpSocket->receive_from(asio::buffer(buffer), sender, 0, ec);
	if (ec || !sender.address().is_v4())
		return;

	QJsonArray bytes;
	for (size_t i = 0; i < size; ++i)
		bytes.append(int(static_cast<unsigned char>(buffer[i])));
	const QString senderText = QHostAddress(sender.address().to_v4().to_uint()).toString();
	if (senderText != targetAddress) {
		qDebug("The data is from (%s)", qPrintable(senderText));
		return;
	}

	QJsonObject reply;
	reply.insert(QLatin1String("ip"), senderText);
	reply.insert(QLatin1String("port"), int(sender.port()));
	reply.insert(QLatin1String("data"), bytes);
	const QByteArray text = QJsonDocument(reply).toJson(QJsonDocument::Compact);
	server.send(clientHandle, text.toStdString(), websocketpp::frame::opcode::text, ec);
	if (ec)
		qDebug("ViscaTransfer: Error sending reply, the client has gone");
}

void ViscaTransfer::Private::closeConnections()
{
	closing = true;
	requests.clear();
	std::error_code ec;
	if (passTimer)
		passTimer->cancel();
	if (udpSocket)
		udpSocket->cancel(ec);
	if (server.is_listening()) {
		server.stop_listening(ec);
		if (ec)
			qDebug("Catch Error.");
	}
	server.close(clientHandle, websocketpp::close::status::going_away, std::string(), ec);
	if (ec)
		qDebug("ViscaTransfer: Error closing connection");
	// A copy: closing may end a connection and run the close handler.
	const auto open = connections;
	for (const websocketpp::connection_hdl &hdl : open) {
		if (sameHandle(hdl, clientHandle))
			continue;
		std::error_code ignored;
		server.close(hdl, websocketpp::close::status::going_away, std::string(), ignored);
	}
}
