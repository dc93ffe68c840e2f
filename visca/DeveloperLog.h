#pragma once

#include <QLoggingCategory>

// Diagnostics for developers (probe results, stepper bounds, link errors). In OBS they go to its log at debug level
// (shown only with --verbose); elsewhere they are off unless asked for, e.g. with
// QT_LOGGING_RULES="ptz.developer.debug=true", so a tool's output never shows them.
inline const QLoggingCategory &developerLog()
{
	static const QLoggingCategory category("ptz.developer", QtInfoMsg);
	return category;
}

namespace DeveloperLog {

using Sink = void (*)(const char *line);

// The OBS module routes the lines to its log; nullptr returns to the logging category. Callable from any thread.
void setSink(Sink sink);
void line(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

} // namespace DeveloperLog
