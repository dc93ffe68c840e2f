// ptzctl send and identify and their usage errors, run as the built program (ptzctl simulate serves the discovery
// and OBS tests).
#include "LinkTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

const char sendAddress[] = "127.0.1.60";

struct ProcessResult {
	int exitCode;
	QString out; // lines joined by spaces
	QString err;
};

ProcessResult ptzctl(const QStringList &args)
{
	QProcess process;
	process.start(PTZCTL_PATH, args);
	if (!process.waitForFinished(30000))
		process.kill(); // reported as a crash
	process.waitForFinished();
	return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
		QString::fromUtf8(process.readAllStandardOutput()).replace('\n', ' '),
		QString::fromUtf8(process.readAllStandardError())};
}

struct SendCase {
	const char *model; // nullptr: plain link
	bool silent;
	const char *operations;
	const char *output;
	int exitCode;
	const char *lastPayload; // nullptr: not checked
};

class PtzctlSend : public ::testing::TestWithParam<SendCase> {};

TEST_P(PtzctlSend, RunsOperationsInOrder)
{
	const SendCase c = GetParam();
	auto camera = startCamera(sendAddress, [&c](O &o) {
		o.model = c.model ? c.model : "QK-WD909P";
		o.silent = c.silent;
	});
	QStringList args{"send", "--port", QString::number(camera->boundPort())};
	if (c.model)
		args << "--model" << c.model;
	const ProcessResult run = ptzctl(args << sendAddress << QString(c.operations).split(' '));
	EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
	EXPECT_EQ(run.out.toStdString(), c.output);
	if (c.lastPayload) {
		EXPECT_EQ(hexText(camera->payloads().last()).toStdString(), c.lastPayload);
	}
}

INSTANTIATE_TEST_SUITE_P(
	Operations, PtzctlSend,
	::testing::Values(
		// Each getter's decoding is checked with the link; here the set-then-get round trip through the tool.
		SendCase{nullptr, false,
			 "setPanSpeed 5 setTiltSpeed 7 moveUp setPanLeftLimit -30 65535 38336 setPresetNumber 12 "
			 "recallPreset setZoomSpeed 3 setZoomPosition 17185 getZoomPosition setRedGain 165 getRedGain "
			 "setSaturation 42 getSaturation setSharpness 11 getSharpness",
			 "true true true 17185 true 165 true 42 true 11 ", 0, "81 09 04 42 FF"},
		SendCase{"QK-H32P", false, "setPresetSpeed 5", "true ", 0, "81 01 7E 03 02 05 FF"},
		SendCase{nullptr, true, "moveUp getGain isAutoFocus", "false no answer no answer ", 1,
			 "81 09 04 38 FF"}));

// The name as the model list writes it (a leading blank kept); exit code 1 when nothing answers.
TEST(PtzctlIdentify, PrintsTheNameOrFails)
{
	for (const bool silent : {false, true}) {
		auto camera = startCamera(sendAddress, [silent](O &o) {
			o.model = " ZR-318-30X";
			o.silent = silent;
		});
		const ProcessResult run =
			ptzctl({"identify", "--port", QString::number(camera->boundPort()), sendAddress});
		EXPECT_EQ(run.exitCode, silent ? 1 : 0) << run.err.toStdString();
		EXPECT_EQ(run.out, silent ? "" : " ZR-318-30X ");
	}
}

// Usage errors: exit code 2, a message naming the sub-command, nothing sent.
class PtzctlUsage : public ::testing::TestWithParam<const char *> {};

TEST_P(PtzctlUsage, RefusesBeforeSendingAnything)
{
	auto camera = startCamera(sendAddress);
	const QString line = QString(GetParam()).replace("PORT", QString::number(camera->boundPort()));
	const ProcessResult run = ptzctl(line.split(' ', Qt::SkipEmptyParts));
	EXPECT_EQ(run.exitCode, 2);
	EXPECT_TRUE(run.out.isEmpty());
	EXPECT_TRUE(run.err.startsWith("ptzctl " + line.section(' ', 0, 0) + ": ")) << run.err.toStdString();
	EXPECT_FALSE(camera->waitForDatagrams(1, 100));
}

INSTANTIATE_TEST_SUITE_P(Errors, PtzctlUsage,
			 ::testing::Values("send --port PORT 127.0.1.60 moveUp fly",
					   "send --port PORT 127.0.1.60 moveUp setPanSpeed 0x10",
					   "send --port PORT 127.0.1.60 moveUp setPanLeftLimit -30 -1 0",
					   "send --port PORT 127.0.1.300 moveUp", "send --port 0 127.0.1.60 moveUp",
					   "send", "identify 127.0.1.60 127.0.1.61", "identify 127.0.1.60 --port 70000",
					   "simulate --model QK-NOPE --bind 127.0.1.62",
					   "simulate --model QK-H57P --ack-delay soon"));

} // namespace
