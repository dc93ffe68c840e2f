// The panel against simulated cameras on 127.0.6.x: slot selection and the link check, the hotkey and bridge
// switches, the dialogs, and what reaches the camera when the controls are driven through their widgets (pad, zoom
// and focus, speed fields, hotkeys, limits, presets and the picture controls).

#include "MainDialogTestSupport.h"

#include "ORPlusMinusButton.h"
#include "PanTiltLimitSettingDialog.h"
#include "PresetRenameDialog.h"
#include "plugin/CameraHotKey.h"
#include "plugin/ModuleText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSlider>
#include <QTcpSocket>

#include <tuple>

using Action = std::function<void(TestPanel &)>;

namespace {
enum Outcome { Connected, Failed, Dropped };
const QString otherIp = "127.0.6.23";

struct Selection {
	QString model; // empty: nothing at the address; "silent": a camera that never answers
	QString ip;    // empty: the slot has no IP key
	int slot;
	int before;         // slot connected to another camera first; 0: none
	QStringList stored; // pan, tilt, zoom, focus; empty: none stored, defaults shown
	Outcome outcome;
};

// The shutter list of a camera that offers 1/25 and 1/50 instead of 1/30 and 1/60, and no 1/120.
const QMap<std::string, int> palShutters = {{"1/250", 0x0A}, {"1/180", 0x0B}, {"1/100", 0x0D},
					    {"1/50", 0x0F},  {"1/25", 0x10},  {"1/12", 0x11}};

QStringList exposureSteppers(const TestPanel &panel)
{
	QStringList texts;
	for (const char *name : {"ShutterSpeedButton", "IrisButton", "GainButton"}) {
		auto *stepper = panel.findChild<ORPlusMinusButton *>(name);
		texts << (stepper->isEnabled() ? "" : "off ") + stepper->findChild<QLineEdit *>("InputEdit")->text();
	}
	return texts;
}

// Pressed (exactly one datagram goes out), then released; a zoom or focus drive ends with the camera at position,
// which the slider then shows.
Action held(const QString &button, const QString &slider = {}, int position = 0)
{
	return [=](TestPanel &r) {
		QTest::mousePress(r.button(button), Qt::LeftButton);
		QTRY_COMPARE(r.sent().size(), 1);
		CameraSimulator::State state = r.camera->state();
		state.zoomPosition = state.focusPosition = position;
		r.camera->setState(state);
		QTest::mouseRelease(r.button(button), Qt::LeftButton);
		if (!slider.isEmpty())
			QTRY_COMPARE(r.findChild<QSlider *>(slider)->value(), position);
	};
}

// Dragged through positions, paced so that the camera keeps up (positions still waiting would give way to the newest).
Action dragged(const QString &slider, const QList<int> &positions)
{
	return [=](TestPanel &r) {
		QSlider *handle = r.findChild<QSlider *>(slider);
		handle->setSliderDown(true);
		for (int position : positions) {
			handle->setSliderPosition(position);
			QVERIFY(r.settle());
		}
		handle->setSliderDown(false);
	};
}

// The typed speed is clamped, stored under the camera's prefix and goes out with the next drive only.
Action speed(const QString &field, const QString &typed, const QString &shown, const QString &drive)
{
	return [=](TestPanel &r) {
		QLineEdit *edit = r.findChild<QLineEdit *>(field + "Edit");
		edit->clear();
		QTest::keyClicks(edit, typed);
		QTest::keyClick(edit, Qt::Key_Return);
		QCOMPARE(edit->text(), shown);
		QVERIFY(r.sent().isEmpty());
		QCOMPARE(readSettings(),
			 (QJsonObject{{"hotKey", true}, {"Camera1IP", r.ip}, {r.prefix() + field, shown}}));
		held(drive)(r);
	};
}

Action clicks(const QStringList &buttons)
{
	return [buttons](TestPanel &r) {
		for (const QString &name : buttons)
			r.click(name);
	};
}

QString statusLine(const TestPanel &panel)
{
	return panel.findChild<QLabel *>("ConnectionLabel")->text();
}

// Clicked with the English texts loaded: the status line the panel shows once the camera has answered.
Action status(const QStringList &buttons, const QString &line)
{
	return [=](TestPanel &r) {
		const QString dir = QStringLiteral(PTZ_SOURCE_DIR "/data/locale/");
		moduleTextSetTable(text_lookup_create(QString(dir + "en-US.ini").toUtf8().constData()));
		const std::unique_ptr<void, void (*)(void *)> keysAgain(&r,
									[](void *) { moduleTextSetTable(nullptr); });
		clicks(buttons)(r);
		QVERIFY(r.settle());
		QCOMPARE(statusLine(r), line);
	};
}

// While 10+ is pressed the nine buttons read 11-19; released, they show the names again.
void tensLabels(TestPanel &r)
{
	QJsonObject named = readSettings();
	named["1"] = "Wide";
	writeSettings(named);
	const auto labels = [&r] {
		QStringList out;
		for (int k = 1; k <= 9; ++k)
			out << r.button(QString("Preset%1Button").arg(k))->text();
		return out.join(' ');
	};
	QCOMPARE(labels(), QString("Wide 2 3 4 5 6 7 8 9"));
	r.click("TenButton");
	QCOMPARE(labels(), QString("11 12 13 14 15 16 17 18 19"));
	r.click("Preset2Button");
	r.click("CallButton");
	QCOMPARE(labels(), QString("Wide 2 3 4 5 6 7 8 9"));
}

Action choose(const QString &box, const QString &text)
{
	return [=](TestPanel &r) { r.findChild<QComboBox *>(box)->setCurrentText(text); };
}

Action hotKey(int key, bool pressed)
{
	return [=](TestPanel &r) { emit r.findChild<CameraHotKey *>()->hotKeysentTo(key, pressed); };
}

// One signal of the limit dialog; only an angle is stored, under the camera's prefix. Opened twice, the dialog is
// still one, and its speed compensation switch is off on models without it.
Action limit(int type, int value, const QString &stored = {})
{
	return [=](TestPanel &r) {
		const QJsonObject before = readSettings();
		r.action("PanTiltLimit")->trigger();
		r.action("PanTiltLimit")->trigger();
		const auto dialogs = r.findChildren<PanTiltLimitSettingDialog *>();
		QCOMPARE(dialogs.size(), 1);
		QCOMPARE(dialogs[0]->findChild<QPushButton *>("PTZSpeedCompButton")->isEnabled(), r.model != "QK-H32P");
		emit dialogs[0]->triggered(CommandType(type), value);
		QJsonObject after = readSettings();
		if (!stored.isEmpty())
			QCOMPARE(after.take(r.prefix() + stored), QJsonValue(QString::number(value)));
		QCOMPARE(after, before);
	};
}

// Quick exposure settings switch to Manual first; the shutter shown is the one set, or the camera's.
Action quick(const QString &button, bool pal, const QString &shutter)
{
	return [=](TestPanel &r) {
		if (pal)
			r.findChild<ORPlusMinusButton *>("ShutterSpeedButton")->setElements(palShutters);
		r.click(button);
		QVERIFY(r.settle()); // the mode's read-back does not overwrite the values just set
		QCOMPARE(r.findChild<QComboBox *>("ExposureModeBox")->currentText(), QString("Manual"));
		QCOMPARE(exposureSteppers(r).first(), shutter);
	};
}

void row(const char *name, const Action &action, const QStringList &expected, const QString &model = "QK-H57P")
{
	QTest::newRow(name) << action << expected << model;
}
} // namespace

Q_DECLARE_METATYPE(Selection)
Q_DECLARE_METATYPE(Action)

class MainDialogTest : public QObject {
	Q_OBJECT

private slots:
	void init() { writeSettings(QJsonObject()); }

	void selectSlot_data();
	void selectSlot()
	{
		QFETCH(Selection, row);
		const auto &[model, ip, slot, before, stored, outcome] = row;
		std::unique_ptr<CameraSimulator> camera;
		if (!model.isEmpty())
			QVERIFY((camera = startCamera(model == "silent" ? "QK-H57P" : model, ip, model == "silent")));
		auto other = startCamera("QK-H57P", otherIp);
		QVERIFY(other);
		const char *names[] = {"PanSpeed", "TiltSpeed", "ZoomSpeed", "FocusSpeed"};
		QJsonObject settings;
		for (int i = 0; i < stored.size(); ++i)
			settings[ip + model + names[i]] = stored[i]; // keys follow address and model name, not the slot
		writeSettings(settings);

		TestPanel panel;
		panel.show();
		if (before) {
			panel.connectSlot(before, otherIp);
			QVERIFY(panel.settle() && panel.connection() == QString("Camera%1Button on on on").arg(before));
			other->clear();
		}
		if (ip.isEmpty())
			panel.click(QString("Camera%1Button").arg(slot));
		else
			panel.connectSlot(slot, ip);
		QVERIFY(panel.settle());

		QCOMPARE(warnings(), outcome == Failed ? QStringList{"FailedToConnectToCamera"} : QStringList());
		if (outcome == Dropped)
			QVERIFY(other->payloads().isEmpty());
		QCOMPARE(panel.connection(),
			 outcome == Connected ? QString("Camera%1Button on on on").arg(slot) : QString("off off off"));
		if (outcome != Connected)
			return;
		const QStringList shown = stored.isEmpty() ? QStringList{"7", "7", "5", "3"} : stored;
		for (int i = 0; i < 4; ++i)
			QCOMPARE(panel.findChild<QLineEdit *>(QString(names[i]) + "Edit")->text(), shown[i]);
		// The link talks to the selected camera only.
		camera->clear();
		other->clear();
		panel.click("HomeButton");
		QTRY_COMPARE(camera->payloads(), QList<QByteArray>{QByteArray::fromHex("81010604ff")});
		QVERIFY(other->payloads().isEmpty());
	}

	void linkCheckDropsAndReconnects()
	{
		TestPanel panel;
		QVERIFY(panel.up("QK-H57P", "127.0.6.33"));
		panel.setLinkCheckInterval(100);
		QTest::qWait(300); // a few checks against a live camera change nothing
		QCOMPARE(panel.connection(), QString("Camera1Button on on on"));
		// Each slot says its camera's state; the others have no address.
		const auto states = [&panel] {
			QStringList out;
			for (int slot : {1, 2})
				out << panel.button(QString("Camera%1Button").arg(slot))->accessibleDescription();
			return out.join(' ');
		};
		QCOMPARE(states(), QString("CameraStateConnected CameraStateNoAddress"));

		// Every camera control is off without the camera, and looks it: the preset grid's own colours give way.
		const QStringList sending = {"Preset1Button", "TenButton", "StoreButton", "CallButton", "UpButton"};
		QList<QImage> looks;
		for (const QString &name : sending)
			looks << panel.button(name)->grab().toImage();

		panel.camera->stop();
		QTRY_COMPARE_WITH_TIMEOUT(panel.connection(), QString("off off off"), 15000);
		QCOMPARE(states(), QString("CameraStateNotAnswering CameraStateNoAddress"));
		QCOMPARE(statusLine(panel), QString("CameraNotAnswering"));
		for (int i = 0; i < sending.size(); ++i) {
			QPushButton *control = panel.button(sending[i]);
			QVERIFY2(!control->isEnabled() && control->grab().toImage() != looks[i],
				 qPrintable(sending[i]));
		}
		QTest::qWait(500); // later checks keep watching quietly
		QCOMPARE(warnings(), QStringList{"FailedToConnectToCamera"});

		// Back again: the slot reconnects by itself and says so.
		QVERIFY((panel.camera = startCamera("QK-H57P", "127.0.6.33")));
		QTRY_COMPARE_WITH_TIMEOUT(panel.connection(), QString("Camera1Button on on on"), 10000);
		QCOMPARE(statusLine(panel), QString("CameraReconnected"));
		QCOMPARE(states(), QString("CameraStateConnected CameraStateNoAddress"));
		QCOMPARE(warnings(), QStringList()); // the box about this camera closed itself
	}

	void invalidAnswerLeavesControl();
	void sends_data();
	void sends();

	// Both switches store a boolean (a stored text is none: they start off) and keep the file's other keys.
	// Switching hotkeys on reminds of OBS's own hotkey settings; the bridge opened to the network is reachable on
	// the second address that run-in-private-network.sh gives the namespace, and stays so at the next start.
	void hotKeyAndBridgeSwitches()
	{
		const auto reachable = [](const char *host) {
			QTcpSocket socket;
			socket.connectToHost(QString::fromLatin1(host), 55260);
			return socket.waitForConnected(2000);
		};
		writeSettings(
			QJsonObject{{"Camera1IP", "127.0.6.41"}, {"hotKey", "true"}, {"bridgeOpenToNetwork", "true"}});
		{
			TestPanel panel;
			QVERIFY2(reachable("127.0.0.1") && !reachable("192.0.2.1"), "loopback only at first");
			QStringList expected;
			for (bool on : {true, false, true}) {
				panel.action("UseHotHeys")->trigger();
				panel.action("BridgeOpenToNetwork")->trigger();
				QCOMPARE(readSettings(), (QJsonObject{{"Camera1IP", "127.0.6.41"},
								      {"hotKey", on},
								      {"bridgeOpenToNetwork", on}}));
				QCOMPARE(panel.action("UseHotHeys")->isChecked(), on);
				if (on)
					expected << "NeedToSetHotKeysInOBS";
				QCOMPARE(warnings(), expected);
				QVERIFY(reachable("127.0.0.1"));
				QCOMPARE(reachable("192.0.2.1"), on);
			}
		}
		TestPanel panel;
		QVERIFY(panel.action("UseHotHeys")->isChecked() && panel.action("BridgeOpenToNetwork")->isChecked());
		QVERIFY(reachable("192.0.2.1"));
	}

	// Escape hides the floating panel; inside a dock (a widget of another window) the dock is OBS's to close.
	void escapeInsideADock()
	{
		QWidget dock;
		TestPanel panel;
		panel.setParent(&dock, Qt::Widget);
		dock.show();
		QVERIFY(QTest::qWaitForWindowExposed(&dock));
		panel.setFocus();
		QTest::keyClick(&panel, Qt::Key_Escape);
		QVERIFY(panel.isVisible());
		panel.setParent(nullptr, Qt::Dialog);
		panel.show();
		QTest::keyClick(&panel, Qt::Key_Escape);
		QVERIFY(panel.isHidden());
	}

	// The assignment dialog has no parent: opened twice it is still one, and the panel takes it with it.
	void assignmentDialogFreedWithPanel()
	{
		auto panel = std::make_unique<TestPanel>();
		panel->action("Cameraassign")->trigger();
		panel->action("Cameraassign")->trigger();
		QList<QPointer<QWidget>> dialogs;
		for (QWidget *widget : QApplication::allWidgets())
			if (widget->inherits("DiscoveryDialog"))
				dialogs << widget;
		QCOMPARE(dialogs.size(), 1);
		panel.reset();
		QVERIFY(dialogs.first().isNull());
	}

	void presetRename()
	{
		writeSettings(QJsonObject{{"1", "Wide"}, {"hotKey", false}});
		TestPanel panel;
		QCOMPARE(panel.button("Preset1Button")->text(), QString("Wide"));
		panel.action("PresetRename")->trigger();
		QPointer<PresetRenameDialog> dialog = panel.findChild<PresetRenameDialog *>();
		QVERIFY(dialog && dialog->isVisible());
		dialog->findChild<QLineEdit *>("Preset3Edit")->setText("Pulpit");
		QTest::mouseClick(dialog->findChild<QPushButton *>("ApplyButton"), Qt::LeftButton);

		QJsonObject expected{{"hotKey", false}};
		for (int k = 1; k <= 9; ++k) {
			const QString key = QString::number(k);
			expected[key] = k == 1 ? QString("Wide") : k == 3 ? QString("Pulpit") : key;
			QCOMPARE(panel.button(QString("Preset%1Button").arg(k))->text(), expected[key].toString());
		}
		QCOMPARE(readSettings(), expected);
		QTRY_VERIFY(dialog.isNull()); // closed and deleted
	}

	// A stored preset speed is shown, and sent at connect unless it is the first item; an unknown text is neither.
	void presetSpeedAtConnect()
	{
		const QString key = "127.0.6.61QK-H57PPresetSpeed";
		for (const auto &[stored, shown, code] :
		     {std::tuple{"5 DegSec", "5 DegSec", -1}, std::tuple{"80 DegSec", "80 DegSec", 3},
		      std::tuple{"999 DegSec", "5 DegSec", -1}}) {
			writeSettings(QJsonObject{{key, stored}});
			TestPanel panel;
			QVERIFY(panel.up("QK-H57P", "127.0.6.61"));
			QList<int> sent;
			for (const QByteArray &payload : panel.atConnect) {
				if (payload.startsWith(QByteArray::fromHex("81 01 06 20")))
					sent << payload.at(4);
			}
			QCOMPARE(sent, code < 0 ? QList<int>() : QList<int>{code});
			QCOMPARE(panel.findChild<QComboBox *>("PresetSpeedBox")->currentText(), QString(shown));
			QCOMPARE(readSettings().value(key).toString(), QString(stored));
		}
	}
};

void MainDialogTest::selectSlot_data()
{
	QTest::addColumn<Selection>("row");
	QTest::newRow("H57P, defaults") << Selection{"QK-H57P", "127.0.6.10", 1, 0, {}, Connected};
	QTest::newRow("WD909P, stored") << Selection{"QK-WD909P", "127.0.6.11", 4, 0, {"4", "5", "6", "2"}, Connected};
	QTest::newRow("H32P, stored, slot 2 busy")
		<< Selection{"QK-H32P", "127.0.6.13", 8, 2, {"1", "2", "3", "4"}, Connected};
	QTest::newRow("no IP key") << Selection{"", "", 3, 0, {}, Failed};
	QTest::newRow("no IP key, other slot connected") << Selection{"", "", 3, 2, {}, Failed};
	QTest::newRow("silent camera") << Selection{"silent", "127.0.6.20", 3, 0, {}, Failed};
	QTest::newRow("nothing at the address") << Selection{"", "127.0.6.22", 3, 0, {}, Failed};
	QTest::newRow("the connected slot clicked again") << Selection{"", otherIp, 2, 2, {}, Dropped};
}

// The camera's state changes and the slot is selected again while every inquiry is refused: each control keeps
// the value it showed instead of showing 0. (The link turns error, short and missing replies into no answer.)
void MainDialogTest::invalidAnswerLeavesControl()
{
	TestPanel panel;
	const auto shownValues = [&panel] {
		QStringList values{QString::number(panel.findChild<QSlider *>("ZoomSlider")->value()),
				   QString::number(panel.findChild<QSlider *>("FocusSlider")->value()),
				   QString::number(panel.findChild<QSlider *>("FocusSlider")->isEnabled())};
		for (const char *name : {"ExposureModeBox", "ShutterSpeedButton", "IrisButton", "GainButton",
					 "AWBModeBox", "RGainButton", "BGainButton", "ImageModeBox", "SharpnessButton",
					 "HueButton", "SaturationButton", "GammaButton", "DigEffectBox"}) {
			QWidget *control = panel.findChild<QWidget *>(name);
			auto *box = qobject_cast<QComboBox *>(control);
			values << (box ? box->currentText() : control->findChild<QLineEdit *>("InputEdit")->text());
		}
		return values;
	};
	QVERIFY(panel.up("QK-H57P", "127.0.6.34", [](CameraSimulator::State &s) {
		s = CameraSimulator::State();
		s.zoomPosition = 0x100, s.focusPosition = 0x200, s.autoFocus = true, s.exposureMode = 0;
		s.shutter = 11, s.iris = 10, s.gain = 8, s.whiteBalanceMode = 0, s.redGain = 10, s.blueGain = 20;
		s.imageMode = 0, s.sharpness = 5, s.hue = 3, s.saturation = 4, s.gamma = 1, s.mirror = 3, s.flip = 3;
	}));
	const QStringList before = shownValues();
	CameraSimulator::State s = panel.camera->state();
	s.zoomPosition = 0x300, s.focusPosition = 0x400, s.autoFocus = false, s.exposureMode = 3;
	s.shutter = 16, s.iris = 13, s.gain = 11, s.whiteBalanceMode = 3, s.redGain = 30, s.blueGain = 40;
	s.imageMode = 1, s.sharpness = 8, s.hue = 6, s.saturation = 7, s.gamma = 2, s.mirror = 3, s.flip = 2;
	panel.camera->setState(s);
	const auto reselect = [&panel](const QByteArray &inquiryReply) {
		CameraSimulator::Options faults = panel.camera->options();
		faults.inquiryReply = inquiryReply;
		panel.camera->setFaults(faults);
		panel.click("Camera1Button"); // off
		panel.click("Camera1Button");
		return panel.settle(30000) && panel.button("Camera1Button")->isChecked();
	};
	QVERIFY(reselect(QByteArray::fromHex("906002ff"))); // syntax error to every inquiry
	QCOMPARE(shownValues(), before);
	QVERIFY(reselect({}));
	const QStringList after = shownValues();
	for (int i = 0; i < before.size(); ++i)
		QVERIFY2(after[i] != before[i], qPrintable(QString("control %1 shows no change").arg(i)));
}

void MainDialogTest::sends_data()
{
	QTest::addColumn<Action>("action");
	QTest::addColumn<QStringList>("expected"); // beginnings of the datagrams, in order
	QTest::addColumn<QString>("model");

	// QK-H57P defaults: pan/tilt speed 0B 0B (1..24), zoom 5 (0..7), focus 3 (0..7), slider zoom speed 2.
	// The move, then the stop at the same speeds.
	auto pad = [](const QString &speeds, const QString &direction) {
		return QStringList{"81 01 06 01 " + speeds + " " + direction + " ff",
				   "81 01 06 01 " + speeds + " 03 03 ff"};
	};
	const QStringList zoomStop = {"81 01 04 07 00 ff", "81 01 00 01 ff", "81 09 04 47 ff"};
	const QStringList focusStop = {"81 01 04 08 00 ff", "81 09 04 48 ff"};
	const QStringList manual = {"81 01 04 39 03 ff", "81 09 04 4a ff", "81 09 04 4b ff", "81 09 04 4c ff"};
	row("up", held("UpButton"), pad("0b 0b", "03 01"));
	row("lower right", held("LowerRightButton"), pad("0b 0b", "02 02"));
	row("home: nothing on release", held("HomeButton"), {"81 01 06 04 ff"});
	// No direct-position command goes back after a drive.
	row("zoom minus", held("ZoomMinusButton", "ZoomSlider", 0x1234), QStringList("81 01 04 07 32 ff") + zoomStop);
	row("focus plus", held("FocusPlusButton", "FocusSlider", 0x0456), QStringList("81 01 04 08 33 ff") + focusStop);
	row("zoom slider drag: one position per change", dragged("ZoomSlider", {100, 200, 200, 0x1000}),
	    {"81 01 04 47 00 00 06 04 02 ff", "81 01 04 47 00 00 0c 08 02 ff", "81 01 04 47 01 00 00 00 02 ff"});
	row("focus slider drag", dragged("FocusSlider", {0x0456}), {"81 01 04 48 00 04 05 06 ff"});
	row("AF on", clicks({"AFButton"}), {"81 01 04 38 02 ff"});

	row("pan 99 -> 24", speed("PanSpeed", "99", "24", "UpButton"), pad("18 0b", "03 01"));
	row("pan empty -> 1", speed("PanSpeed", "", "1", "UpButton"), pad("01 0b", "03 01"));
	row("tilt 5", speed("TiltSpeed", "5", "5", "DownButton"), pad("0b 05", "03 02"));
	row("zoom 99 -> 7", speed("ZoomSpeed", "99", "7", "ZoomPlusButton"),
	    QStringList("81 01 04 07 27 ff") + zoomStop);
	row("focus empty -> 0", speed("FocusSpeed", "", "0", "FocusPlusButton"),
	    QStringList("81 01 04 08 30 ff") + focusStop);

	row("hotkey 9 pressed calls preset 4", hotKey(9, true), {"81 01 04 3f 02 04 ff"});
	row("hotkey 9 released", hotKey(9, false), {});
	row("hotkey 4 pressed zooms in", hotKey(4, true), {"81 01 04 07 22 ff"});
	row("hotkey 4 released stops the zoom", hotKey(4, false), {"81 01 04 07 00 ff"});
	row("hotkey 15 is none", hotKey(15, true), {});
	row("hotkey -1 is none", hotKey(-1, true), {});
	row("hotkeys switched off", [](TestPanel &r) { r.action("UseHotHeys")->trigger(), hotKey(0, true)(r); }, {});
	row("hotkey while disconnected", [](TestPanel &r) { r.click("Camera1Button"), hotKey(9, true)(r); }, {});

	const QString clear = " 07 0f 0f 0f 07 0f 0f 0f ff";
	row("QK-H32P: limits on, nothing sent or stored", limit(5, 1), {}, "QK-H32P");
	row("limits off: both clears", limit(5, 0), {"81 01 06 07 01 01" + clear, "81 01 06 07 01 00" + clear});
	row("speed compensation off", limit(4, 0), {"81 01 06 1f 01 00 ff"});
	row("pan left -170 stored", limit(1, -170, "PanLeftLimit"), {"81 01 06 07 00 00"});
	row("unknown limit type", limit(7, 1), {});

	row("10+ and 5, CALL: 15", status({"TenButton", "Preset5Button", "CallButton"}, "Preset 15 recalled"),
	    {"81 01 04 3f 02 0f ff"});
	row("3, STORE", status({"Preset3Button", "StoreButton"}, "Preset 3 stored"), {"81 01 04 3f 01 03 ff"});
	row("10+ alone, STORE: 10", status({"TenButton", "StoreButton"}, "Preset 10 stored"), {"81 01 04 3f 01 0a ff"});
	row("9 clicked twice, CALL: nothing",
	    status({"Preset9Button", "Preset9Button", "CallButton"}, "Choose a preset number first"), {});
	row("nothing, STORE", status({"StoreButton"}, "Choose a preset number first"), {});
	row("10+ labels, then 12 recalled", tensLabels, {"81 01 04 3f 02 0c ff"});
	row("10+ twice and 1, STORE: 1", clicks({"TenButton", "TenButton", "Preset1Button", "StoreButton"}),
	    {"81 01 04 3f 01 01 ff"});

	// The mode goes out; the values are read back, not sent.
	row(
		"exposure Manual",
		[](TestPanel &r) {
			QCOMPARE(exposureSteppers(r), QStringList({"off 1/180", "off F3.2", "off 24dB"}));
			choose("ExposureModeBox", "Manual")(r);
			QVERIFY(r.settle());
			QCOMPARE(exposureSteppers(r), QStringList({"1/180", "F3.2", "24dB"}));
		},
		manual);
	// A reported mode that is not in the list: the box falls back to its first entry without handling the change,
	// so the steppers keep the state Manual left.
	row("exposure mode not in the list",
	    [](TestPanel &r) {
		    choose("ExposureModeBox", "Manual")(r);
		    QVERIFY(r.settle());
		    CameraSimulator::State state = r.camera->state();
		    state.exposureMode = 0x0D;
		    r.camera->setState(state);
		    r.click("Camera1Button"); // off, and on again
		    r.click("Camera1Button");
		    QVERIFY(r.settle());
		    QCOMPARE(r.findChild<QComboBox *>("ExposureModeBox")->currentIndex(), 0);
		    QCOMPARE(exposureSteppers(r), QStringList({"1/180", "F3.2", "24dB"}));
		    r.camera->clear();
	    },
	    {});
	row("white balance OnePush",
	    [](TestPanel &r) {
		    choose("AWBModeBox", "OnePush")(r);
		    QVERIFY(!r.findChild<QWidget *>("RGainButton")
				     ->findChild<QPushButton *>("PlusButton")
				     ->isEnabled());
		    r.click("OnePushButton");
	    },
	    {"81 01 04 35 03 ff", "81 01 04 10 05 ff"});
	// QK-H57P codes: 1/30 16, 1/120 12; F2 13, F3.2 10; 33dB 11, 21dB 7, 24dB 8.
	const QStringList lowLight = {"81 01 04 4a 00 00 01 00 ff", "81 01 04 4b 00 00 00 0d ff",
				      "81 01 04 4c 00 00 00 0b ff"};
	row("low light", quick("LowLightButton", false, "1/30"), manual + lowLight);
	row("low light without 1/30: 1/25", quick("LowLightButton", true, "1/25"), manual + lowLight);
	row("back light without 1/120: no shutter", quick("BackLightButton", true, "1/180"),
	    manual + QStringList{"81 01 04 4b 00 00 00 08 ff", "81 01 04 4c 00 00 00 07 ff"});
}
void MainDialogTest::sends()
{
	QFETCH(Action, action);
	QFETCH(QStringList, expected);
	QFETCH(QString, model);
	writeSettings(QJsonObject{{"hotKey", true}});
	TestPanel panel;
	QVERIFY(panel.up(model, "127.0.6.50", [](CameraSimulator::State &state) {
		state.autoFocus = false;
		state.exposureMode = 0;
		state.whiteBalanceMode = 0;
		state.shutter = 11; // 1/180, in both shutter lists
		state.iris = 10;
		state.gain = 8;
	}));
	action(panel);
	QVERIFY(panel.settle());

	QStringList sent = panel.sent();
	for (int i = 0; i < qMin(sent.size(), expected.size()); ++i)
		sent[i].truncate(expected[i].size());
	QCOMPARE(sent.join(" | "), expected.join(" | "));
	for (auto *choice : panel.findChildren<QPushButton *>(QRegularExpression("^(Preset\\d|Ten)Button$")))
		QVERIFY2(!choice->isChecked(), qPrintable(choice->objectName())); // no preset stays chosen
}

PANEL_TEST_MAIN(MainDialogTest)
#include "tst_maindialog.moc"
