#include "Commands.h"

#include "ViscaModuleFactory.h"
#include "viscaIpModule.h"

#include <QHostAddress>
#include <QTextStream>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

namespace {

const char usage[] = "usage: ptzctl send [--port N] [--model NAME] IP OP [ARG...] [OP [ARG...]]...\n"
		     "Runs link operations in order and prints one line per result (true, false or a number).\n"
		     "Arguments are decimal integers; booleans are 1, 0, true or false.\n";

struct Result {
	enum Kind { None, Bool, Number } kind;
	long long value;
};

using Args = std::vector<long long>;

// Argument letters: i int, u unsigned, b bool.
struct Operation {
	const char *name;
	const char *args;
	std::function<Result(viscaIpModule &, const Args &)> run;
};

Result none()
{
	return {Result::None, 0};
}

Result flag(bool value)
{
	return {Result::Bool, value ? 1 : 0};
}

Result number(int value)
{
	return {Result::Number, value};
}

#define OP_BOOL(op)                                                                                                    \
	{                                                                                                              \
#op, "", [](viscaIpModule & l, const Args &) { return flag(l.op()); }                                  \
	}
#define OP_BOOL_INT(op)                                                                                                \
	{                                                                                                              \
#op, "i", [](viscaIpModule & l, const Args &a) { return flag(l.op(int(a[0]))); }                       \
	}
#define OP_INT(op)                                                                                                     \
	{                                                                                                              \
#op, "", [](viscaIpModule & l, const Args &) { return number(l.op()); }                                \
	}
#define OP_VOID_INT(op)                                                                                                \
	{                                                                                                              \
#op, "i", [](viscaIpModule &l, const Args &a) { \
			l.op(int(a[0]));                        \
			return none();                          \
		}                                                                      \
	}
#define OP_LIMIT(op)                                                                                                   \
	{                                                                                                              \
#op, "iuu", [](viscaIpModule &l, const Args &a) {                 \
			l.op(int(a[0]), (unsigned int)a[1], (unsigned int)a[2]); \
			return none();                                           \
		}                                                    \
	}

const std::vector<Operation> &operations()
{
	static const std::vector<Operation> table = {
		OP_BOOL(isCameraAlive),
		OP_BOOL_INT(setHue),
		OP_INT(getHue),
		OP_BOOL_INT(setSaturation),
		OP_INT(getSaturation),
		OP_BOOL_INT(setSharpness),
		OP_INT(getSharpness),
		OP_BOOL_INT(setPresetSpeed),
		OP_BOOL(moveUp),
		OP_BOOL(moveDown),
		OP_BOOL(moveLeft),
		OP_BOOL(moveRight),
		OP_BOOL(moveUpLeft),
		OP_BOOL(moveUpRight),
		OP_BOOL(moveDownLeft),
		OP_BOOL(moveDownRight),
		OP_BOOL(panTiltStop),
		OP_BOOL(panTiltHome),
		OP_VOID_INT(setPanSpeed),
		OP_VOID_INT(setTiltSpeed),
		OP_BOOL(zoomTele),
		OP_BOOL(zoomWide),
		OP_BOOL(zoomStop),
		OP_BOOL_INT(setZoomPosition),
		OP_INT(getZoomPosition),
		OP_VOID_INT(setZoomSpeed),
		OP_BOOL(focusNear),
		OP_BOOL(focusFar),
		OP_BOOL(focusStop),
		OP_BOOL_INT(setFocusPosition),
		OP_INT(getFocusPosition),
		{"setAutoFocus", "b", [](viscaIpModule &l, const Args &a) { return flag(l.setAutoFocus(a[0] != 0)); }},
		OP_BOOL(isAutoFocus),
		OP_VOID_INT(setFocusSpeed),
		OP_VOID_INT(setPresetNumber),
		OP_BOOL(recallPreset),
		OP_BOOL(storePreset),
		OP_BOOL_INT(setExposureMode),
		OP_INT(getExposureMode),
		OP_BOOL_INT(setShutter),
		OP_INT(getShutter),
		OP_BOOL_INT(setIris),
		OP_INT(getIris),
		OP_BOOL_INT(setGain),
		OP_INT(getGain),
		OP_BOOL_INT(setWhiteBalanceMode),
		OP_INT(getWhiteBalanceMode),
		OP_BOOL(whiteBalanceOnePush),
		OP_BOOL_INT(setRedGain),
		OP_INT(getRedGain),
		OP_BOOL_INT(setBlueGain),
		OP_INT(getBlueGain),
		OP_BOOL_INT(setGamma),
		OP_INT(getGamma),
		OP_BOOL_INT(setImageMode),
		OP_INT(getImageMode),
		OP_BOOL_INT(setMirror),
		OP_BOOL_INT(setFlip),
		OP_BOOL_INT(setMirrorFlip),
		OP_INT(getMirrorFlip),
		OP_LIMIT(setPanLeftLimit),
		OP_LIMIT(setTiltDownLimit),
		OP_LIMIT(setPanRightLimit),
		OP_LIMIT(setTiltUpLimit),
		OP_BOOL(clearDownLeftLimit),
		OP_BOOL(clearUpRightLimit),
		OP_BOOL_INT(setSpeedCompensation),
	};
	return table;
}

const Operation *findOperation(const QString &name)
{
	for (const Operation &op : operations()) {
		if (name == op.name)
			return &op;
	}
	return nullptr;
}

bool parseArgument(const QString &text, char kind, long long &out)
{
	if (kind == 'b') {
		const QString lower = text.toLower();
		if (lower == "1" || lower == "true") {
			out = 1;
			return true;
		}
		if (lower == "0" || lower == "false") {
			out = 0;
			return true;
		}
		return false;
	}
	bool ok = false;
	const long long value = text.toLongLong(&ok, 10);
	if (!ok)
		return false;
	const long long low = kind == 'u' ? 0 : INT_MIN;
	const long long high = kind == 'u' ? UINT_MAX : INT_MAX;
	if (value < low || value > high)
		return false;
	out = value;
	return true;
}

struct Call {
	const Operation *op;
	Args args;
};

} // namespace

int runSendCommand(const QStringList &args)
{
	QTextStream err(stderr);
	auto fail = [&err](const QString &message) {
		err << "ptzctl send: " << message << "\n" << usage;
		return 2;
	};
	int port = 52381;
	QString model;
	bool haveModel = false;
	int i = 0;
	for (; i < args.size() && args.at(i).startsWith("--"); i++) {
		const QString &option = args.at(i);
		if (option == "--help") {
			QTextStream(stdout) << usage;
			return 0;
		}
		if (i + 1 >= args.size())
			return fail(QString("missing value after '%1'").arg(option));
		const QString value = args.at(++i);
		if (option == "--port") {
			bool ok = false;
			port = value.toInt(&ok, 10);
			if (!ok || port < 1 || port > 65535)
				return fail(QString("'--port' needs a number from 1 to 65535, not '%1'").arg(value));
		} else if (option == "--model") {
			model = value;
			haveModel = true;
		} else {
			return fail(QString("unknown option '%1'").arg(option));
		}
	}
	if (i >= args.size())
		return fail("missing camera address");
	const QString ip = args.at(i++);
	if (QHostAddress(ip).isNull())
		return fail(QString("not an IP address: '%1'").arg(ip));
	if (i >= args.size())
		return fail("no operation given");

	// Everything is checked before the first datagram goes out.
	std::vector<Call> calls;
	while (i < args.size()) {
		const QString name = args.at(i++);
		const Operation *op = findOperation(name);
		if (!op)
			return fail(QString("unknown operation '%1'").arg(name));
		Call call{op, {}};
		for (const char *kind = op->args; *kind; kind++) {
			if (i >= args.size())
				return fail(QString("'%1' needs %2 argument(s)").arg(name).arg(qstrlen(op->args)));
			long long value = 0;
			if (!parseArgument(args.at(i), *kind, value))
				return fail(QString("'%1': bad argument '%2' (expected %3)")
						    .arg(name, args.at(i),
							 *kind == 'b'   ? "1, 0, true or false"
							 : *kind == 'u' ? "an unsigned decimal integer"
									: "a decimal integer"));
			call.args.push_back(value);
			i++;
		}
		calls.push_back(call);
	}

	std::unique_ptr<viscaIpModule> link(haveModel ? createViscaModule(model) : new viscaIpModule());
	link->connectCamera(ip, port);
	QTextStream out(stdout);
	int status = 0;
	for (const Call &call : calls) {
		const Result result = call.op->run(*link, call.args);
		if (result.kind == Result::Bool) {
			out << (result.value ? "true" : "false") << "\n";
			if (!result.value)
				status = 1;
		} else if (result.kind == Result::Number) {
			out << result.value << "\n";
		}
		out.flush();
	}
	return status;
}
