// Camera sessions against simulated cameras: moves on a silent camera, eight cameras at once with their states
// and reconnects, presets on two cameras at the same moment, and a new address while connected.
#include "LinkTestSupport.h"

#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using State = CameraSession::State;

QStringList payloadTexts(const CameraSimulator &camera)
{
	QStringList texts;
	for (const QByteArray &payload : camera.payloads())
		texts << hexText(payload);
	return texts;
}

// A rig whose settings live in a folder of their own, with cameras on loopback addresses 127.0.8.<slot>.
struct Rig {
	Rig()
	{
		settings = std::make_unique<PanelSettings>(folder.path());
		PanelSettings::setInstance(settings.get());
		rig = std::make_unique<CameraRig>(*settings);
		for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
			QObject::connect(rig->session(slot), &CameraSession::stateChanged,
					 [this, slot](State state) { states[slot] << state; });
		}
	}
	~Rig()
	{
		rig.reset();
		PanelSettings::setInstance(nullptr);
	}
	// Starts a camera for the slot and stores its address; its port goes to the slot's session.
	CameraSimulator &camera(int slot, const std::function<void(O &)> &change = {})
	{
		const std::string address = "127.0.8." + std::to_string(slot);
		cameras[slot] = startCamera(address.c_str(), change);
		rig->session(slot)->setCameraPort(cameras[slot]->boundPort());
		settings->setSlot(slot, QString::fromStdString(address), QString());
		return *cameras[slot];
	}
	CameraSession &session(int slot) { return *rig->session(slot); }
	bool connected(int slot, int timeoutMs = 5000)
	{
		return waitFor([&] { return session(slot).state() == State::Connected; }, timeoutMs);
	}

	QTemporaryDir folder;
	std::unique_ptr<PanelSettings> settings;
	std::unique_ptr<CameraRig> rig;
	std::map<int, std::unique_ptr<CameraSimulator>> cameras;
	std::map<int, QList<State>> states;
};

const QString stop = "81 01 06 01 0B 0B 03 03 FF";

} // namespace

// Ten presses and releases on a camera that stopped answering: within a second of the last release the camera
// has received its last datagram, and that is a stop.
TEST(CameraSession, MovesNeverGoStaleOnASilentCamera)
{
	Rig r;
	CameraSimulator &camera = r.camera(1);
	r.rig->start();
	ASSERT_TRUE(r.connected(1));
	O silent = camera.options();
	silent.silent = true;
	camera.setFaults(silent);
	camera.clear();
	for (int press = 0; press < 10; ++press) {
		r.session(1).move(CameraSession::Direction::Up);
		spin(80);
		r.session(1).stopMove();
		spin(80);
	}
	QElapsedTimer sinceRelease;
	sinceRelease.start();
	spin(1000);
	const size_t afterOneSecond = camera.receivedCount();
	spin(1500);
	EXPECT_EQ(camera.receivedCount(), afterOneSecond) << "datagrams still going out after a second";
	ASSERT_FALSE(camera.payloads().isEmpty());
	EXPECT_EQ(hexText(camera.payloads().last()), stop);
}

// Eight cameras at once: one silent from the start, one that stops answering and comes back. Each slot goes
// through its own states, and an idle connected camera receives the link check's datagrams only.
TEST(CameraSession, EightCamerasConnectAndReconnectOnTheirOwn)
{
	Rig r;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot)
		r.camera(slot, [slot](O &o) { o.silent = slot == 3; });
	r.rig->setCheckInterval(300);
	r.rig->start();
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		if (slot != 3) {
			EXPECT_TRUE(r.connected(slot)) << slot;
		}
	}
	ASSERT_TRUE(waitFor([&] { return r.session(3).state() == State::NotAnswering; }));

	CameraSimulator &fifth = *r.cameras[5];
	O faults = fifth.options();
	faults.silent = true;
	fifth.setFaults(faults);
	ASSERT_TRUE(waitFor([&] { return r.session(5).state() == State::NotAnswering; }, 8000));
	faults.silent = false;
	fifth.setFaults(faults);
	ASSERT_TRUE(r.connected(5, 8000));

	EXPECT_EQ(r.states[3], (QList<State>{State::Connecting, State::NotAnswering}));
	EXPECT_EQ(r.states[5],
		  (QList<State>{State::Connecting, State::Connected, State::NotAnswering, State::Connected}));
	for (int slot : {1, 2, 4, 6, 7, 8})
		EXPECT_EQ(r.states[slot], (QList<State>{State::Connecting, State::Connected})) << slot;

	CameraSimulator &first = *r.cameras[1];
	first.clear();
	spin(1000);
	const QStringList idle = payloadTexts(first);
	EXPECT_GE(idle.size(), 2);
	EXPECT_EQ(idle.filter("88 30 01 FF").size(), idle.size()) << idle.join(" | ").toStdString();
}

// Two cameras recalling different presets at the same moment each receive their own number.
TEST(CameraSession, PresetNumbersBelongToEachCamera)
{
	Rig r;
	CameraSimulator &a = r.camera(1);
	CameraSimulator &b = r.camera(2);
	r.rig->start();
	ASSERT_TRUE(r.connected(1) && r.connected(2));
	a.clear();
	b.clear();
	int done = 0;
	for (int round = 1; round <= 9; ++round) {
		r.rig->recallPreset(1, round, CameraRig::Origin::Request, [&](CameraSession::Outcome) { ++done; });
		r.rig->recallPreset(2, 10 + round, CameraRig::Origin::Request, [&](CameraSession::Outcome) { ++done; });
	}
	ASSERT_TRUE(waitFor([&] { return done == 18; }));
	QStringList expectedA, expectedB;
	for (int round = 1; round <= 9; ++round) {
		expectedA << QString("81 01 04 3F 02 %1 FF").arg(round, 2, 16, QChar('0')).toUpper();
		expectedB << QString("81 01 04 3F 02 %1 FF").arg(10 + round, 2, 16, QChar('0')).toUpper();
	}
	EXPECT_EQ(payloadTexts(a), expectedA);
	EXPECT_EQ(payloadTexts(b), expectedB);
}

// A new address while connected: the session connects to the new camera and the old one hears nothing more.
TEST(CameraSession, NewAddressWhileConnectedMovesToTheNewCamera)
{
	Rig r;
	CameraSimulator &old = r.camera(1);
	r.rig->start();
	ASSERT_TRUE(r.connected(1));
	auto next = startCamera("127.0.8.11");
	r.session(1).setCameraPort(next->boundPort());
	r.settings->setSlot(1, "127.0.8.11", "Stage");
	EXPECT_EQ(r.session(1).state(), State::Connecting);
	ASSERT_TRUE(r.connected(1));
	old.clear();
	next->clear();
	ASSERT_TRUE(r.session(1).home());
	ASSERT_TRUE(next->waitForDatagrams(1, 2000));
	spin(200);
	EXPECT_EQ(payloadTexts(*next), QStringList{"81 01 06 04 FF"});
	EXPECT_TRUE(old.payloads().isEmpty());
	EXPECT_EQ(r.states[1],
		  (QList<State>{State::Connecting, State::Connected, State::Connecting, State::Connected}));
}
