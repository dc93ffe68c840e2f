#pragma once

#include <QObject>

#include <memory>

// Lets a program outside OBS reach any camera: a WebSocket client sends {"ip","port","data"}, the bridge sends
// "data" as one UDP datagram and returns each answer from that address as {"data","ip","port"}.
// The WebSocket server, the message handling and the UDP socket all live on the bridge's own thread.
class ViscaTransfer : public QObject {
	Q_OBJECT

public:
	explicit ViscaTransfer(QObject *parent = nullptr, quint16 webSocketPort = 55260, quint16 udpPort = 52381);
	~ViscaTransfer() override;

	// Starts the server thread; does nothing when the server is not listening or was started before.
	void startServer();
	// Stops listening, closes the clients, ends the event loop and joins the thread. Safe to call twice.
	void stopServer();
	// False when the WebSocket port could not be opened (the bridge is then inert).
	bool isListening() const;

private:
	struct Private;
	std::unique_ptr<Private> d;
};
