#pragma once

#include "ViscaTransfer.h"

#include <asio/io_service.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>

// The connection lines (connected, disconnected, refused, closed). A flood of connections would write hundreds of
// lines a minute into OBS's log: past the first few of each 10 s, the rest are counted and summed up in one line.
class BridgeAccessLog {
public:
	enum class Event { Connected, Disconnected, Refused, Closed };

	explicit BridgeAccessLog(asio::io_service &io);

	void write(Event event, ViscaTransfer::LogLevel level, const QString &line);
	// Sums up what was left out so far; later lines are all written. The event loop can then run dry.
	void stop();

	static constexpr int linesPerWindow = 10;
	static constexpr std::chrono::seconds window{10};

private:
	void flush();

	asio::steady_timer timer;
	bool windowOpen = false;
	bool stopped = false;
	int written = 0;
	std::array<int, 4> leftOut{};
};
