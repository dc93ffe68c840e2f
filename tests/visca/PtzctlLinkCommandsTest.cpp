// ptzctl send and identify run as the built program: arguments, results and exit codes (each operation's bytes and
// decoding are checked with the link). Identify prints the name as the model list writes it (a leading blank kept).
#include "LinkTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct PtzctlCase {
	const char *model; // the simulated camera's
	bool silent;
	const char *line;        // PORT: the camera's port
	int exitCode;            // 2: a usage error, which names the sub-command and sends nothing
	const char *output;      // lines joined by spaces
	const char *lastPayload; // nullptr: not checked
};

class Ptzctl : public ::testing::TestWithParam<PtzctlCase> {};

TEST_P(Ptzctl, RunsOrRefuses)
{
	const PtzctlCase c = GetParam();
	auto camera = startCamera("127.0.1.60", [&c](O &o) {
		o.model = c.model;
		o.silent = c.silent;
	});
	const QString line = QString(c.line).replace("PORT", QString::number(camera->boundPort()));
	QProcess process;
	process.start(PTZCTL_PATH, line.split(' ', Qt::SkipEmptyParts));
	if (!process.waitForFinished(30000))
		process.kill(); // reported as a crash
	process.waitForFinished();
	const QString err = QString::fromUtf8(process.readAllStandardError());
	EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, c.exitCode)
		<< err.toStdString();
	EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).replace('\n', ' ').toStdString(), c.output);
	if (c.exitCode == 2) {
		EXPECT_TRUE(err.startsWith("ptzctl " + line.section(' ', 0, 0) + ": ")) << err.toStdString();
		EXPECT_FALSE(camera->waitForDatagrams(1, 100));
	}
	if (c.lastPayload) {
		EXPECT_EQ(hexText(camera->payloads().last()).toStdString(), c.lastPayload);
	}
}

INSTANTIATE_TEST_SUITE_P(
	Lines, Ptzctl,
	::testing::Values(
		PtzctlCase{"QK-WD909P", false,
			   "send --port PORT 127.0.1.60 setPanLeftLimit -30 65535 38336 setRedGain 165 getRedGain", 0,
			   "true 165 ", "81 09 04 43 FF"},
		PtzctlCase{"QK-H32P", false, "send --port PORT --model QK-H32P 127.0.1.60 setPresetSpeed 5", 0, "true ",
			   "81 01 7E 03 02 05 FF"},
		PtzctlCase{"QK-WD909P", true, "send --port PORT 127.0.1.60 moveUp getGain isAutoFocus", 1,
			   "false no answer no answer ", "81 09 04 38 FF"},
		PtzctlCase{" ZR-318-30X", false, "identify --port PORT 127.0.1.60", 0, " ZR-318-30X ", nullptr},
		PtzctlCase{" ZR-318-30X", true, "identify --port PORT 127.0.1.60", 1, "", nullptr},
		PtzctlCase{"QK-H57P", false, "send --port PORT 127.0.1.60 moveUp fly", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "send --port PORT 127.0.1.60 moveUp setPanSpeed 0x10", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "send --port PORT 127.0.1.60 moveUp setPanLeftLimit -30 -1 0", 2, "",
			   nullptr},
		PtzctlCase{"QK-H57P", false, "send --port PORT 127.0.1.300 moveUp", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "send --port 0 127.0.1.60 moveUp", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "send", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "identify 127.0.1.60 127.0.1.61", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "identify 127.0.1.60 --port 70000", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "simulate --model QK-NOPE --bind 127.0.1.62", 2, "", nullptr},
		PtzctlCase{"QK-H57P", false, "simulate --model QK-H57P --ack-delay soon", 2, "", nullptr}));

} // namespace
