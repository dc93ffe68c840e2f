#pragma once

#include <QLoggingCategory>

// Diagnostics for developers (probe results, stepper bounds): off unless asked for, e.g. with
// QT_LOGGING_RULES="ptz.developer.debug=true", so neither OBS's log at its normal level nor a tool's output shows them.
inline const QLoggingCategory &developerLog()
{
	static const QLoggingCategory category("ptz.developer", QtInfoMsg);
	return category;
}
