#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Lets a program outside OBS reach any camera: a WebSocket client sends {"ip","port","data"}, the bridge sends
// "data" as one UDP datagram and returns each answer from that address as {"data","ip","port"}.
// The WebSocket server, the message handling and the UDP socket all live on the bridge's own thread.
// Requests to one camera address go out one at a time in the order received; different addresses run in parallel.
class ViscaTransfer : public QObject {
	Q_OBJECT

public:
	enum class LogLevel { Debug, Info, Warning };
	// Receives every line the bridge logs, from any thread. The plug-in points it at OBS's log; by default the
	// lines go to Qt's message log.
	using LogSink = std::function<void(LogLevel level, const QString &line)>;
	static void setLogSink(LogSink sink);

	explicit ViscaTransfer(QObject *parent = nullptr, quint16 webSocketPort = 55260, quint16 udpPort = 52381);
	~ViscaTransfer() override;

	// 127.0.0.1 and ::1, the default: only programs on this machine can connect.
	static QList<QHostAddress> loopbackAddresses();
	// Every IPv4 and IPv6 interface.
	static QList<QHostAddress> networkAddresses();

	// The addresses the next start listens on; each is bound on its own.
	void setListenAddresses(const QList<QHostAddress> &addresses);
	// Loopback only or every interface; a running server is restarted on the new addresses at once.
	void setOpenToNetwork(bool open);

	// Binds the listen addresses and starts the server thread; does nothing while running. The server runs when at
	// least one address could be bound.
	void startServer();
	// Stops listening, closes the clients, ends the event loop and joins the thread. Safe to call twice; a later
	// startServer starts afresh.
	void stopServer();
	// False when no listen address could be bound (the bridge is then inert) or after stopServer.
	bool isListening() const;
	// The addresses bound by the running server.
	QList<QHostAddress> listeningAddresses() const;

private:
	struct Private;
	std::unique_ptr<Private> d;
};
