// The gamepad's pure parts as tables: deflection to speed, the traffic shaper's timing rules, mappings and the
// settings keys they are stored under.
#include "gamepad/DriveShaper.h"
#include "gamepad/GamepadSettings.h"
#include "settings/PanelSettings.h"

#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Curve = StickResponse::Curve;
using Channel = DriveShaper::Channel;
using Motion = DriveShaper::Motion;

Motion panOnly(int direction, int speed)
{
	return {{direction, speed}, {}};
}

std::string text(const std::vector<DriveShaper::Command> &commands)
{
	std::string out;
	for (const auto &c : commands) {
		out += c.channel == Channel::Zoom ? "Z" : "P";
		out += c.motion.still()
			       ? "stop"
			       : std::to_string(c.motion.first.direction) + ":" + std::to_string(c.motion.first.speed) +
					 "," + std::to_string(c.motion.second.direction) + ":" +
					 std::to_string(c.motion.second.speed);
		out += " ";
	}
	return out;
}

} // namespace

// Speeds over the H57P's pan range 1..24 (and zoom 0..7): nothing inside the dead zone, the slowest right
// outside it, the fastest at full throw, the curve in between; pushed either way alike.
TEST(StickResponse, DeflectionToSpeed)
{
	struct Row {
		double deflection, deadZone;
		Curve curve;
		int slowest, fastest, speed;
	};
	const Row rows[] = {
		{0.0, 0.15, Curve::Quadratic, 1, 24, -1},   {0.15, 0.15, Curve::Quadratic, 1, 24, -1},
		{-0.14, 0.15, Curve::Quadratic, 1, 24, -1}, {0.151, 0.15, Curve::Quadratic, 1, 24, 1},
		{1.0, 0.15, Curve::Quadratic, 1, 24, 24},   {-1.0, 0.15, Curve::Quadratic, 1, 24, 24},
		{1.5, 0.15, Curve::Quadratic, 1, 24, 24},   {0.575, 0.15, Curve::Quadratic, 1, 24, 7},
		{0.575, 0.15, Curve::Linear, 1, 25, 13},    {0.575, 0.15, Curve::Cubic, 1, 24, 4},
		{-0.575, 0.15, Curve::Quadratic, 1, 24, 7}, {0.5, 0.0, Curve::Linear, 0, 7, 4},
		{0.575, 0.15, Curve::Quadratic, 0, 7, 2},   {1.0, 0.15, Curve::Cubic, 0, 7, 7},
		{0.3, 0.5, Curve::Linear, 1, 24, -1},       {0.6, 0.15, Curve::Quadratic, 5, 5, 5},
	};
	for (const Row &row : rows) {
		StickResponse response;
		response.setDeadZone(row.deadZone);
		response.setCurve(row.curve);
		EXPECT_EQ(response.speed(row.deflection, row.slowest, row.fastest), row.speed)
			<< "deflection " << row.deflection << " dead zone " << row.deadZone << " curve "
			<< StickResponse::curveName(row.curve).toStdString();
	}
	EXPECT_DOUBLE_EQ(StickResponse::deflection(-32768), -1.0);
	EXPECT_DOUBLE_EQ(StickResponse::deflection(32767), 1.0);
	EXPECT_EQ(StickResponse::curveFromName("cubic"), Curve::Cubic);
	EXPECT_EQ(StickResponse::curveFromName("bogus"), Curve::Quadratic);
}

// Each row is a script of steps at given times and what the camera gets at each: "w" wants a pan speed (0:
// still), "z" a zoom speed, "d" asks for what is due, "f" reports the pan/tilt drive finished, "s" stops all.
TEST(DriveShaper, SendsChangesAtMostEveryFiftyMillisecondsAndEveryStopAtOnce)
{
	struct Step {
		int64_t at;
		char kind;
		int value;
		const char *sent;
	};
	struct Row {
		const char *name;
		std::vector<Step> steps;
	};
	const std::vector<Row> rows = {
		{"first drive at once, the same again nothing",
		 {{0, 'w', 5, "P1:5,0:0 "}, {10, 'w', 5, ""}, {60, 'f', 0, ""}, {70, 'w', 5, ""}}},
		{"a change inside 50 ms waits, the newest wins",
		 {{0, 'w', 5, "P1:5,0:0 "},
		  {1, 'f', 0, ""},
		  {10, 'w', 6, ""},
		  {20, 'w', 9, ""},
		  {49, 'd', 0, ""},
		  {50, 'd', 0, "P1:9,0:0 "},
		  {51, 'd', 0, ""}}},
		{"the stop goes out at once, inside 50 ms too",
		 {{0, 'w', 5, "P1:5,0:0 "}, {5, 'w', 0, "Pstop "}, {6, 'w', 0, ""}}},
		{"a drive held back and then a stop: only the stop",
		 {{0, 'w', 5, "P1:5,0:0 "},
		  {1, 'f', 0, ""},
		  {10, 'w', 8, ""},
		  {20, 'w', 0, "Pstop "},
		  {60, 'd', 0, ""}}},
		{"back to the drive that went out: nothing held",
		 {{0, 'w', 5, "P1:5,0:0 "}, {1, 'f', 0, ""}, {10, 'w', 8, ""}, {20, 'w', 5, ""}, {60, 'd', 0, ""}}},
		{"no new drive while the last is with the camera, until it finishes",
		 {{0, 'w', 5, "P1:5,0:0 "},
		  {60, 'w', 7, ""},
		  {200, 'd', 0, ""},
		  {210, 'f', 0, ""},
		  {210, 'd', 0, "P1:7,0:0 "}}},
		{"a drive never finished holds back one second at most",
		 {{0, 'w', 5, "P1:5,0:0 "}, {60, 'w', 7, ""}, {999, 'd', 0, ""}, {1000, 'd', 0, "P1:7,0:0 "}}},
		{"reversing is a change", {{0, 'w', 5, "P1:5,0:0 "}, {1, 'f', 0, ""}, {50, 'w', -5, "P-1:5,0:0 "}}},
		{"zoom has its own bound",
		 {{0, 'w', 5, "P1:5,0:0 "},
		  {10, 'z', 3, "Z1:3,0:0 "},
		  {20, 'z', -2, ""},
		  {1, 'f', 0, ""},
		  {60, 'd', 0, "Z-1:2,0:0 "}}},
		{"stopping all stops only what moves",
		 {{0, 'w', 5, "P1:5,0:0 "}, {10, 's', 0, "Pstop "}, {20, 's', 0, ""}, {70, 'd', 0, ""}}},
	};
	for (const Row &row : rows) {
		DriveShaper shaper;
		for (const Step &step : row.steps) {
			std::vector<DriveShaper::Command> sent;
			const int direction = step.value > 0 ? 1 : step.value < 0 ? -1 : 0;
			const Motion motion = panOnly(direction, std::abs(step.value));
			switch (step.kind) {
			case 'w':
				sent = shaper.want(Channel::PanTilt, motion, step.at);
				break;
			case 'z':
				sent = shaper.want(Channel::Zoom, motion, step.at);
				break;
			case 'd':
				sent = shaper.due(step.at);
				break;
			case 'f':
				shaper.driveFinished(Channel::PanTilt);
				shaper.driveFinished(Channel::Zoom);
				break;
			case 's':
				sent = shaper.stopAll();
				break;
			}
			EXPECT_EQ(text(sent), step.sent) << row.name << ", at " << step.at << " ms";
		}
	}
}

// Raw readings to pan, tilt and zoom under the defaults, inverted and remapped axes (the zoom axes' ways are
// checked end to end with virtual pads).
TEST(PadMapping, ReadingsToMotion)
{
	using A = PadMapping::AxisRole;
	struct Row {
		const char *name;
		std::function<void(PadMapping &)> change;
		std::array<int, PadMapping::axisCount> axes;
		double pan, tilt, zoom;
	};
	const std::vector<Row> rows = {
		{"at rest", {}, {0, 0, 0, 0, 0, 0}, 0, 0, 0},
		{"left stick right and up", {}, {32767, -32768, 0, 0, 0, 0}, 1, 1, 0},
		{"left stick left and down", {}, {-32768, 32767, 0, 0, 0, 0}, -1, -1, 0},
		{"right stick sideways does nothing", {}, {0, 0, 32767, 0, 0, 0}, 0, 0, 0},
		{"both triggers cancel", {}, {0, 0, 0, 0, 32767, 32767}, 0, 0, 0},
		{"inverted tilt",
		 [](PadMapping &m) { m.setInverted(PadMapping::LeftY, true); },
		 {0, -32768, 0, 0, 0, 0},
		 0,
		 -1,
		 0},
		{"pan on the right stick",
		 [](PadMapping &m) {
			 m.setRole(PadMapping::RightX, A::Pan);
			 m.setRole(PadMapping::LeftX, A::None);
		 },
		 {32767, 0, -32768, 0, 0, 0},
		 -1,
		 0,
		 0},
	};
	for (const Row &row : rows) {
		PadMapping mapping;
		if (row.change)
			row.change(mapping);
		const PadMapping::Motion m = mapping.motion(row.axes);
		EXPECT_NEAR(m.pan, row.pan, 1e-4) << row.name;
		EXPECT_NEAR(m.tilt, row.tilt, 1e-4) << row.name;
		EXPECT_NEAR(m.zoom, row.zoom, 1e-4) << row.name;
	}
}

// The defaults of the standard layout, and the stored form: only what differs, read back the same.
TEST(PadMapping, DefaultsAndStoredForm)
{
	using Act = PadMapping::Action;
	const PadMapping defaults;
	// The others are pressed end to end with virtual pads.
	const std::pair<int, Act> buttons[] = {
		{PadMapping::B, Act::Preset2}, {PadMapping::X, Act::Preset3}, {PadMapping::Back, Act::None}};
	for (const auto &[button, action] : buttons)
		EXPECT_EQ(defaults.action(button), action) << PadMapping::buttonName(button).toStdString();
	EXPECT_TRUE(defaults.toJson().isEmpty());

	PadMapping changed;
	changed.setAction(PadMapping::Back, Act::Preset9);
	changed.setRole(PadMapping::RightY, PadMapping::AxisRole::None);
	changed.setInverted(PadMapping::LeftX, true);
	changed.setSlot(3);
	const QJsonObject json = changed.toJson();
	EXPECT_EQ(QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString(),
		  R"({"axes":{"righty":"none"},"buttons":{"back":"preset9"},"inverted":["leftx"],"slot":3})");
	EXPECT_TRUE(PadMapping::fromJson(json) == changed);
	const QJsonObject odd =
		QJsonDocument::fromJson(R"({"axes":{"wheel":"pan","leftx":"fly"},"buttons":{"a":"dance"},"slot":12})")
			.object();
	EXPECT_TRUE(PadMapping::fromJson(odd) == defaults);
}

// The keys in the settings file: defaults when absent, values as written, a pad back at the defaults has no
// entry left.
TEST(GamepadSettings, KeysInTheFile)
{
	QTemporaryDir folder;
	PanelSettings file(folder.path());
	GamepadSettings settings(file);
	EXPECT_TRUE(settings.enabled());
	EXPECT_DOUBLE_EQ(settings.response().deadZone(), 0.15);
	EXPECT_EQ(settings.response().curve(), Curve::Quadratic);

	StickResponse response;
	response.setDeadZone(0.2);
	response.setCurve(Curve::Cubic);
	ASSERT_TRUE(settings.setResponse(response));
	ASSERT_TRUE(settings.setEnabled(false));
	PadMapping tied;
	tied.setSlot(2);
	ASSERT_TRUE(settings.setMapping("03000000de280000ff11000001000000", tied));

	PanelSettings reread(folder.path());
	EXPECT_EQ(reread.value("gamepadEnabled").toBool(true), false);
	EXPECT_EQ(reread.value("gamepadDeadZone").toInt(), 20);
	EXPECT_EQ(reread.value("gamepadCurve").toString(), "cubic");
	EXPECT_EQ(GamepadSettings(reread).mapping("03000000de280000ff11000001000000").slot(), 2);
	EXPECT_EQ(GamepadSettings(reread).mapping("another").slot(), 0);

	ASSERT_TRUE(settings.setMapping("03000000de280000ff11000001000000", PadMapping()));
	EXPECT_TRUE(file.value("gamepadPads").toObject().isEmpty());
}
