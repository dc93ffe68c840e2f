#include "LinkOperations.h"

#include "viscaIpModule.h"

#include <climits>
#include <functional>

namespace LinkOperations {
namespace {

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

// An inquiry's result, or NoAnswer when the camera gave none.
Result answer(const viscaIpModule &link, Result result)
{
	return link.lastInquiryAnswered() ? result : Result{Result::NoAnswer, 0};
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
#op, "", [](viscaIpModule & l, const Args &) { return answer(l, number(l.op())); }                     \
	}
#define OP_VOID_INT(op)                                                                                                \
	{                                                                                                              \
#op, "i", [](viscaIpModule & l, const Args &a) { return l.op(int(a[0])), none(); }                     \
	}
#define OP_LIMIT(op)                                                                                                   \
	{                                                                                                              \
#op, "iuu",                                                                                            \
			[](viscaIpModule & l,                                                                          \
			   const Args &a) { return l.op(int(a[0]), (unsigned int)a[1], (unsigned int)a[2]), none(); }  \
	}

const std::vector<Operation> &table()
{
	static const std::vector<Operation> operations = {
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
		{"isAutoFocus", "", [](viscaIpModule &l, const Args &) { return answer(l, flag(l.isAutoFocus())); }},
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
	return operations;
}

int findOperation(const QString &name)
{
	const std::vector<Operation> &operations = table();
	for (size_t i = 0; i < operations.size(); i++) {
		if (name == operations[i].name)
			return static_cast<int>(i);
	}
	return -1;
}

bool parseArgument(const QString &text, char kind, long long &out)
{
	if (kind == 'b') {
		const QString lower = text.toLower();
		if (lower != "1" && lower != "0" && lower != "true" && lower != "false")
			return false;
		out = (lower == "1" || lower == "true") ? 1 : 0;
		return true;
	}
	bool ok = false;
	const long long value = text.toLongLong(&ok, 10);
	const long long low = kind == 'u' ? 0 : INT_MIN;
	const long long high = kind == 'u' ? UINT_MAX : INT_MAX;
	if (!ok || value < low || value > high)
		return false;
	out = value;
	return true;
}

const char *argumentText(char kind)
{
	switch (kind) {
	case 'b':
		return "1, 0, true or false";
	case 'u':
		return "an unsigned decimal integer";
	default:
		return "a decimal integer";
	}
}

} // namespace

bool parse(const QStringList &words, std::vector<Call> &calls, QString &error)
{
	calls.clear();
	for (int i = 0; i < words.size();) {
		const QString &name = words.at(i++);
		Call call;
		call.operation = findOperation(name);
		if (call.operation < 0) {
			error = QString("unknown operation '%1'").arg(name);
			return false;
		}
		const char *kinds = table()[static_cast<size_t>(call.operation)].args;
		for (const char *kind = kinds; *kind; kind++, i++) {
			long long value = 0;
			if (i >= words.size()) {
				error = QString("'%1' needs %2 argument(s)").arg(name).arg(qstrlen(kinds));
				return false;
			}
			if (!parseArgument(words.at(i), *kind, value)) {
				error = QString("'%1': bad argument '%2' (expected %3)")
						.arg(name, words.at(i), argumentText(*kind));
				return false;
			}
			call.args.push_back(value);
		}
		calls.push_back(call);
	}
	return true;
}

Result run(viscaIpModule &link, const Call &call)
{
	return table()[static_cast<size_t>(call.operation)].run(link, call.args);
}

std::vector<Result> runScript(viscaIpModule &link, const QString &script)
{
	std::vector<Call> calls;
	QString error;
	std::vector<Result> results;
	if (!parse(script.split(' ', Qt::SkipEmptyParts), calls, error))
		return results;
	for (const Call &call : calls)
		results.push_back(run(link, call));
	return results;
}

QString format(const Result &result)
{
	switch (result.kind) {
	case Result::Bool:
		return result.value ? QStringLiteral("true") : QStringLiteral("false");
	case Result::Number:
		return QString::number(result.value);
	case Result::NoAnswer:
		return QStringLiteral("no answer");
	case Result::None:
		break;
	}
	return QString();
}

QStringList names()
{
	QStringList list;
	for (const Operation &op : table())
		list << op.name;
	return list;
}

} // namespace LinkOperations
