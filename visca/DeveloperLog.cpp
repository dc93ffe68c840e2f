#include "DeveloperLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<DeveloperLog::Sink> sink{nullptr};

} // namespace

void DeveloperLog::setSink(Sink newSink)
{
	sink.store(newSink);
}

void DeveloperLog::line(const char *format, ...)
{
	const Sink target = sink.load();
	if (target == nullptr && !developerLog().isDebugEnabled())
		return;
	char text[512];
	va_list args;
	va_start(args, format);
	std::vsnprintf(text, sizeof text, format, args);
	va_end(args);
	if (target != nullptr)
		target(text);
	else
		qCDebug(developerLog, "%s", text);
}
