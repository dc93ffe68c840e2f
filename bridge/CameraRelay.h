#pragma once

#include "BridgeClient.h"
#include "BridgeMessage.h"

#include <asio/io_service.hpp>
#include <asio/ip/udp.hpp>
#include <asio/steady_timer.hpp>

#include <QByteArray>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// Sends the clients' datagrams to the cameras and relays the answers to the client that asked. One exchange per
// camera address at a time: a request holds its camera until it is answered or its reply window ran out. The
// requests waiting for a camera are served one client after another, so a client's backlog costs another client
// at most one window. Requests with a VISCA-over-IP header get the camera's own sequence number from the bridge,
// and their answers go back with the client's number: clients that number alike never see each other's answers.
class CameraRelay {
public:
	// A reply text for a client; the client may be gone.
	using Deliver = std::function<void(const BridgeClientPtr &client, const QByteArray &text)>;
	// A client that left too many requests waiting.
	using Overflow = std::function<void(const BridgeClientPtr &client)>;

	CameraRelay(asio::io_service &io, quint16 udpPort, Deliver deliver, Overflow overflow);
	~CameraRelay();

	// Binds the UDP port. Held by another program, the socket takes an ephemeral port (cameras answer the port a
	// datagram came from). False when no socket could be opened.
	bool open();
	// Releases the port; every exchange ends and every waiting request is dropped.
	void close();
	bool isOpen() const { return socket != nullptr; }

	void submit(const BridgeClientPtr &client, BridgeRequest request);
	// A client that has gone takes its waiting requests with it; one already in its reply window runs out, and
	// its answers are dropped.
	void dropClient(const BridgeClientPtr &client);

	// How long a request's answers are collected, unless the exchange ends earlier.
	static constexpr std::chrono::milliseconds replyWindow{300};
	// A datagram without a VISCA-over-IP header that nothing answers within this time ends its window.
	static constexpr std::chrono::milliseconds firstAnswerWait{50};
	static constexpr int maxReplies = 3;
	static constexpr int maxWaitingPerClient = 64;

private:
	struct Exchange {
		BridgeClientPtr client;
		BridgeRequest request; // as sent
		bool headed = false;
		std::string clientDigits; // the client's sequence bytes, when the bridge renumbered the request
		int replies = 0;
		std::chrono::steady_clock::time_point sentAt;
	};
	struct Camera {
		std::optional<Exchange> current;
		// Clients with requests waiting, in turn order, and their requests in the order received.
		std::deque<BridgeClientPtr> turns;
		std::map<const BridgeClient *, std::deque<BridgeRequest>> waiting;
		unsigned sequence = 0; // the number of the camera's next renumbered request
		unsigned ticket = 0;
		std::unique_ptr<asio::steady_timer> deadline;
	};

	bool send(Camera &camera, quint32 key, const BridgeClientPtr &client, BridgeRequest request);
	void waitUntil(Camera &camera, quint32 key, std::chrono::steady_clock::time_point end, bool firstAnswer);
	void finish(quint32 key);
	void receive();
	void onDatagram(size_t size);
	bool answers(const Exchange &exchange, size_t size) const;

	asio::io_service &io;
	quint16 udpPort;
	Deliver deliver;
	Overflow overflow;
	std::unique_ptr<asio::ip::udp::socket> socket;
	unsigned generation = 0;
	bool takenLogged = false;
	std::map<quint32, Camera> cameras;
	std::array<unsigned char, 65536> buffer{};
	asio::ip::udp::endpoint sender;
	unsigned tickets = 0;
};
