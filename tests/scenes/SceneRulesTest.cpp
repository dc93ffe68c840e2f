// The rules of scene actions and tally, and a camera session's tally and lock against a simulated camera.
#include "plugin/scenes/ActivationGate.h"
#include "plugin/scenes/SceneRules.h"

#include "control/CameraSession.h"
#include "settings/PanelSettings.h"
#include "visca/CameraSimulator.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using SceneRules::Lamps;
using SceneRules::Moment;
using SceneRules::TallyMode;
using SceneRules::Trigger;
using Air = CameraRig::OnAir;
using Lamp = TallyLamp::Lamp;

namespace {

struct RecallCase {
	Trigger trigger;
	bool skipIfLive;
	Moment moment;
	Air air;
	bool recalls;
};

const RecallCase recallCases[] = {
	{Trigger::Program, true, Moment::Program, Air::No, true},
	{Trigger::Program, true, Moment::Program, Air::Program, true}, // skipIfLive is for preview only
	{Trigger::Program, false, Moment::Preview, Air::No, false},
	{Trigger::Preview, true, Moment::Program, Air::No, false},
	{Trigger::Preview, true, Moment::Preview, Air::No, true},
	{Trigger::Preview, true, Moment::Preview, Air::Preview, true},
	{Trigger::Preview, true, Moment::Preview, Air::Program, false},
	{Trigger::Preview, false, Moment::Preview, Air::Program, true},
	{Trigger::Both, true, Moment::Program, Air::Program, true},
	{Trigger::Both, true, Moment::Preview, Air::Program, false},
	{Trigger::Both, false, Moment::Preview, Air::No, true},
};

class Recalls : public testing::TestWithParam<RecallCase> {};

TEST_P(Recalls, FollowTriggerAndLiveCamera)
{
	const RecallCase &c = GetParam();
	SceneRules::PresetAction action;
	action.trigger = c.trigger;
	action.skipIfLive = c.skipIfLive;
	EXPECT_EQ(SceneRules::recalls(action, c.moment, c.air), c.recalls);
}

INSTANTIATE_TEST_SUITE_P(Table, Recalls, testing::ValuesIn(recallCases));

TEST(SettingsTexts, ReadAsStoredAndUnknownAsDefault)
{
	const std::pair<const char *, Trigger> triggers[] = {{"program", Trigger::Program},
							     {"preview", Trigger::Preview},
							     {"both", Trigger::Both},
							     {"Preview", Trigger::Program},
							     {"", Trigger::Program}};
	for (const auto &[text, trigger] : triggers) {
		EXPECT_EQ(SceneRules::triggerFromText(QString::fromLatin1(text)), trigger) << text;
		if (*text == 'p' || *text == 'b') {
			EXPECT_EQ(SceneRules::triggerText(trigger), QString::fromLatin1(text));
		}
	}
	const std::pair<const char *, TallyMode> modes[] = {{"off", TallyMode::Off},
							    {"red", TallyMode::Red},
							    {"redGreen", TallyMode::RedGreen},
							    {"redgreen", TallyMode::Off},
							    {"", TallyMode::Off}};
	for (const auto &[text, mode] : modes)
		EXPECT_EQ(SceneRules::tallyModeFromText(QString::fromLatin1(text)), mode) << text;
	EXPECT_EQ(SceneRules::onAirOf(true, true), Air::Program);
	EXPECT_EQ(SceneRules::onAirOf(false, true), Air::Preview);
	EXPECT_EQ(SceneRules::onAirOf(false, false), Air::No);
}

using Changes = std::vector<std::pair<Lamp, bool>>;

struct TallyCase {
	const char *name;
	std::optional<Lamps> sent;
	TallyMode mode;
	Air air;
	Changes changes;
};

const TallyCase tallyCases[] = {
	{"off mode sends nothing", std::nullopt, TallyMode::Off, Air::Program, {}},
	{"red after connect: red only", std::nullopt, TallyMode::Red, Air::Preview, {{Lamp::Red, false}}},
	{"redGreen after connect: both",
	 std::nullopt,
	 TallyMode::RedGreen,
	 Air::Preview,
	 {{Lamp::Red, false}, {Lamp::Green, true}}},
	{"cut to program", Lamps{false, false}, TallyMode::Red, Air::Program, {{Lamp::Red, true}}},
	{"no change, nothing sent", Lamps{true, false}, TallyMode::Red, Air::Program, {}},
	{"red mode ignores preview", Lamps{false, false}, TallyMode::Red, Air::Preview, {}},
	{"preview to program swaps lamps",
	 Lamps{false, true},
	 TallyMode::RedGreen,
	 Air::Program,
	 {{Lamp::Red, true}, {Lamp::Green, false}}},
	{"off the air", Lamps{true, false}, TallyMode::RedGreen, Air::No, {{Lamp::Red, false}}},
	{"tally switched off puts lit lamps out",
	 Lamps{true, false},
	 TallyMode::Off,
	 Air::Program,
	 {{Lamp::Red, false}}},
	{"green left lit by redGreen goes out in red mode",
	 Lamps{false, true},
	 TallyMode::Red,
	 Air::Preview,
	 {{Lamp::Green, false}}},
};

class TallyChanges : public testing::TestWithParam<TallyCase> {};

TEST_P(TallyChanges, OneCommandPerLampThatChanges)
{
	const TallyCase &c = GetParam();
	EXPECT_EQ(SceneRules::lampChanges(c.sent, c.mode, c.air), c.changes) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, TallyChanges, testing::ValuesIn(tallyCases));

TEST(TallyLampCommand, Bytes)
{
	EXPECT_EQ(TallyLamp::command(Lamp::Red, true).toHex(' '), "81 01 7e 01 0a 00 02 ff");
	EXPECT_EQ(TallyLamp::command(Lamp::Red, false).toHex(' '), "81 01 7e 01 0a 00 03 ff");
	EXPECT_EQ(TallyLamp::command(Lamp::Green, true).toHex(' '), "81 01 7e 04 1a 00 02 ff");
	EXPECT_EQ(TallyLamp::command(Lamp::Green, false).toHex(' '), "81 01 7e 04 1a 00 03 ff");
}

// A source's program activations as OBS reports them: 'L' a scene change finds it active in OBS, 'O' one finds it
// inactive, 'A' OBS's activate call, 'D' its deactivate call, '+' 100 ms pass, '~' a second passes. Each L or A
// that recalls is written as R, each that does not as '-'.
struct GateCase {
	const char *events;
	const char *recalls;
};

const GateCase gateCases[] = {
	{"LA", "R-"},       // the scene change recalls, the activation a frame later is absorbed
	{"AL", "R-"},       // OBS's frame came first: the scene change finds the source active
	{"A", "R"},         // shown without a scene change (an item made visible)
	{"LAODLA", "R-R-"}, // cut away and back: a second recall
	{"LAOL", "R-R"},    // cut away and back within one frame: OBS reports neither
	{"LAL", "R--"},     // a scene change that keeps it live
	{"LAOD", "R-"},     // cut away
	{"LL", "R-"},       // reported twice before the frame
	{"LOLA", "RR-"},    // cut to it, away and back before OBS's frame
	{"L~A", "RR"},      // the activation never came in time: the late one recalls
	{"L~LA", "RR-"},    // a recall ahead that no activation followed expires
	{"L+++A", "R-"},    // within the window
	{"ADA", "RR"},      // activations alone, each once
};

class Gate : public testing::TestWithParam<GateCase> {};

TEST_P(Gate, OneRecallPerActivation)
{
	ActivationGate gate;
	ActivationGate::Clock::time_point now{};
	std::string recalls;
	for (const char *event = GetParam().events; *event != 0; ++event) {
		switch (*event) {
		case 'L':
			recalls += gate.sceneChanged(true, now) ? 'R' : '-';
			break;
		case 'O':
			EXPECT_FALSE(gate.sceneChanged(false, now));
			break;
		case 'A':
			recalls += gate.activated(now) ? 'R' : '-';
			break;
		case 'D':
			gate.deactivated();
			break;
		case '+':
			now += std::chrono::milliseconds(100);
			break;
		default:
			now += std::chrono::seconds(1);
		}
	}
	EXPECT_EQ(recalls, GetParam().recalls) << GetParam().events;
}

INSTANTIATE_TEST_SUITE_P(Table, Gate, testing::ValuesIn(gateCases));

// A connected session on a simulated camera at 127.0.24.1.
class SessionOnCamera : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(dir.isValid());
		settings = std::make_unique<PanelSettings>(dir.path());
		PanelSettings::setInstance(settings.get());
		CameraSimulator::Options options;
		options.bindAddress = "127.0.24.1";
		options.port = 0;
		camera = std::make_unique<CameraSimulator>(options);
		ASSERT_TRUE(camera->start()) << camera->errorString();
		session = std::make_unique<CameraSession>(1);
		session->setCameraPort(camera->boundPort());
		session->setAddress("127.0.24.1");
		session->start();
		ASSERT_TRUE(
			QTest::qWaitFor([this] { return session->state() == CameraSession::State::Connected; }, 5000));
		ASSERT_TRUE(QTest::qWaitFor([this] { return session->isIdle(); }, 2000));
		camera->clear();
	}
	void TearDown() override
	{
		session.reset();
		PanelSettings::setInstance(nullptr);
	}
	QStringList payloads() const
	{
		QStringList out;
		for (const QByteArray &p : camera->payloads())
			out << QString::fromLatin1(p.toHex(' '));
		return out;
	}

	QTemporaryDir dir;
	std::unique_ptr<PanelSettings> settings;
	std::unique_ptr<CameraSimulator> camera;
	std::unique_ptr<CameraSession> session;
};

TEST_F(SessionOnCamera, TallyLampsGoOutOnceEachAndTheCameraShowsThem)
{
	int completed = 0;
	auto done = [&completed](CameraSession::Outcome o) { completed += o == CameraSession::Outcome::Completed; };
	ASSERT_TRUE(session->setTally(Lamp::Red, true, done));
	ASSERT_TRUE(session->setTally(Lamp::Green, true, done));
	ASSERT_TRUE(QTest::qWaitFor([&completed] { return completed == 2; }, 3000));
	EXPECT_EQ(payloads(), QStringList({"81 01 7e 01 0a 00 02 ff", "81 01 7e 04 1a 00 02 ff"}));
	EXPECT_TRUE(camera->state().redLamp);
	EXPECT_TRUE(camera->state().greenLamp);
}

TEST_F(SessionOnCamera, TallyOfASilentCameraIsNotRepeated)
{
	CameraSimulator::Options faults = camera->options();
	faults.silent = true;
	camera->setFaults(faults);
	bool failed = false;
	ASSERT_TRUE(session->setTally(Lamp::Red, true, [&failed](CameraSession::Outcome o) {
		failed = o == CameraSession::Outcome::Failed;
	}));
	ASSERT_TRUE(QTest::qWaitFor([&failed] { return failed; }, 3000));
	EXPECT_EQ(camera->receivedCount(), 1u);
}

TEST_F(SessionOnCamera, LockRefusesDrivesAndRecallsButNotStops)
{
	QSignalSpy refused(session.get(), &CameraSession::refused);
	session->setLocked(true);
	EXPECT_FALSE(session->move(CameraSession::Direction::Up));
	EXPECT_FALSE(session->zoom(true));
	EXPECT_FALSE(session->focus(false));
	EXPECT_FALSE(session->recallPreset(3));
	EXPECT_FALSE(session->set(CameraSession::Setting::ZoomPosition, 100));
	EXPECT_EQ(refused.count(), 5);
	EXPECT_TRUE(session->stopMove());
	EXPECT_TRUE(session->set(CameraSession::Setting::Gain, 2));
	session->setLocked(false);
	EXPECT_TRUE(session->recallPreset(3));
	ASSERT_TRUE(QTest::qWaitFor([this] { return session->isIdle(); }, 3000));
	EXPECT_EQ(camera->state().recalledPreset, 3);
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
