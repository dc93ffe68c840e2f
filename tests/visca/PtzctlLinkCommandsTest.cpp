// ptzctl send and ptzctl simulate, run as the built program.
#include "CameraSimulator.h"
#include "LinkTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const char sendAddress[] = "127.0.1.60";
const char simulateAddress[] = "127.0.1.61";

struct ProcessResult {
	int exitCode;
	QString out;
	QString err;
};

ProcessResult ptzctl(const QStringList &args)
{
	QProcess process;
	process.start(PTZCTL_PATH, args);
	if (!process.waitForFinished(30000)) {
		process.kill();
		process.waitForFinished();
		return {-1, {}, "did not finish"};
	}
	return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
		QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

struct SendCase {
	const char *name;
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
	CameraSimulator::Options options = simulatorOptions(sendAddress, c.model ? c.model : "QK-H57P");
	options.silent = c.silent;
	CameraSimulator camera(options);
	ASSERT_TRUE(camera.start());
	QStringList args{"send", "--port", QString::number(camera.boundPort())};
	if (c.model)
		args << "--model" << c.model;
	args << sendAddress << QString(c.operations).split(' ');
	const ProcessResult run = ptzctl(args);
	EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
	EXPECT_EQ(run.out.toStdString(), c.output);
	if (c.lastPayload) {
		EXPECT_EQ(hexText(camera.payloads().last()).toStdString(), c.lastPayload);
	}
}

INSTANTIATE_TEST_SUITE_P(
	Operations, PtzctlSend,
	::testing::Values(
		SendCase{"Motion", nullptr, false, "setPanSpeed 5 setTiltSpeed 7 moveUp panTiltStop", "true\ntrue\n", 0,
			 "81 01 06 01 05 07 03 03 FF"},
		SendCase{"ZoomRoundTrip", nullptr, false, "setZoomSpeed 3 setZoomPosition 16384 getZoomPosition",
			 "true\n16384\n", 0, "81 09 04 47 FF"},
		SendCase{"FalseResult", nullptr, false, "setAutoFocus false isAutoFocus", "true\nfalse\n", 1, nullptr},
		SendCase{"BooleanWords", nullptr, false, "setAutoFocus TRUE isAutoFocus", "true\ntrue\n", 0, nullptr},
		SendCase{"Limit", nullptr, false, "setPanLeftLimit -30 65535 38336", "", 0,
			 "81 01 06 07 00 00 0E 0D 04 00 0F 0F 0F 0F FF"},
		SendCase{"Preset", nullptr, false, "setPresetNumber 12 recallPreset", "true\n", 0,
			 "81 01 04 3F 02 0C FF"},
		SendCase{"H32PModel", "QK-H32P", false, "setPresetSpeed 5", "true\n", 0, "81 01 7E 03 02 05 FF"},
		SendCase{"JS4Model", "QK-JS4", false, "setHue 42 getHue", "true\n10\n", 0, "81 09 0E 24 44 FF"},
		SendCase{"SilentCamera", nullptr, true, "moveUp getGain", "false\n0\n", 1, "81 09 04 4C FF"}),
	[](const ::testing::TestParamInfo<SendCase> &info) { return std::string(info.param.name); });

class PtzctlSendUsage : public ::testing::TestWithParam<const char *> {};

TEST_P(PtzctlSendUsage, RefusesBeforeSendingAnything)
{
	CameraSimulator camera(simulatorOptions(sendAddress));
	ASSERT_TRUE(camera.start());
	QString line = GetParam();
	line.replace("PORT", QString::number(camera.boundPort()));
	const ProcessResult run = ptzctl(QStringList{"send"} + line.split(' ', Qt::SkipEmptyParts));
	EXPECT_EQ(run.exitCode, 2);
	EXPECT_TRUE(run.out.isEmpty());
	EXPECT_TRUE(run.err.startsWith("ptzctl send: ")) << run.err.toStdString();
	EXPECT_FALSE(camera.waitForDatagrams(1, 100));
}

INSTANTIATE_TEST_SUITE_P(Errors, PtzctlSendUsage,
			 ::testing::Values("--port PORT 127.0.1.60 moveUp fly",
					   "--port PORT 127.0.1.60 moveUp setPanSpeed",
					   "--port PORT 127.0.1.60 moveUp setPanSpeed five",
					   "--port PORT 127.0.1.60 moveUp setPanSpeed 0x10",
					   "--port PORT 127.0.1.60 moveUp setAutoFocus 2",
					   "--port PORT 127.0.1.60 moveUp setPanLeftLimit -30 -1 0",
					   "--port PORT 127.0.1.60 moveUp setHue 99999999999",
					   "--port PORT 127.0.1.300 moveUp", "--port PORT 127.0.1.60",
					   "--port 0 127.0.1.60 moveUp", "--port x 127.0.1.60 moveUp",
					   "--bogus 1 127.0.1.60 moveUp", ""));

// Starts `ptzctl simulate` and waits for its ready line; gives the port.
int startSimulate(QProcess &process, const QStringList &extra)
{
	process.start(PTZCTL_PATH, QStringList{"simulate", "--bind", simulateAddress, "--port", "0"} + extra);
	if (!process.waitForReadyRead(10000))
		return 0;
	const QString line = QString::fromUtf8(process.readLine()).trimmed();
	const QString prefix = QString("listening on %1:").arg(simulateAddress);
	if (!line.startsWith(prefix))
		return 0;
	return line.mid(prefix.size()).section(' ', 0, 0).toInt();
}

struct SimulateCase {
	const char *name;
	int signal;
	const char *fault; // extra option, or nullptr
	bool moveResult;
};

class PtzctlSimulate : public ::testing::TestWithParam<SimulateCase> {};

TEST_P(PtzctlSimulate, AnswersUntilSignalled)
{
	QTemporaryDir dir;
	const QString logPath = dir.filePath("sim.log");
	QStringList extra{"--model", "QK-H45P", "--log", logPath};
	if (GetParam().fault)
		extra << GetParam().fault;
	QProcess process;
	const int port = startSimulate(process, extra);
	ASSERT_GT(port, 0) << process.readAllStandardError().toStdString();
	EXPECT_EQ(aimed<viscaIpModule>(simulateAddress, port)->moveUp(), GetParam().moveResult);
	::kill(static_cast<pid_t>(process.processId()), GetParam().signal);
	ASSERT_TRUE(process.waitForFinished(10000));
	EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
	EXPECT_EQ(process.exitCode(), 0);
	QFile log(logPath);
	ASSERT_TRUE(log.open(QIODevice::ReadOnly));
	EXPECT_TRUE(log.readAll().contains("in  01 00 00 09 00 00 00 01 81 01 06 01 0b 0b 03 01 ff"));
}

INSTANTIATE_TEST_SUITE_P(Runs, PtzctlSimulate,
			 ::testing::Values(SimulateCase{"Term", SIGTERM, nullptr, true},
					   SimulateCase{"Interrupt", SIGINT, nullptr, true},
					   SimulateCase{"Silent", SIGTERM, "--silent", false},
					   SimulateCase{"ErrorReply", SIGTERM, "--error-reply", false}),
			 [](const ::testing::TestParamInfo<SimulateCase> &info) {
				 return std::string(info.param.name);
			 });

class PtzctlSimulateUsage : public ::testing::TestWithParam<const char *> {};

TEST_P(PtzctlSimulateUsage, ExitsWithTwo)
{
	const ProcessResult run = ptzctl(QStringList{"simulate"} + QString(GetParam()).split(' ', Qt::SkipEmptyParts));
	EXPECT_EQ(run.exitCode, 2);
	EXPECT_TRUE(run.out.isEmpty());
	EXPECT_TRUE(run.err.startsWith("ptzctl simulate: ")) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Errors, PtzctlSimulateUsage,
			 ::testing::Values("", "--model QK-NOPE --bind 127.0.1.62", "--model QK-H57P --port 70000",
					   "--model QK-H57P --ack-delay soon", "--model QK-H57P --frobnicate",
					   "--model"));

} // namespace
