// The panel itself and its camera connection: slot selection, the link check, the two views, the hotkey switch
// and the assignment dialog. Cameras are simulated on 127.0.6.x.

#include "MainDialogTestSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QTcpSocket>

namespace {
enum Outcome { Connected, Failed, Dropped };
const QString otherIp = "127.0.6.23";
} // namespace

class MainDialogTest : public QObject {
	Q_OBJECT

private slots:
	void init() { writeSettings(QJsonObject()); }

	void selectSlot_data();
	void selectSlot();
	void linkCheckDropsSilentCamera();
	void views_data();
	void views();
	void hotKeySwitch();
	void bridgeNetworkSwitch();
	void assignmentDialogFreedWithPanel();
};

void MainDialogTest::selectSlot_data()
{
	QTest::addColumn<QString>("model"); // empty: nothing at the address; "silent": a camera that never answers
	QTest::addColumn<QString>("ip");    // empty: the slot has no IP key
	QTest::addColumn<int>("slot");
	QTest::addColumn<int>("before");         // slot connected to another camera first; 0: none
	QTest::addColumn<QStringList>("stored"); // pan, tilt, zoom, focus; empty: none stored, defaults shown
	QTest::addColumn<int>("outcome");

	const QStringList none;
	QTest::newRow("H57P, defaults") << "QK-H57P" << QString("127.0.6.10") << 1 << 0 << none << int(Connected);
	QTest::newRow("WD909P, stored") << "QK-WD909P" << QString("127.0.6.11") << 4 << 0
					<< QStringList{"4", "5", "6", "2"} << int(Connected);
	QTest::newRow("H32P, stored, while another slot is connected")
		<< "QK-H32P" << QString("127.0.6.13") << 8 << 2 << QStringList{"1", "2", "3", "4"} << int(Connected);
	QTest::newRow("no IP key") << QString() << QString() << 3 << 0 << none << int(Failed);
	QTest::newRow("no IP key, other slot connected") << QString() << QString() << 3 << 2 << none << int(Failed);
	QTest::newRow("silent camera") << "silent" << QString("127.0.6.20") << 3 << 0 << none << int(Failed);
	QTest::newRow("silent camera, other slot connected")
		<< "silent" << QString("127.0.6.21") << 3 << 2 << none << int(Failed);
	QTest::newRow("nothing at the address") << QString() << QString("127.0.6.22") << 3 << 0 << none << int(Failed);
	QTest::newRow("the connected slot clicked again") << QString() << otherIp << 2 << 2 << none << int(Dropped);
}

void MainDialogTest::selectSlot()
{
	QFETCH(QString, model);
	QFETCH(QString, ip);
	QFETCH(int, slot);
	QFETCH(int, before);
	QFETCH(QStringList, stored);
	QFETCH(int, outcome);
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
	WarningCloser warnings;
	if (before) {
		connectSlot(panel, before, otherIp);
		QCOMPARE(panel.checkedSlots().size(), 1);
		other->clear();
	}
	if (ip.isEmpty())
		QTest::mouseClick(panel.button(QString("Camera%1Button").arg(slot)), Qt::LeftButton);
	else
		connectSlot(panel, slot, ip);

	QCOMPARE(warnings.texts, outcome == Failed ? QStringList{"FailedToConnectToCamera"} : QStringList());
	QCOMPARE(panel.controlStates(), QVector<bool>(3, outcome == Connected));
	if (outcome == Dropped)
		QVERIFY(other->payloads().isEmpty());
	if (outcome != Connected) {
		QVERIFY(panel.checkedSlots().isEmpty());
		return;
	}
	QCOMPARE(panel.checkedSlots(), QList<QPushButton *>{panel.button(QString("Camera%1Button").arg(slot))});
	const QStringList shown = stored.isEmpty() ? QStringList{"7", "7", "5", "3"} : stored;
	for (int i = 0; i < 4; ++i)
		QCOMPARE(panel.findChild<QLineEdit *>(QString(names[i]) + "Edit")->text(), shown[i]);
	// The link talks to the selected camera only.
	camera->clear();
	other->clear();
	QTest::mouseClick(panel.button("HomeButton"), Qt::LeftButton);
	QCOMPARE(camera->payloads(), QList<QByteArray>{QByteArray::fromHex("81010604ff")});
	QVERIFY(other->payloads().isEmpty());
}

void MainDialogTest::linkCheckDropsSilentCamera()
{
	Rig rig;
	QVERIFY(rig.up("QK-H57P", "127.0.6.33"));
	rig.panel.setLinkCheckInterval(100);
	QTest::qWait(300); // a few checks against a live camera change nothing
	QVERIFY(rig.button("Camera1Button")->isChecked());
	QCOMPARE(rig.warnings.count(), 0);

	rig.camera->stop();
	QTRY_VERIFY_WITH_TIMEOUT(rig.panel.checkedSlots().isEmpty(), 15000);
	QTRY_COMPARE_WITH_TIMEOUT(rig.warnings.count(), 1, 5000);
	QTest::qWait(500); // later checks find the panel disconnected and stay quiet
	QCOMPARE(rig.warnings.texts, QStringList{"FailedToConnectToCamera"});
	QCOMPARE(rig.panel.controlStates(), QVector<bool>(3, false));
}

void MainDialogTest::views_data()
{
	QTest::addColumn<QStringList>("actions");
	QTest::addColumn<int>("width");

	QTest::newRow("start") << QStringList() << 425;
	QTest::newRow("advanced") << QStringList{"AdvanceMode"} << 880;
	QTest::newRow("advanced and back") << QStringList{"AdvanceMode", "SimpleMode"} << 425;
	QTest::newRow("advanced twice") << QStringList{"AdvanceMode", "AdvanceMode"} << 880;
}

void MainDialogTest::views()
{
	QFETCH(QStringList, actions);
	QFETCH(int, width);
	TestPanel panel;
	panel.show();
	for (const QString &text : actions)
		panel.action(text)->trigger();
	QCOMPARE(panel.size(), QSize(width, 692));
	QCOMPARE(panel.minimumSize(), panel.maximumSize());
	QCOMPARE(panel.findChild<QWidget *>("AdvanceFrame")->isVisible(), width == 880);
}

void MainDialogTest::hotKeySwitch()
{
	// A stored text is no boolean: the switch starts off.
	writeSettings(QJsonObject{{"Camera1IP", "127.0.6.41"}, {"hotKey", "true"}});
	TestPanel panel;
	WarningCloser warnings;
	QAction *hotKeys = panel.action("UseHotHeys");
	QVERIFY(hotKeys->isCheckable() && !hotKeys->isChecked());

	int expectedWarnings = 0;
	for (bool on : {true, false, true, false}) {
		hotKeys->trigger();
		expectedWarnings += on ? 1 : 0;
		QCOMPARE(hotKeys->isChecked(), on);
		const QJsonObject settings = readSettings();
		QCOMPARE(settings.value("hotKey"), QJsonValue(on));
		QCOMPARE(settings.value("Camera1IP").toString(), QString("127.0.6.41"));
		QCOMPARE(warnings.count(), expectedWarnings);
	}
	QCOMPARE(warnings.texts, QStringList({"NeedToSetHotKeysInOBS", "NeedToSetHotKeysInOBS"}));
}

// Run by run-in-private-network.sh, which gives the namespace the second address that stands for the network.
void MainDialogTest::bridgeNetworkSwitch()
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
		QVERIFY(open && open->isCheckable() && !open->isChecked());
		QVERIFY2(reachable("127.0.0.1") && !reachable("192.0.2.1"), "loopback only at first");
		for (bool on : {true, false}) {
			open->trigger();
			const QJsonObject settings = readSettings();
			QCOMPARE(settings.value("bridgeOpenToNetwork"), QJsonValue(on));
			QCOMPARE(settings.value("Camera1IP").toString(), QString("127.0.6.41"));
			QCOMPARE(reachable("127.0.0.1"), true);
			QCOMPARE(reachable("192.0.2.1"), on);
		}
	}
	writeSettings(QJsonObject{{"bridgeOpenToNetwork", true}});
	TestPanel panel;
	QVERIFY(panel.action("BridgeOpenToNetwork")->isChecked());
	QVERIFY(reachable("192.0.2.1"));
}

// The assignment dialog has no parent: opened twice it is still one, and the panel takes it with it.
void MainDialogTest::assignmentDialogFreedWithPanel()
{
	auto dialogs = [] {
		QList<QPointer<QWidget>> found;
		for (QWidget *widget : QApplication::allWidgets()) {
			if (widget->inherits("DiscoveryDialog"))
				found << widget;
		}
		return found;
	};
	auto panel = std::make_unique<TestPanel>();
	panel->show();
	panel->action("Cameraassign")->trigger();
	panel->action("Cameraassign")->trigger();
	QCOMPARE(dialogs().size(), 1);
	QPointer<QWidget> dialog = dialogs().first();
	panel.reset();
	QVERIFY(dialog.isNull());
}

PANEL_TEST_MAIN(MainDialogTest)
#include "tst_maindialog.moc"
