#pragma once

#include "BridgeAccessLog.h"
#include "BridgeServer.h"

#include <QHostAddress>
#include <QList>

#include <chrono>
#include <deque>
#include <list>
#include <vector>

// The listening sockets and the connections still in their WebSocket handshake. Each address is bound on its
// own. Sockets that never finish their handshake must not lock out the clients that do, and a crowd of clients
// arriving at once must each get an answer: while the handshake places are taken, the newest connections wait in
// the system's backlog, and only a socket that stayed silent past the grace time is cut off.
class BridgeListeners {
public:
	BridgeListeners(BridgeServer &server, asio::io_service &io, BridgeAccessLog &accessLog);

	// Binds the addresses and logs what is listened on; returns the addresses bound.
	QList<QHostAddress> listen(const QList<QHostAddress> &addresses, quint16 port);
	void start();
	// Stops accepting and cuts off the handshakes of connections the bridge has not admitted.
	void close(const std::function<bool(const BridgeHandle &)> &admitted);

	// False when the connection was not in its handshake.
	bool endHandshake(const BridgeHandle &hdl);
	bool inHandshake(const BridgeHandle &hdl) const;

	static constexpr size_t maxHandshaking = 32;
	static constexpr std::chrono::milliseconds handshakeGrace{1000};

private:
	struct Listener {
		QHostAddress address;
		asio::ip::tcp::acceptor acceptor;
		asio::steady_timer retry;
		bool errorLogged = false;

		Listener(asio::io_service &io, const QHostAddress &a) : address(a), acceptor(io), retry(io) {}
	};
	struct Handshake {
		BridgeHandle handle;
		std::chrono::steady_clock::time_point since;
	};

	void accept(Listener &listener);
	void retryLater(Listener &listener, std::chrono::milliseconds delay);

	BridgeServer &server;
	asio::io_service &io;
	BridgeAccessLog &accessLog;
	std::list<Listener> listeners;
	std::deque<Handshake> handshaking; // oldest first
	bool closing = false;
};
