#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class viscaIpModule;

// Link operations by name with decimal arguments, for drivers such as `ptzctl send`:
// "setPanSpeed 5 moveUp getZoomPosition" becomes three calls on a link.
namespace LinkOperations {

struct Result {
	enum Kind { None, Bool, Number, NoAnswer } kind = None; // NoAnswer: an inquiry without a valid answer
	long long value = 0;
};

struct Call {
	int operation = -1; // index into the operation table
	std::vector<long long> args;
};

// Parses operation names and their arguments; on a bad word gives false and a message.
bool parse(const QStringList &words, std::vector<Call> &calls, QString &error);
Result run(viscaIpModule &link, const Call &call);
// Parses and runs; results in order (empty when the script does not parse).
std::vector<Result> runScript(viscaIpModule &link, const QString &script);
// "true", "false", the number or "no answer"; empty for operations without a result.
QString format(const Result &result);
QStringList names();

} // namespace LinkOperations
