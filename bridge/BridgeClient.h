#pragma once

#include <QString>

#include <chrono>
#include <memory>
#include <string>

// One admitted WebSocket client, shared by the connection handling and the camera relay.
struct BridgeClient {
	std::weak_ptr<void> handle;
	QString peer;        // address and port, for the log
	std::string address; // the remote address alone, for the per-address limit
	int waiting = 0;     // requests queued behind others, over all cameras
	bool gone = false;   // closed or closing: its requests and answers are dropped
	std::chrono::steady_clock::time_point lastMessage;
	std::chrono::steady_clock::time_point lastPong;
};
using BridgeClientPtr = std::shared_ptr<BridgeClient>;
