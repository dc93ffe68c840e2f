#pragma once

#include "SimulatedCamera.h"
#include "TrafficLog.h"

#include <QByteArray>
#include <QList>

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An in-process camera that answers VISCA over IP on a loopback UDP address, for tests, ptzctl and demos.
//
// It runs its own thread (poll() with a short timeout and a stop flag) and answers:
//   - address set 88 30 01 FF with 88 30 02 FF;
//   - every command 81 01 ... FF with an acknowledgement 90 41 FF, then a completion 90 51 FF;
//   - every inquiry of the link with 90 50 ... FF holding its current state at the positions the link
//     decodes, so a set followed by a get gives the value back (within what each getter decodes);
//   - anything else with 90 60 02 FF.
// The tally lamps (81 01 7E 01 0A 00 0p FF red, 81 01 7E 04 1A 00 0p FF green; p 2 on, 3 off) are kept in the state
// and each change is written to the log as a "lamp" line.
// Every reply carries the header 01 11 00 LL and echoes the request's four sequence bytes.
//
// Identification inquiries, answered as the model's family does:
//   - version 81 09 00 02 FF: 18-byte answer 90 50 VV VV 00 00 00 00 00 FF; VV VV is 02 01 for "QK-JS4"
//     and 00 01 for every other model;
//   - first ID inquiry 81 01 02 03 FF: answered only by the 32P family ("QK-H32P", "QK-H32PN", "ZR712-IP",
//     "QK-H33P") with 18 bytes 90 50 I1 I2 I3 00 00 00 00 FF (I1..I3 the ID code, datagram bytes 10-12);
//     every other model answers 90 60 02 FF;
//   - second ID inquiry 81 09 00 02 00 03 FF: answered the same way by every other model except "QK-JS4";
//     the 32P family and "QK-JS4" answer 90 60 02 FF.
//   "QK-H32PN" reports "VIL" like "QK-H32P", so it identifies as "QK-H32P".
class CameraSimulator {
public:
	using IdInquiry = SimulatedCamera::IdInquiry;

	struct Options {
		std::string model = "QK-H57P";         // one of knownModels()
		std::string bindAddress = "127.0.0.2"; // IPv4 text
		uint16_t port = 52381;
		std::string logFile; // each datagram in and out as hex with a timestamp; empty: none

		// Faults
		bool silent = false; // receive and record, never answer
		// Replies are scheduled, not waited for: a delayed reply never holds up the next datagram's.
		int ackDelayMs = 0;        // delay of the first reply to a datagram
		int completionDelayMs = 0; // further delay of each further reply (the completion)
		bool errorReply = false;   // answer every 81 message with 90 60 <errorCode> FF instead
		int errorCode = 0x02;
		bool wrongSequence = false;    // replies carry the request's number with bit 11 flipped
		bool duplicateReplies = false; // every reply datagram goes out twice
		int dropReply = 0;             // the n-th reply datagram (1-based, counted from start) is not sent
		// Before the replies to each datagram, this many junk datagrams in turn: the request echoed, its
		// header alone, four bytes of garbage, a completion carrying another number.
		int junkBurst = 0;
		std::string replyFrom; // IPv4 text: replies go out from this address instead (a foreign host)
		// Raw VISCA bytes (header is added) answered instead of the family's reply to an ID inquiry;
		// lets a test make short answers or ID bytes above 0x7F.
		std::map<IdInquiry, QByteArray> idOverride;
		// Raw VISCA replies (header is added) to other inquiries, keyed by the inquiry's VISCA bytes; a null
		// QByteArray leaves that inquiry unanswered.
		std::map<QByteArray, QByteArray> inquiryOverride;
		// VISCA replies to every command, in order (ackDelayMs before the first, completionDelayMs before
		// each further one); empty: 90 41 FF then 90 51 FF. An empty entry goes out as a header alone.
		std::vector<QByteArray> commandReplies;
		QByteArray addressSetReply; // VISCA reply to 88 30 01 FF; empty: 88 30 02 FF
		QByteArray inquiryReply;    // VISCA reply to every inquiry but the ID ones; empty: the state's answer
	};

	using State = SimulatedCamera::State;

	// A received datagram and where it came from.
	struct Datagram {
		QByteArray bytes;
		std::string fromAddress;
		uint16_t fromPort = 0;
	};

	CameraSimulator();
	explicit CameraSimulator(const Options &options);
	~CameraSimulator(); // stops

	CameraSimulator(const CameraSimulator &) = delete;
	CameraSimulator &operator=(const CameraSimulator &) = delete;

	// Binds and starts answering. False (with errorString()) for an unknown model or a bind failure.
	bool start();
	void stop();
	bool isRunning() const { return m_running.load(); }
	std::string errorString() const;
	Options options() const;
	// Replaces the fault options while running (model, address, port and log file stay).
	void setFaults(const Options &faults);
	uint16_t boundPort() const { return m_boundPort; } // the real port (when Options::port is 0)

	// Received traffic, thread-safe.
	std::vector<Datagram> received() const;
	QList<QByteArray> datagrams() const; // whole datagrams, header included
	QList<QByteArray> payloads() const;  // VISCA bytes after the 8-byte header
	size_t receivedCount() const;
	void clear(); // forgets received datagrams and sent replies
	// Blocks until at least `count` datagrams were received since the last clear(), or the timeout ran out.
	bool waitForDatagrams(size_t count, int timeoutMs) const;
	QList<QByteArray> sentReplies() const; // replies actually sent, whole datagrams
	// Blocks until at least `count` replies were sent since the last clear(), or the timeout ran out.
	bool waitForReplies(int count, int timeoutMs) const;

	State state() const;
	void setState(const State &state);

	// Sends a datagram from the simulator's socket to the last sender (stale or foreign replies in tests).
	bool sendToLastPeer(const QByteArray &datagram);

	// The simulator's own table of models and their ID codes ("QK-JS4" reports none: empty string).
	static std::vector<std::string> knownModels() { return SimulatedCamera::knownModels(); }
	static bool isKnownModel(const std::string &model) { return SimulatedCamera::isKnownModel(model); }
	static std::string idCodeForModel(const std::string &model) { return SimulatedCamera::idCodeForModel(model); }

private:
	void run();
	void handle(const QByteArray &datagram, const sockaddr_in &from);
	QByteArray answerInquiry(const Options &o, const QByteArray &visca);
	void applyCommand(const QByteArray &visca);
	void sendReply(const Options &o, const QByteArray &request, const QByteArray &visca, const sockaddr_in &to,
		       int delayMs);
	void sendJunk(const Options &o, const QByteArray &request, const sockaddr_in &to);
	void transmit(const QByteArray &datagram, const sockaddr_in &to, bool foreign);
	void sendDue(); // scheduled replies whose time has come
	int msUntilNextDue() const;

	Options m_options;
	struct Scheduled {
		std::chrono::steady_clock::time_point due;
		QByteArray datagram;
		sockaddr_in to;
		bool foreign;
	};

	int m_fd = -1;
	int m_foreignFd = -1;               // bound to Options::replyFrom
	std::vector<Scheduled> m_scheduled; // simulator thread only
	uint16_t m_boundPort = 0;
	std::thread m_thread;
	std::atomic<bool> m_stop{false};
	std::atomic<bool> m_running{false};
	std::string m_error;

	mutable std::mutex m_mutex;
	mutable std::condition_variable m_received;
	std::vector<Datagram> m_datagrams;
	QList<QByteArray> m_sent;
	SimulatedCamera m_camera; // guarded by m_mutex
	int m_replyCounter = 0;
	bool m_havePeer = false;
	sockaddr_in m_lastPeer{};
	TrafficLog m_log;
};
