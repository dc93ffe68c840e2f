#include "visca/CameraSimulator.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct CommandCase {
	const char *name;
	std::string model; // empty: no camera
	QStringList args;  // "PORT" is replaced by the simulated camera's port
	int expectedExit;
	QByteArray expectedOut;
};

class PtzctlIdentify : public ::testing::TestWithParam<CommandCase> {};

TEST_P(PtzctlIdentify, PrintsTheNameAndExitCode)
{
	const CommandCase &c = GetParam();
	CameraSimulator::Options options;
	options.bindAddress = "127.0.2.90";
	options.port = 0;
	options.model = c.model;
	CameraSimulator camera(options);
	ASSERT_TRUE(c.model.empty() || camera.start()) << camera.errorString();
	// The discard port when there is no camera: nothing answers there.
	const QString port = c.model.empty() ? "9" : QString::number(camera.boundPort());
	QStringList args{"identify"};
	for (const QString &arg : c.args)
		args << (arg == "PORT" ? port : arg);

	QProcess process;
	process.start(PTZCTL_PATH, args);
	ASSERT_TRUE(process.waitForFinished(20000)) << "ptzctl did not finish";
	EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
	EXPECT_EQ(process.exitCode(), c.expectedExit) << process.readAllStandardError().toStdString();
	EXPECT_EQ(process.readAllStandardOutput(), c.expectedOut);
}

INSTANTIATE_TEST_SUITE_P(
	Cases, PtzctlIdentify,
	::testing::Values(
		CommandCase{"LeadingSpaceKept", " ZR-318-30X", {"127.0.2.90", "--port", "PORT"}, 0, " ZR-318-30X\n"},
		CommandCase{"Js4PortFirst", "QK-JS4", {"--port", "PORT", "127.0.2.90"}, 0, "QK-JS4\n"},
		CommandCase{"NothingThere", "", {"127.0.2.90", "--port", "PORT"}, 1, ""},
		CommandCase{"NoAddress", "", {}, 2, ""},
		CommandCase{"BadPort", "", {"127.0.2.90", "--port", "x"}, 2, ""},
		CommandCase{"TwoAddresses", "", {"127.0.2.90", "127.0.2.91"}, 2, ""}),
	[](const ::testing::TestParamInfo<CommandCase> &info) { return std::string(info.param.name); });

} // namespace
