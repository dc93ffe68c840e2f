#include "BridgeAccessLog.h"

#include "BridgeLog.h"

#include <numeric>

BridgeAccessLog::BridgeAccessLog(asio::io_service &io) : timer(io) {}

void BridgeAccessLog::write(Event event, ViscaTransfer::LogLevel level, const QString &line)
{
	// Past shutdown nothing would sum the window up.
	if (stopped) {
		bridgeLog(level, line);
		return;
	}
	if (!windowOpen) {
		windowOpen = true;
		written = 0;
		timer.expires_after(window);
		timer.async_wait([this](const std::error_code &ec) {
			if (ec)
				return;
			flush();
			windowOpen = false;
		});
	}
	if (written < linesPerWindow) {
		++written;
		bridgeLog(level, line);
		return;
	}
	++leftOut[size_t(event)];
}

void BridgeAccessLog::flush()
{
	const int total = std::accumulate(leftOut.begin(), leftOut.end(), 0);
	if (total == 0)
		return;
	bridgeLog(ViscaTransfer::LogLevel::Info,
		  QStringLiteral("ViscaTransfer: %1 more connection events in the last %2 s: %3 connected, %4 "
				 "disconnected, %5 refused, %6 closed by the bridge")
			  .arg(total)
			  .arg(window.count())
			  .arg(leftOut[size_t(Event::Connected)])
			  .arg(leftOut[size_t(Event::Disconnected)])
			  .arg(leftOut[size_t(Event::Refused)])
			  .arg(leftOut[size_t(Event::Closed)]));
	leftOut.fill(0);
}

void BridgeAccessLog::stop()
{
	timer.cancel();
	windowOpen = false;
	stopped = true;
	flush();
}
