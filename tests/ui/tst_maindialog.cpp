// The panel itself and its camera connection: slot selection, the link check, the hotkey and bridge switches
// and the assignment dialog. Cameras are simulated on 127.0.6.x.

#include "MainDialogTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSlider>
#include <QTcpSocket>

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
} // namespace

Q_DECLARE_METATYPE(Selection)

class MainDialogTest : public QObject {
	Q_OBJECT

private slots:
	void init() { writeSettings(QJsonObject()); }

	void selectSlot_data()
	{
		QTest::addColumn<Selection>("row");
		QTest::newRow("H57P, defaults") << Selection{"QK-H57P", "127.0.6.10", 1, 0, {}, Connected};
		QTest::newRow("WD909P, stored")
			<< Selection{"QK-WD909P", "127.0.6.11", 4, 0, {"4", "5", "6", "2"}, Connected};
		QTest::newRow("H32P, stored, while another slot is connected")
			<< Selection{"QK-H32P", "127.0.6.13", 8, 2, {"1", "2", "3", "4"}, Connected};
		QTest::newRow("no IP key") << Selection{"", "", 3, 0, {}, Failed};
		QTest::newRow("no IP key, other slot connected") << Selection{"", "", 3, 2, {}, Failed};
		QTest::newRow("silent camera") << Selection{"silent", "127.0.6.20", 3, 0, {}, Failed};
		QTest::newRow("nothing at the address") << Selection{"", "127.0.6.22", 3, 0, {}, Failed};
		QTest::newRow("the connected slot clicked again") << Selection{"", otherIp, 2, 2, {}, Dropped};
	}
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
			QVERIFY(panel.settle() && panel.checkedSlots().size() == 1);
			other->clear();
		}
		if (ip.isEmpty())
			panel.click(QString("Camera%1Button").arg(slot));
		else
			panel.connectSlot(slot, ip);
		QVERIFY(panel.settle());

		QCOMPARE(warnings(), outcome == Failed ? QStringList{"FailedToConnectToCamera"} : QStringList());
		QCOMPARE(panel.controlStates(), QVector<bool>(3, outcome == Connected));
		if (outcome == Dropped)
			QVERIFY(other->payloads().isEmpty());
		QCOMPARE(panel.checkedSlots(),
			 outcome == Connected ? QStringList{QString("Camera%1Button").arg(slot)} : QStringList());
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

	// A click on another slot while the first is still identifying its camera: the first selection is dropped.
	void laterSelectionSupersedes()
	{
		auto silent = startCamera("QK-H57P", "127.0.6.24", true);
		auto live = startCamera("QK-WD909P", "127.0.6.25");
		QVERIFY(silent && live);
		TestPanel panel;
		panel.show();
		panel.connectSlot(3, "127.0.6.24");
		QVERIFY(silent->waitForDatagrams(1, 2000));
		QCOMPARE(panel.checkedSlots(), QStringList{"Camera3Button"}); // connecting
		QCOMPARE(panel.findChild<QLabel *>("ConnectionLabel")->text(), QString("CameraConnecting"));
		QCOMPARE(panel.controlStates(), QVector<bool>(3, false));

		panel.connectSlot(5, "127.0.6.25");
		QVERIFY(panel.settle());
		const size_t heard = silent->receivedCount();
		QTest::qWait(1000);                       // the first identification would have given up by now
		QCOMPARE(silent->receivedCount(), heard); // its link is gone
		QCOMPARE(warnings(), QStringList());
		QCOMPARE(panel.checkedSlots(), QStringList{"Camera5Button"});
		QCOMPARE(panel.controlStates(), QVector<bool>(3, true));
	}

	void linkCheckDropsAndReconnects()
	{
		TestPanel panel;
		QVERIFY(panel.up("QK-H57P", "127.0.6.33"));
		panel.setLinkCheckInterval(100);
		QTest::qWait(300); // a few checks against a live camera change nothing
		QCOMPARE(panel.checkedSlots(), QStringList{"Camera1Button"});

		panel.camera->stop();
		QTRY_VERIFY_WITH_TIMEOUT(panel.checkedSlots().isEmpty(), 15000);
		QTest::qWait(500); // later checks keep watching quietly
		QCOMPARE(warnings(), QStringList{"FailedToConnectToCamera"});
		QCOMPARE(panel.controlStates(), QVector<bool>(3, false));

		// Back again: the slot reconnects by itself and says so.
		QVERIFY((panel.camera = startCamera("QK-H57P", "127.0.6.33")));
		QTRY_VERIFY_WITH_TIMEOUT(panel.button("Camera1Button")->isChecked(), 10000);
		QCOMPARE(panel.controlStates(), QVector<bool>(3, true));
		QCOMPARE(panel.findChild<QLabel *>("ConnectionLabel")->text(), QString("CameraReconnected"));
		QCOMPARE(warnings().size(), 1);
	}

	// The camera's state changes and the slot is selected again while every inquiry is refused: each control keeps
	// the value it showed instead of showing 0. (The link turns error, short and missing replies into no answer.)
	void invalidAnswerLeavesControl()
	{
		TestPanel panel;
		const auto shownValues = [&panel] {
			QStringList values{QString::number(panel.findChild<QSlider *>("ZoomSlider")->value()),
					   QString::number(panel.findChild<QSlider *>("FocusSlider")->value()),
					   QString::number(panel.findChild<QSlider *>("FocusSlider")->isEnabled())};
			for (const char *name :
			     {"ExposureModeBox", "ShutterSpeedButton", "IrisButton", "GainButton", "AWBModeBox",
			      "RGainButton", "BGainButton", "ImageModeBox", "SharpnessButton", "HueButton",
			      "SaturationButton", "GammaButton", "DigEffectBox"}) {
				QWidget *control = panel.findChild<QWidget *>(name);
				auto *box = qobject_cast<QComboBox *>(control);
				values << (box ? box->currentText()
					       : control->findChild<QLineEdit *>("InputEdit")->text());
			}
			return values;
		};
		QVERIFY(panel.up("QK-H57P", "127.0.6.34", [](CameraSimulator::State &s) {
			s = CameraSimulator::State();
			s.zoomPosition = 0x100, s.focusPosition = 0x200, s.autoFocus = true, s.exposureMode = 0;
			s.shutter = 11, s.iris = 10, s.gain = 8, s.whiteBalanceMode = 0, s.redGain = 10,
			s.blueGain = 20;
			s.imageMode = 0, s.sharpness = 5, s.hue = 3, s.saturation = 4, s.gamma = 1, s.mirror = 3,
			s.flip = 3;
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

	void hotKeySwitch()
	{
		// A stored text is no boolean: the switch starts off.
		writeSettings(QJsonObject{{"Camera1IP", "127.0.6.41"}, {"hotKey", "true"}});
		TestPanel panel;
		QAction *hotKeys = panel.action("UseHotHeys");
		QStringList expected;
		for (bool on : {true, false, true, false}) {
			hotKeys->trigger();
			QCOMPARE(hotKeys->isChecked(), on);
			QCOMPARE(readSettings(), (QJsonObject{{"Camera1IP", "127.0.6.41"}, {"hotKey", on}}));
			if (on) // only switching on reminds of OBS's own hotkey settings
				expected << "NeedToSetHotKeysInOBS";
			QCOMPARE(warnings(), expected);
		}
	}

	// Run by run-in-private-network.sh, which gives the namespace the second address that stands for the network.
	void bridgeNetworkSwitch()
	{
		const auto reachable = [](const char *host) {
			QTcpSocket socket;
			socket.connectToHost(QString::fromLatin1(host), 55260);
			return socket.waitForConnected(2000);
		};
		writeSettings(QJsonObject{{"Camera1IP", "127.0.6.41"}});
		{
			TestPanel panel;
			QAction *open = panel.action("BridgeOpenToNetwork");
			QVERIFY2(reachable("127.0.0.1") && !reachable("192.0.2.1"), "loopback only at first");
			for (bool on : {true, false, true}) {
				open->trigger();
				QCOMPARE(readSettings(),
					 (QJsonObject{{"Camera1IP", "127.0.6.41"}, {"bridgeOpenToNetwork", on}}));
				QVERIFY(reachable("127.0.0.1"));
				QCOMPARE(reachable("192.0.2.1"), on);
			}
		}
		TestPanel panel; // the stored choice holds at the next start
		QVERIFY(panel.action("BridgeOpenToNetwork")->isChecked() && reachable("192.0.2.1"));
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
};

PANEL_TEST_MAIN(MainDialogTest)
#include "tst_maindialog.moc"
