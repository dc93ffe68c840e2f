#include "CameraRelay.h"

#include "BridgeLog.h"
#include "visca/ViscaFrame.h"

#include <QHostAddress>

#include <cstring>

namespace {

using LogLevel = ViscaTransfer::LogLevel;
using Kind = ViscaFrame::ReplyKind;

// Cameras remembered for their sequence numbers; beyond this, idle ones are forgotten.
constexpr size_t maxCameras = 1024;
// Payload of the control command that resets a camera's sequence number.
constexpr unsigned char resetPayload = 0x01;

bool ends(Kind kind)
{
	return kind == Kind::Completion || kind == Kind::Error;
}

} // namespace

CameraRelay::CameraRelay(asio::io_service &ioService, quint16 port, Deliver deliverReply, Overflow onOverflow)
	: io(ioService), udpPort(port), deliver(std::move(deliverReply)), overflow(std::move(onOverflow))
{
}

CameraRelay::~CameraRelay() = default;

bool CameraRelay::open()
{
	if (socket)
		return true;
	auto udp = std::make_unique<asio::ip::udp::socket>(io);
	std::error_code ec;
	udp->open(asio::ip::udp::v4(), ec);
	if (ec) {
		bridgeLog(LogLevel::Warning, QStringLiteral("ViscaTransfer: Cannot open a UDP socket: %1")
						     .arg(QString::fromStdString(ec.message())));
		return false;
	}
	udp->set_option(asio::socket_base::reuse_address(true), ec);
	udp->non_blocking(true, ec);
	udp->bind(asio::ip::udp::endpoint(asio::ip::address_v4::any(), udpPort), ec);
	if (ec && !takenLogged)
		bridgeLog(
			LogLevel::Info,
			QStringLiteral("ViscaTransfer: UDP port %1 is taken; camera answers come back to another port")
				.arg(udpPort));
	takenLogged = takenLogged || ec;
	socket = std::move(udp);
	++generation;
	receive();
	return true;
}

void CameraRelay::close()
{
	if (!socket)
		return;
	// Destroying the timers cancels their waits; the handlers see the cancellation.
	cameras.clear();
	std::error_code ignored;
	socket->close(ignored);
	socket.reset();
	++generation;
}

void CameraRelay::submit(const BridgeClientPtr &client, BridgeRequest request)
{
	if (!socket) {
		bridgeLog(LogLevel::Debug, QStringLiteral("It's failed to write data to socket."));
		return;
	}
	const quint32 key = request.address;
	Camera &camera = cameras[key];
	if (!camera.current && camera.turns.empty()) {
		send(camera, key, client, std::move(request));
		return;
	}
	if (client->waiting >= maxWaitingPerClient) {
		overflow(client);
		return;
	}
	++client->waiting;
	std::deque<BridgeRequest> &queue = camera.waiting[client.get()];
	if (queue.empty())
		camera.turns.push_back(client);
	queue.push_back(std::move(request));
}

void CameraRelay::dropClient(const BridgeClientPtr &client)
{
	for (auto &entry : cameras) {
		Camera &camera = entry.second;
		if (camera.waiting.erase(client.get()) == 0)
			continue;
		for (auto it = camera.turns.begin(); it != camera.turns.end(); ++it) {
			if (*it == client) {
				camera.turns.erase(it);
				break;
			}
		}
	}
	client->waiting = 0;
}

// Writes the request's datagram and opens its reply window; false when it could not be written.
bool CameraRelay::send(Camera &camera, quint32 key, const BridgeClientPtr &client, BridgeRequest request)
{
	Exchange exchange;
	exchange.client = client;
	auto *bytes = reinterpret_cast<unsigned char *>(&request.datagram[0]);
	const size_t size = request.datagram.size();
	exchange.headed = ViscaFrame::hasHeader(bytes, size);
	bool reset = false;
	if (exchange.headed && ViscaFrame::payloadType(bytes, size) == ViscaFrame::control) {
		reset = bytes[ViscaFrame::headerSize] == resetPayload;
	} else if (exchange.headed) {
		exchange.clientDigits = request.datagram.substr(4, 4);
		ViscaFrame::putSequence(bytes + 4, camera.sequence);
		camera.sequence = (camera.sequence + 1) & 0xFFFF;
	}
	std::error_code ec;
	const asio::ip::udp::endpoint target(asio::ip::address_v4(request.address), request.port);
	const size_t written = socket->send_to(asio::buffer(request.datagram), target, 0, ec);
	if (ec) {
		bridgeLog(LogLevel::Debug, QStringLiteral("It's failed to write data to socket."));
		return false;
	}
	if (written < size) {
		bridgeLog(LogLevel::Debug, QStringLiteral("It's less than the size of byteArray."));
		return false;
	}
	// The camera counts from 0 again, and so does the bridge.
	if (reset)
		camera.sequence = 0;
	exchange.request = std::move(request);
	exchange.sentAt = std::chrono::steady_clock::now();
	const bool headed = exchange.headed;
	camera.current = std::move(exchange);
	camera.ticket = ++tickets;
	if (!camera.deadline)
		camera.deadline = std::make_unique<asio::steady_timer>(io);
	waitUntil(camera, key, camera.current->sentAt + (headed ? replyWindow : firstAnswerWait), !headed);
	return true;
}

void CameraRelay::waitUntil(Camera &camera, quint32 key, std::chrono::steady_clock::time_point end, bool firstAnswer)
{
	camera.deadline->expires_at(end);
	camera.deadline->async_wait([this, key, firstAnswer, ticket = camera.ticket](const std::error_code &ec) {
		const auto it = cameras.find(key);
		if (ec || it == cameras.end() || it->second.ticket != ticket || !it->second.current)
			return;
		Camera &waited = it->second;
		if (firstAnswer && waited.current->replies > 0)
			waitUntil(waited, key, waited.current->sentAt + replyWindow, false);
		else
			finish(key);
	});
}

// Ends the camera's exchange and sends the next waiting request, taking the clients in turn.
void CameraRelay::finish(quint32 key)
{
	const auto it = cameras.find(key);
	Camera &camera = it->second;
	// The client just served waits behind the others, also when its backlog formed before they came.
	if (camera.turns.size() > 1 && camera.turns.front() == camera.current->client) {
		camera.turns.push_back(std::move(camera.turns.front()));
		camera.turns.pop_front();
	}
	camera.current.reset();
	camera.ticket = 0;
	camera.deadline->cancel();
	while (!camera.turns.empty()) {
		const BridgeClientPtr client = std::move(camera.turns.front());
		camera.turns.pop_front();
		const auto queue = camera.waiting.find(client.get());
		BridgeRequest next = std::move(queue->second.front());
		queue->second.pop_front();
		if (queue->second.empty())
			camera.waiting.erase(queue);
		else
			camera.turns.push_back(client);
		--client->waiting;
		if (send(camera, key, client, std::move(next)))
			return;
	}
	if (cameras.size() > maxCameras) {
		for (auto idle = cameras.begin(); idle != cameras.end();) {
			if (!idle->second.current && idle->second.turns.empty())
				idle = cameras.erase(idle);
			else
				++idle;
		}
	}
}

void CameraRelay::receive()
{
	socket->async_receive_from(asio::buffer(buffer), sender,
				   [this, opened = generation](const std::error_code &ec, size_t size) {
					   if (opened != generation || ec == asio::error::operation_aborted)
						   return;
					   if (!ec)
						   onDatagram(size);
					   if (opened == generation)
						   receive();
				   });
}

bool CameraRelay::answers(const Exchange &exchange, size_t size) const
{
	// With a header, an answer echoes the sequence number the camera was sent.
	return !exchange.headed || (size >= ViscaFrame::headerSize &&
				    std::memcmp(buffer.data() + 4, exchange.request.datagram.data() + 4, 4) == 0);
}

// Every datagram is looked at the moment it arrives: one that answers no request in flight is dropped at once, so
// stray traffic never delays a camera's answer. Only the camera's own address and port can answer.
void CameraRelay::onDatagram(size_t size)
{
	const bool v4 = sender.address().is_v4();
	const QString senderText = v4 ? QHostAddress(sender.address().to_v4().to_uint()).toString()
				      : QString::fromStdString(sender.address().to_string());
	const auto it = v4 ? cameras.find(sender.address().to_v4().to_uint()) : cameras.end();
	if (it == cameras.end() || !it->second.current || it->second.current->request.port != sender.port() ||
	    !answers(*it->second.current, size)) {
		bridgeLog(LogLevel::Debug, QStringLiteral("The data is from (%1)").arg(senderText));
		return;
	}
	Exchange &exchange = *it->second.current;
	bool done;
	if (exchange.headed) {
		if (!exchange.clientDigits.empty())
			std::memcpy(buffer.data() + 4, exchange.clientDigits.data(), 4);
		// Any answer to a control command ends it.
		done = exchange.clientDigits.empty() || ends(ViscaFrame::replyKind(buffer.data(), size));
	} else {
		done = ends(ViscaFrame::messageKind(buffer.data(), size));
	}
	const quint32 key = it->first;
	const unsigned opened = generation;
	const int replies = ++exchange.replies;
	deliver(exchange.client, BridgeMessage::reply(buffer.data(), size, senderText, sender.port()));
	// A client closed while delivering may have been the last one, which releases the socket.
	if (opened == generation && (replies >= maxReplies || done))
		finish(key);
}
