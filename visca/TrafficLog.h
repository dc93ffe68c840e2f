#pragma once

#include <QByteArray>

#include <cstdio>
#include <mutex>
#include <string>

// The camera simulator's log file: one line per datagram or event, stamped with the local time to the
// millisecond. Lines may come from several threads; opening and closing are the owner's, while no line is written.
class TrafficLog {
public:
	TrafficLog() = default;
	~TrafficLog();
	TrafficLog(const TrafficLog &) = delete;
	TrafficLog &operator=(const TrafficLog &) = delete;

	// Appends to the file; false when it cannot be opened.
	bool open(const std::string &path);
	void close();
	// The direction ("in " or "out") and the datagram as spaced hexadecimal.
	void datagram(const char *direction, const QByteArray &bytes);
	void line(const std::string &text);

private:
	std::mutex m_mutex;
	FILE *m_file = nullptr;
};
