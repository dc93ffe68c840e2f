#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// The WS-Discovery side of a simulated camera: answers Probes on UDP port 3702 (the multicast group
// 239.255.255.250, the broadcast address and the camera's own address) with one ProbeMatch each, as an ONVIF
// network video transmitter does, so that a search finds the camera with its address and name.
//
// It hears multicast and broadcast only on the interfaces that hold addresses of the camera's network (its
// address's subnet), answers only probers on that network, and sends each answer from the camera's address,
// port 3702, to the prober's address and port: one answer per Probe, also when a broadcast reaches it twice.
// Only a well-formed SOAP 1.2 Probe (April 2005 WS-Discovery) whose Types and Scopes this camera matches is
// answered. Runs its own thread (poll() with a short timeout and a stop flag).
class DiscoveryResponder {
public:
	static constexpr uint16_t DefaultPort = 3702;
	static constexpr int MaxNameLength = 20; // what a search keeps of an announced name
	static constexpr int MaxProbeSize = 8192;

	struct Options {
		std::string address; // the camera's IPv4 address: announced, and the answers' source
		std::string name;    // announced in the ONVIF name scope; see isValidName()
		std::string model;   // announced in the ONVIF hardware scope
		uint16_t port = DefaultPort;
	};

	explicit DiscoveryResponder(const Options &options);
	~DiscoveryResponder(); // stops

	DiscoveryResponder(const DiscoveryResponder &) = delete;
	DiscoveryResponder &operator=(const DiscoveryResponder &) = delete;

	// Binds, joins the multicast group and starts answering. False (with errorString()) when the address is not
	// one of this machine's, the name is not valid, or a socket cannot be set up.
	bool start();
	void stop();
	std::string errorString() const { return m_error; }
	int answered() const { return m_answered.load(); }

	// 1 to MaxNameLength letters, digits, '-', '.', '_' or '~': it stands as it is in a scope URI.
	static bool isValidName(const QString &name);
	// The MessageID of a well-formed Probe that a camera with these scopes matches; empty for anything else.
	static QString matchProbe(const QByteArray &datagram, const QStringList &scopes);
	// This camera's scopes, the name scope last.
	QStringList scopes() const;
	// The ProbeMatch answering the Probe with the MessageID relatesTo.
	QByteArray probeMatch(const QString &relatesTo, int messageNumber) const;

private:
	void run();
	void receive(int fd, bool groupSocket);
	bool setError(const std::string &what);

	Options m_options;
	uint32_t m_address = 0; // network byte order, as are the two below
	uint32_t m_netmask = 0;
	uint32_t m_broadcast = 0;
	std::vector<int> m_interfaces; // indexes of the interfaces on the camera's network
	// The last datagram heard on the group socket (run thread only).
	QByteArray m_lastHeard;
	uint32_t m_lastProber = 0;
	uint16_t m_lastPort = 0;
	std::chrono::steady_clock::time_point m_lastHeardAt;
	QString m_endpoint; // stable urn:uuid of this camera
	int m_groupFd = -1; // 0.0.0.0:port, in the multicast group: multicast and broadcast Probes
	int m_ownFd = -1;   // address:port: Probes sent to the camera itself, and every answer
	std::thread m_thread;
	std::atomic<bool> m_stop{false};
	std::atomic<int> m_answered{0};
	std::string m_error;
};
