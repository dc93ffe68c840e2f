#pragma once

#include "BridgeAccessLog.h"
#include "BridgeClient.h"
#include "BridgeListeners.h"
#include "BridgeServer.h"
#include "CameraRelay.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>

#include <map>
#include <string>

// The WebSocket side of the bridge: who may connect (browser origin, per-address and total limits), the clients'
// messages to the camera relay and the relay's answers back. The camera relay holds its UDP port only while at
// least one client is admitted. Everything but setUp runs on the bridge's thread.
class BridgeConnections {
public:
	BridgeConnections(quint16 webSocketPort, quint16 udpPort);
	~BridgeConnections();

	// Sets up the server and binds the listen addresses; false when none could be bound.
	bool setUp(const QList<QHostAddress> &addresses);
	// The event loop, on the bridge's thread; returns once it ran dry or was stopped.
	void run();
	// From any thread: close the listeners and clients, after which the loop runs dry.
	void shutdown();
	// From any thread: stop the loop at once.
	void stop();

	const QList<QHostAddress> &boundAddresses() const { return bound; }
	quint16 port() const { return webSocketPort; }

	static constexpr size_t maxConnections = 32;
	static constexpr size_t maxPerAddress = 8;
	// Only a client silent this long gives its place to a new one when all places are taken.
	static std::chrono::seconds idleLimit();

private:
	using ClientMap = std::map<BridgeHandle, BridgeClientPtr, std::owner_less<BridgeHandle>>;

	bool validate(const BridgeHandle &hdl);
	bool refuse(BridgeServer::connection_ptr connection, websocketpp::http::status_code::value status,
		    const QString &line);
	bool evictIdle();
	void opened(const BridgeHandle &hdl);
	void closed(const BridgeHandle &hdl);
	void failed(const BridgeHandle &hdl);
	bool pinged(const BridgeHandle &hdl);
	void onMessage(const BridgeHandle &hdl, const std::string &payload);
	void deliver(const BridgeClientPtr &client, const QByteArray &text);
	void closeClient(const BridgeClientPtr &client, websocketpp::close::status::value code,
			 const std::string &reason);
	// Takes the client out; the last one releases the camera relay's port.
	void forget(ClientMap::iterator it);
	void closeForShutdown(const BridgeHandle &hdl);
	void closeAll();

	quint16 webSocketPort;
	// Declared first so that everything below goes before the io_service it uses.
	asio::io_service io;
	BridgeServer server;
	BridgeAccessLog accessLog;
	BridgeListeners listeners;
	CameraRelay relay;
	QList<QHostAddress> bound;
	ClientMap clients; // admitted at the handshake
	bool closing = false;
};
