// The panel itself and its camera connection: slot selection, the disconnected state, the link check, the two
// views and the hotkey switch. Cameras are simulated on 127.0.6.x.

#include "MainDialogTestSupport.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

class MainDialogTest : public QObject {
	Q_OBJECT

private slots:
	void init();

	void selectSlot_data();
	void selectSlot();
	void selectFailure_data();
	void selectFailure();
	void uncheckConnectedSlot();
	void anotherSlotWhileConnected();
	void linkCheckDropsSilentCamera();

	void views_data();
	void views();
	void slotLabels();
	void hotKeySwitch();
	void hotKeyStateAtStart_data();
	void hotKeyStateAtStart();
	void menuWidth_data();
	void menuWidth();
	void dialogsOpenOnce_data();
	void dialogsOpenOnce();
	void closeOnlyHides();
};

namespace {

QList<QDialog *> openDialogs(const QString &className)
{
	QList<QDialog *> found;
	for (QWidget *widget : QApplication::allWidgets()) {
		if (widget->inherits(className.toUtf8().constData()))
			found << static_cast<QDialog *>(widget);
	}
	return found;
}

} // namespace

void MainDialogTest::init()
{
	writeSettings(QJsonObject());
}

void MainDialogTest::selectSlot_data()
{
	QTest::addColumn<QString>("model");
	QTest::addColumn<QString>("ip");
	QTest::addColumn<int>("slot");
	QTest::addColumn<QStringList>("stored"); // pan, tilt, zoom, focus; empty: none stored
	QTest::addColumn<QStringList>("shown");

	const QStringList defaults = {"7", "7", "5", "3"};
	QTest::newRow("H57P, defaults") << "QK-H57P"
					<< "127.0.6.10" << 1 << QStringList() << defaults;
	QTest::newRow("WD909P, stored") << "QK-WD909P"
					<< "127.0.6.11" << 4 << QStringList{"4", "5", "6", "2"}
					<< QStringList{"4", "5", "6", "2"};
	QTest::newRow("WD406P, defaults") << "QK-WD406P"
					  << "127.0.6.12" << 8 << QStringList() << defaults;
	QTest::newRow("H32P, stored") << "QK-H32P"
				      << "127.0.6.13" << 2 << QStringList{"1", "2", "3", "4"}
				      << QStringList{"1", "2", "3", "4"};
	QTest::newRow("JS4, defaults") << "QK-JS4"
				       << "127.0.6.14" << 6 << QStringList() << defaults;
}

void MainDialogTest::selectSlot()
{
	QFETCH(QString, model);
	QFETCH(QString, ip);
	QFETCH(int, slot);
	QFETCH(QStringList, stored);
	QFETCH(QStringList, shown);

	auto camera = startCamera(model.toStdString(), ip.toStdString());
	QVERIFY(camera);
	if (!stored.isEmpty()) {
		// Keys follow the address and the identified model name, not the slot.
		QJsonObject settings;
		const char *names[] = {"PanSpeed", "TiltSpeed", "ZoomSpeed", "FocusSpeed"};
		for (int i = 0; i < 4; ++i)
			settings[ip + model + names[i]] = stored[i];
		writeSettings(settings);
	}

	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	connectSlot(panel, slot, ip);

	QCOMPARE(warnings.count(), 0);
	const QList<QPushButton *> checked = panel.checkedSlots();
	QCOMPARE(checked.size(), 1);
	QCOMPARE(checked.first()->objectName(), QString("Camera%1Button").arg(slot));
	QVERIFY(panel.child<QGroupBox>("CameraControlBox")->isEnabled());
	QVERIFY(panel.child<QWidget>("AdvanceFrame")->isEnabled());
	QVERIFY(panel.action("PanTiltLimit")->isEnabled());
	const char *edits[] = {"PanSpeedEdit", "TiltSpeedEdit", "ZoomSpeedEdit", "FocusSpeedEdit"};
	for (int i = 0; i < 4; ++i)
		QCOMPARE(panel.child<QLineEdit>(edits[i])->text(), shown[i]);
}

void MainDialogTest::selectFailure_data()
{
	QTest::addColumn<QString>("ip"); // empty: the slot has no IP key
	QTest::addColumn<bool>("silent");
	QTest::addColumn<bool>("connectedBefore");

	QTest::newRow("no IP key") << QString() << false << false;
	QTest::newRow("no IP key, other slot connected") << QString() << false << true;
	QTest::newRow("silent camera") << "127.0.6.20" << true << false;
	QTest::newRow("silent camera, other slot connected") << "127.0.6.21" << true << true;
	QTest::newRow("nothing at the address") << "127.0.6.22" << false << false;
}

void MainDialogTest::selectFailure()
{
	QFETCH(QString, ip);
	QFETCH(bool, silent);
	QFETCH(bool, connectedBefore);

	std::unique_ptr<CameraSimulator> camera;
	if (silent) {
		camera = startCamera("QK-H57P", ip.toStdString(), true);
		QVERIFY(camera);
	}
	auto good = startCamera("QK-H57P", "127.0.6.23");
	QVERIFY(good);

	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	if (connectedBefore) {
		connectSlot(panel, 1, "127.0.6.23");
		QCOMPARE(panel.checkedSlots().size(), 1);
	}

	if (ip.isEmpty())
		QTest::mouseClick(panel.button("Camera3Button"), Qt::LeftButton);
	else
		connectSlot(panel, 3, ip);

	QCOMPARE(warnings.count(), 1);
	QCOMPARE(warnings.texts.first(), QString("FailedToConnectToCamera"));
	QVERIFY(panel.checkedSlots().isEmpty());
	QVERIFY(!panel.child<QGroupBox>("CameraControlBox")->isEnabled());
	QVERIFY(!panel.child<QWidget>("AdvanceFrame")->isEnabled());
	QVERIFY(!panel.action("PanTiltLimit")->isEnabled());
}

void MainDialogTest::uncheckConnectedSlot()
{
	auto camera = startCamera("QK-H57P", "127.0.6.30");
	QVERIFY(camera);
	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	connectSlot(panel, 5, "127.0.6.30");
	QVERIFY(panel.button("Camera5Button")->isChecked());

	camera->clear();
	QTest::mouseClick(panel.button("Camera5Button"), Qt::LeftButton);
	QVERIFY(panel.checkedSlots().isEmpty());
	QVERIFY(!panel.child<QGroupBox>("CameraControlBox")->isEnabled());
	QVERIFY(!panel.child<QWidget>("AdvanceFrame")->isEnabled());
	QCOMPARE(warnings.count(), 0);
	QCOMPARE(camera->receivedCount(), size_t(0));
}

void MainDialogTest::anotherSlotWhileConnected()
{
	auto first = startCamera("QK-H57P", "127.0.6.31");
	auto second = startCamera("QK-WD909P", "127.0.6.32");
	QVERIFY(first && second);
	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	connectSlot(panel, 1, "127.0.6.31");
	connectSlot(panel, 7, "127.0.6.32");

	QCOMPARE(warnings.count(), 0);
	QCOMPARE(panel.checkedSlots(), QList<QPushButton *>{panel.button("Camera7Button")});

	// The new link talks to the second camera only.
	first->clear();
	second->clear();
	QTest::mousePress(panel.button("HomeButton"), Qt::LeftButton);
	QTest::mouseRelease(panel.button("HomeButton"), Qt::LeftButton);
	QCOMPARE(first->receivedCount(), size_t(0));
	QVERIFY(second->payloads().contains(QByteArray::fromHex("81010604ff")));
}

void MainDialogTest::linkCheckDropsSilentCamera()
{
	auto camera = startCamera("QK-H57P", "127.0.6.33");
	QVERIFY(camera);
	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	connectSlot(panel, 2, "127.0.6.33");
	QVERIFY(panel.button("Camera2Button")->isChecked());

	panel.setLinkCheckInterval(100);
	QTest::qWait(300); // a few checks against a live camera change nothing
	QVERIFY(panel.button("Camera2Button")->isChecked());
	QCOMPARE(warnings.count(), 0);

	camera->stop();
	QTRY_VERIFY_WITH_TIMEOUT(!panel.child<QGroupBox>("CameraControlBox")->isEnabled(), 15000);
	QTRY_COMPARE_WITH_TIMEOUT(warnings.count(), 1, 5000);
	QTest::qWait(500); // later checks find the panel disconnected and stay quiet
	QCOMPARE(warnings.count(), 1);
	QCOMPARE(warnings.texts.first(), QString("FailedToConnectToCamera"));
	QVERIFY(panel.checkedSlots().isEmpty());
	QVERIFY(!panel.action("PanTiltLimit")->isEnabled());
}

void MainDialogTest::views_data()
{
	QTest::addColumn<QStringList>("actions");
	QTest::addColumn<int>("width");
	QTest::addColumn<bool>("advanced");

	QTest::newRow("start") << QStringList() << 425 << false;
	QTest::newRow("advanced") << QStringList{"AdvanceMode"} << 880 << true;
	QTest::newRow("advanced and back") << QStringList{"AdvanceMode", "SimpleMode"} << 425 << false;
	QTest::newRow("advanced twice") << QStringList{"AdvanceMode", "AdvanceMode"} << 880 << true;
}

void MainDialogTest::views()
{
	QFETCH(QStringList, actions);
	QFETCH(int, width);
	QFETCH(bool, advanced);

	TestPanel panel;
	panel.show();
	for (const QString &text : actions)
		panel.action(text)->trigger();
	QCOMPARE(panel.size(), QSize(width, 692));
	QCOMPARE(panel.minimumSize(), panel.maximumSize());
	QCOMPARE(panel.child<QWidget>("AdvanceFrame")->isVisible(), advanced);
}

void MainDialogTest::slotLabels()
{
	writeSettings(QJsonObject{{"Camera2NickName", "Studio"}, {"Camera8NickName", ""}});
	TestPanel panel;
	QCOMPARE(panel.button("Camera1Button")->text(), QString("Camera1"));
	QCOMPARE(panel.button("Camera2Button")->text(), QString("Studio"));
	QCOMPARE(panel.button("Camera8Button")->text(), QString());

	// The assignment dialog's signal reloads every label from the file.
	writeSettings(QJsonObject{{"Camera1NickName", "Desk"}});
	panel.setIPAndName(0, "127.0.6.40", "Desk");
	QCOMPARE(panel.button("Camera1Button")->text(), QString("Desk"));
	QCOMPARE(panel.button("Camera2Button")->text(), QString("Camera2"));
}

void MainDialogTest::hotKeySwitch()
{
	writeSettings(QJsonObject{{"Camera1IP", "127.0.6.41"}});
	TestPanel panel;
	WarningCloser warnings;
	QAction *hotKeys = panel.action("UseHotHeys");
	QVERIFY(hotKeys && hotKeys->isCheckable() && !hotKeys->isChecked());

	const bool expected[] = {true, false, true, false};
	int expectedWarnings = 0;
	for (bool on : expected) {
		hotKeys->trigger();
		expectedWarnings += on ? 1 : 0;
		QCOMPARE(hotKeys->isChecked(), on);
		const QJsonObject settings = readSettings();
		QVERIFY(settings.value("hotKey").isBool());
		QCOMPARE(settings.value("hotKey").toBool(), on);
		QCOMPARE(settings.value("Camera1IP").toString(), QString("127.0.6.41"));
		QCOMPARE(warnings.count(), expectedWarnings);
	}
	QCOMPARE(warnings.texts, QStringList({"NeedToSetHotKeysInOBS", "NeedToSetHotKeysInOBS"}));
}

void MainDialogTest::hotKeyStateAtStart_data()
{
	QTest::addColumn<QJsonObject>("settings");
	QTest::addColumn<bool>("checked");

	QTest::newRow("absent") << QJsonObject() << false;
	QTest::newRow("true") << QJsonObject{{"hotKey", true}} << true;
	QTest::newRow("false") << QJsonObject{{"hotKey", false}} << false;
	QTest::newRow("not a boolean") << QJsonObject{{"hotKey", "true"}} << false;
}

void MainDialogTest::hotKeyStateAtStart()
{
	QFETCH(QJsonObject, settings);
	QFETCH(bool, checked);
	writeSettings(settings);
	TestPanel panel;
	WarningCloser warnings;
	QCOMPARE(panel.action("UseHotHeys")->isChecked(), checked);
	QCOMPARE(warnings.count(), 0);
}

void MainDialogTest::menuWidth_data()
{
	QTest::addColumn<QString>("button");
	QTest::addColumn<QStringList>("entries");

	QTest::newRow("settings") << "SettingsButton"
				  << QStringList{"Cameraassign", "UseHotHeys", "PanTiltLimit", "PresetRename", "Close"};
	QTest::newRow("view") << "ViewButton" << QStringList{"SimpleMode", "AdvanceMode"};
	QTest::newRow("help") << "HelpButton" << QStringList{"AboutUs"};
}

void MainDialogTest::menuWidth()
{
	QFETCH(QString, button);
	QFETCH(QStringList, entries);
	TestPanel panel;
	panel.show();
	QPushButton *opener = panel.button(button.toUtf8().constData());
	QMenu *menu = opener->menu();
	QVERIFY(menu);
	QStringList texts;
	for (QAction *action : menu->actions())
		texts << action->text();
	QCOMPARE(texts, entries);

	emit menu->aboutToShow();
	QCOMPARE(menu->minimumWidth(), opener->width());
	QCOMPARE(menu->maximumWidth(), opener->width());
}

void MainDialogTest::dialogsOpenOnce_data()
{
	QTest::addColumn<QString>("action");
	QTest::addColumn<QString>("dialogClass");
	QTest::addColumn<bool>("deletedOnClose");

	QTest::newRow("assignment") << "Cameraassign"
				    << "DiscoveryDialog" << true;
	QTest::newRow("rename") << "PresetRename"
				<< "PresetRenameDialog" << true;
	QTest::newRow("about") << "AboutUs"
			       << "AboutDialog" << true;
}

void MainDialogTest::dialogsOpenOnce()
{
	QFETCH(QString, action);
	QFETCH(QString, dialogClass);
	QVERIFY(openDialogs(dialogClass).isEmpty());

	auto panel = std::make_unique<TestPanel>();
	panel->show();
	panel->action(action)->trigger();
	panel->action(action)->trigger();
	QList<QDialog *> dialogs = openDialogs(dialogClass);
	QCOMPARE(dialogs.size(), 1);
	QPointer<QDialog> dialog = dialogs.first();
	QVERIFY(dialog->isVisible());

	// Closed and gone, the next use makes a new one.
	dialog->close();
	QTRY_VERIFY(dialog.isNull());
	panel->action(action)->trigger();
	dialogs = openDialogs(dialogClass);
	QCOMPARE(dialogs.size(), 1);
	dialog = dialogs.first();

	// The panel takes its dialogs with it, also the assignment dialog that has no parent.
	panel.reset();
	QVERIFY(dialog.isNull());
}

void MainDialogTest::closeOnlyHides()
{
	auto camera = startCamera("QK-H57P", "127.0.6.42");
	QVERIFY(camera);
	QPointer<TestPanel> panel = new TestPanel;
	panel->show();
	WarningCloser warnings;
	connectSlot(*panel, 4, "127.0.6.42");
	panel->action("AdvanceMode")->trigger();

	panel->action("Close")->trigger();
	QVERIFY(!panel.isNull());
	QVERIFY(!panel->isVisible());
	panel->show();
	QCOMPARE(panel->size(), QSize(880, 692));
	QVERIFY(panel->button("Camera4Button")->isChecked());
	QVERIFY(panel->child<QGroupBox>("CameraControlBox")->isEnabled());
	delete panel.data();
}

PANEL_TEST_MAIN(MainDialogTest)
#include "tst_maindialog.moc"
