#include "TrafficLog.h"

#include <chrono>
#include <ctime>

TrafficLog::~TrafficLog()
{
	close();
}

bool TrafficLog::open(const std::string &path)
{
	m_file = std::fopen(path.c_str(), "a");
	return m_file != nullptr;
}

void TrafficLog::close()
{
	if (m_file) {
		std::fclose(m_file);
		m_file = nullptr;
	}
}

void TrafficLog::datagram(const char *direction, const QByteArray &bytes)
{
	if (m_file)
		line(std::string(direction) + " " + bytes.toHex(' ').toStdString());
}

void TrafficLog::line(const std::string &text)
{
	if (!m_file)
		return;
	using namespace std::chrono;
	const auto now = system_clock::now();
	const std::time_t seconds = system_clock::to_time_t(now);
	const int millis = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
	std::tm local{};
	localtime_r(&seconds, &local);
	char stamp[32];
	std::strftime(stamp, sizeof(stamp), "%H:%M:%S", &local);
	std::lock_guard<std::mutex> lock(m_mutex);
	std::fprintf(m_file, "%s.%03d %s\n", stamp, millis, text.c_str());
	std::fflush(m_file);
}
