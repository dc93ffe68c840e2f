// The panel's controls driven through their widgets; what reaches the simulated camera (127.0.6.50 and up) is
// what is checked: pad, zoom and focus, speed fields, hotkeys, limits, presets and the picture controls.

#include "MainDialogTestSupport.h"

#include "ORPlusMinusButton.h"
#include "PanTiltLimitSettingDialog.h"
#include "PresetRenameDialog.h"
#include "models/H57p_ViscaOps.h"
#include "plugin/CameraHotKey.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include <functional>

namespace {

using StateTweak = std::function<void(CameraSimulator::State &)>;

// A connected panel on one simulated camera; warning boxes are closed and counted.
struct Rig {
	std::unique_ptr<CameraSimulator> camera;
	std::unique_ptr<TestPanel> panel;
	std::unique_ptr<WarningCloser> warnings;
	QString ip;
	QString model;

	QString prefix() const { return ip + model; }
	QStringList sent() const
	{
		QStringList out;
		for (const QByteArray &payload : camera->payloads())
			out << QString::fromLatin1(payload.toHex(' '));
		return out;
	}
	template <typename T>
	T *child(const char *name) const
	{
		return panel->child<T>(name);
	}
	QPushButton *button(const char *name) const { return panel->button(name); }
	QPushButton *stepperButton(const char *stepper, const char *part) const
	{
		return child<ORPlusMinusButton>(stepper)->findChild<QPushButton *>(part);
	}
	QString stepperText(const char *stepper) const
	{
		return child<ORPlusMinusButton>(stepper)->findChild<QLineEdit *>("InputEdit")->text();
	}
};

bool rigUp(Rig &rig, const char *model, const char *ip, const StateTweak &tweak = {})
{
	rig.ip = ip;
	rig.model = model;
	rig.camera = startCamera(model, ip);
	if (!rig.camera)
		return false;
	if (tweak) {
		CameraSimulator::State state = rig.camera->state();
		tweak(state);
		rig.camera->setState(state);
	}
	rig.panel = std::make_unique<TestPanel>();
	rig.panel->show();
	rig.warnings = std::make_unique<WarningCloser>();
	connectSlot(*rig.panel, 1, ip);
	if (!rig.button("Camera1Button")->isChecked())
		return false;
	rig.camera->clear();
	return true;
}

void manualFocus(CameraSimulator::State &state)
{
	state.autoFocus = false;
}

// The shutter list of a camera that offers 1/25 and 1/50 instead of 1/30 and 1/60, and no 1/120.
class PalShutterOps : public ViscaParamOps {
public:
	PalShutterOps() : ViscaParamOps("PAL-TEST") { PalShutterOps::initParams(); }
	void initParams() override
	{
		loadCommonTables();
		loadAsWritten(m_shutterSpeeds, {{"1/250", 0x0A},
						{"1/180", 0x0B},
						{"1/100", 0x0D},
						{"1/50", 0x0F},
						{"1/25", 0x10},
						{"1/12", 0x11}});
	}
};

} // namespace

class MainDialogControlsTest : public QObject {
	Q_OBJECT

private slots:
	void init();

	void padButtons_data();
	void padButtons();
	void driveStopReadsBack_data();
	void driveStopReadsBack();
	void zoomSliderDrag();
	void speedFields_data();
	void speedFields();
	void hotKeys_data();
	void hotKeys();
	void limitHandler_data();
	void limitHandler();
	void limitDialogOpenedRepeatedly();
	void speedCompensationSwitch_data();
	void speedCompensationSwitch();

	void presetCallAndStore_data();
	void presetCallAndStore();
	void presetRename_data();
	void presetRename();
	void presetSpeedAtConnect_data();
	void presetSpeedAtConnect();

	void exposureMode_data();
	void exposureMode();
	void whiteBalanceMode_data();
	void whiteBalanceMode();
	void quickExposure_data();
	void quickExposure();
	void reportedModeNotInList_data();
	void reportedModeNotInList();
	void digEffectSendsOnlyMirrorFlip();
};

void MainDialogControlsTest::init()
{
	writeSettings(QJsonObject());
}

// ---- Motion ----------------------------------------------------------------------------------------------------

void MainDialogControlsTest::padButtons_data()
{
	QTest::addColumn<QString>("button");
	QTest::addColumn<QStringList>("expected"); // after press and release, at the default speeds 0B 0B

	const QString stop = "81 01 06 01 0b 0b 03 03 ff";
	QTest::newRow("up") << "UpButton" << QStringList{"81 01 06 01 0b 0b 03 01 ff", stop};
	QTest::newRow("down") << "DownButton" << QStringList{"81 01 06 01 0b 0b 03 02 ff", stop};
	QTest::newRow("left") << "LefButton" << QStringList{"81 01 06 01 0b 0b 01 03 ff", stop};
	QTest::newRow("right") << "RightButton" << QStringList{"81 01 06 01 0b 0b 02 03 ff", stop};
	QTest::newRow("upper left") << "UpperLeftButton" << QStringList{"81 01 06 01 0b 0b 01 01 ff", stop};
	QTest::newRow("upper right") << "UpperRightButton" << QStringList{"81 01 06 01 0b 0b 02 01 ff", stop};
	QTest::newRow("lower left") << "LowerLeftButton" << QStringList{"81 01 06 01 0b 0b 01 02 ff", stop};
	QTest::newRow("lower right") << "LowerRightButton" << QStringList{"81 01 06 01 0b 0b 02 02 ff", stop};
	QTest::newRow("home: nothing on release") << "HomeButton" << QStringList{"81 01 06 04 ff"};
}

void MainDialogControlsTest::padButtons()
{
	QFETCH(QString, button);
	QFETCH(QStringList, expected);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.50"));

	QPushButton *pad = rig.button(button.toUtf8().constData());
	QTest::mousePress(pad, Qt::LeftButton);
	QCOMPARE(rig.sent(), expected.mid(0, 1));
	QTest::mouseRelease(pad, Qt::LeftButton);
	QCOMPARE(rig.sent(), expected);
}

void MainDialogControlsTest::driveStopReadsBack_data()
{
	QTest::addColumn<QString>("widget");
	QTest::addColumn<QString>("button");
	QTest::addColumn<QString>("slider");
	QTest::addColumn<QStringList>("expected");

	QTest::newRow("zoom minus") << "ZoomWidget"
				    << "ZoomMinusButton"
				    << "ZoomSlider"
				    << QStringList{"81 01 04 07 32 ff", "81 01 04 07 00 ff", "81 01 00 01 ff",
						   "81 09 04 47 ff"};
	QTest::newRow("zoom plus") << "ZoomWidget"
				   << "ZoomPlusButton"
				   << "ZoomSlider"
				   << QStringList{"81 01 04 07 22 ff", "81 01 04 07 00 ff", "81 01 00 01 ff",
						  "81 09 04 47 ff"};
	QTest::newRow("focus minus") << "FocusWidget"
				     << "FocusMinusButton"
				     << "FocusSlider"
				     << QStringList{"81 01 04 08 23 ff", "81 01 04 08 00 ff", "81 09 04 48 ff"};
	QTest::newRow("focus plus") << "FocusWidget"
				    << "FocusPlusButton"
				    << "FocusSlider"
				    << QStringList{"81 01 04 08 33 ff", "81 01 04 08 00 ff", "81 09 04 48 ff"};
}

void MainDialogControlsTest::driveStopReadsBack()
{
	QFETCH(QString, widget);
	QFETCH(QString, button);
	QFETCH(QString, slider);
	QFETCH(QStringList, expected);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.51", manualFocus));

	QWidget *holder = rig.child<QWidget>(widget.toUtf8().constData());
	QPushButton *drive = holder->findChild<QPushButton *>(button);
	QVERIFY(drive && drive->isEnabled());
	QTest::mousePress(drive, Qt::LeftButton);
	// Where the camera ends up is what the slider must show afterwards.
	CameraSimulator::State state = rig.camera->state();
	state.zoomPosition = 0x1234;
	state.focusPosition = 0x0456;
	rig.camera->setState(state);
	QTest::mouseRelease(drive, Qt::LeftButton);

	QCOMPARE(rig.sent(), expected); // no direct-position command goes back
	QCOMPARE(holder->findChild<QSlider *>(slider)->value(), widget == "ZoomWidget" ? 0x1234 : 0x0456);
}

void MainDialogControlsTest::zoomSliderDrag()
{
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.52"));
	QSlider *slider = rig.child<QWidget>("ZoomWidget")->findChild<QSlider *>("ZoomSlider");
	const int start = slider->value();
	QCOMPARE(start, 0);

	slider->setSliderDown(true);
	for (int position : {start + 100, start + 200, start + 200, start + 0x1000})
		slider->setSliderPosition(position);
	slider->setSliderDown(false);

	// One direct-position command per change of value (the repeated position is no change), zoom speed 2.
	QCOMPARE(rig.sent(),
		 QStringList({QString("81 01 04 47 00 00 06 04 02 ff"), QString("81 01 04 47 00 00 0c 08 02 ff"),
			      QString("81 01 04 47 01 00 00 00 02 ff")}));
}

void MainDialogControlsTest::speedFields_data()
{
	QTest::addColumn<QString>("edit");
	QTest::addColumn<QString>("typed");
	QTest::addColumn<QString>("shown"); // the clamped value, also what is stored
	QTest::addColumn<QString>("key");
	QTest::addColumn<QString>("drive");
	QTest::addColumn<QString>("driveBytes"); // the next drive carries the new speed

	// QK-H57P: pan and tilt 1..24, zoom 0..7, focus 0..7.
	QTest::newRow("pan 0 -> min") << "PanSpeedEdit"
				      << "0"
				      << "1"
				      << "PanSpeed"
				      << "UpButton"
				      << "81 01 06 01 01 0b 03 01 ff";
	QTest::newRow("pan 99 -> max") << "PanSpeedEdit"
				       << "99"
				       << "24"
				       << "PanSpeed"
				       << "UpButton"
				       << "81 01 06 01 18 0b 03 01 ff";
	QTest::newRow("pan empty -> min") << "PanSpeedEdit"
					  << ""
					  << "1"
					  << "PanSpeed"
					  << "UpButton"
					  << "81 01 06 01 01 0b 03 01 ff";
	QTest::newRow("tilt 5") << "TiltSpeedEdit"
				<< "5"
				<< "5"
				<< "TiltSpeed"
				<< "DownButton"
				<< "81 01 06 01 0b 05 03 02 ff";
	QTest::newRow("zoom 99 -> max") << "ZoomSpeedEdit"
					<< "99"
					<< "7"
					<< "ZoomSpeed"
					<< "ZoomPlusButton"
					<< "81 01 04 07 27 ff";
	QTest::newRow("focus empty -> min") << "FocusSpeedEdit"
					    << ""
					    << "0"
					    << "FocusSpeed"
					    << "FocusPlusButton"
					    << "81 01 04 08 30 ff";
	QTest::newRow("focus 007") << "FocusSpeedEdit"
				   << "007"
				   << "7"
				   << "FocusSpeed"
				   << "FocusMinusButton"
				   << "81 01 04 08 27 ff";
}

void MainDialogControlsTest::speedFields()
{
	QFETCH(QString, edit);
	QFETCH(QString, typed);
	QFETCH(QString, shown);
	QFETCH(QString, key);
	QFETCH(QString, drive);
	QFETCH(QString, driveBytes);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.53", manualFocus));
	writeSettings(QJsonObject{{"Camera1IP", rig.ip}, {"unrelated", "kept"}});

	QLineEdit *field = rig.child<QLineEdit>(edit.toUtf8().constData());
	field->clear();
	QTest::keyClicks(field, typed);
	QTest::keyClick(field, Qt::Key_Return);

	QCOMPARE(field->text(), shown);
	QVERIFY(rig.sent().isEmpty()); // a speed goes out with the next drive only
	const QJsonObject settings = readSettings();
	QCOMPARE(settings.value(rig.prefix() + key).toString(), shown);
	QCOMPARE(settings.value("unrelated").toString(), QString("kept"));

	QPushButton *driveButton = rig.panel->findChild<QPushButton *>(drive);
	QTest::mousePress(driveButton, Qt::LeftButton);
	QCOMPARE(rig.sent().value(0), driveBytes);
	QTest::mouseRelease(driveButton, Qt::LeftButton);
}

void MainDialogControlsTest::hotKeys_data()
{
	QTest::addColumn<bool>("switchedOn");
	QTest::addColumn<bool>("connected");
	QTest::addColumn<int>("key");
	QTest::addColumn<bool>("pressed");
	QTest::addColumn<QStringList>("expected");

	QTest::newRow("9 pressed calls preset 4") << true << true << 9 << true << QStringList{"81 01 04 3f 02 04 ff"};
	QTest::newRow("9 released") << true << true << 9 << false << QStringList();
	QTest::newRow("14 pressed calls preset 9") << true << true << 14 << true << QStringList{"81 01 04 3f 02 09 ff"};
	QTest::newRow("4 pressed zooms in") << true << true << 4 << true << QStringList{"81 01 04 07 22 ff"};
	QTest::newRow("4 released stops the zoom") << true << true << 4 << false << QStringList{"81 01 04 07 00 ff"};
	QTest::newRow("5 pressed zooms out") << true << true << 5 << true << QStringList{"81 01 04 07 32 ff"};
	QTest::newRow("0 pressed tilts up") << true << true << 0 << true << QStringList{"81 01 06 01 0b 0b 03 01 ff"};
	QTest::newRow("3 released stops") << true << true << 3 << false << QStringList{"81 01 06 01 0b 0b 03 03 ff"};
	QTest::newRow("15 is no hotkey") << true << true << 15 << true << QStringList();
	QTest::newRow("-1 is no hotkey") << true << true << -1 << true << QStringList();
	QTest::newRow("switched off") << false << true << 0 << true << QStringList();
	QTest::newRow("disconnected") << true << false << 9 << true << QStringList();
}

void MainDialogControlsTest::hotKeys()
{
	QFETCH(bool, switchedOn);
	QFETCH(bool, connected);
	QFETCH(int, key);
	QFETCH(bool, pressed);
	QFETCH(QStringList, expected);
	Rig rig;
	writeSettings(QJsonObject{{"hotKey", switchedOn}});
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.54"));
	if (!connected) {
		QTest::mouseClick(rig.button("Camera1Button"), Qt::LeftButton);
		rig.camera->clear();
	}

	CameraHotKey *hotKeys = rig.panel->findChild<CameraHotKey *>();
	QVERIFY(hotKeys);
	emit hotKeys->hotKeysentTo(key, pressed);
	QCOMPARE(rig.sent(), expected);
}

void MainDialogControlsTest::limitHandler_data()
{
	QTest::addColumn<int>("type");
	QTest::addColumn<int>("value");
	QTest::addColumn<QStringList>("expected"); // beginnings of the datagrams, in order
	QTest::addColumn<QString>("key");          // stored limit; empty: nothing stored

	const QString clear = " 07 0f 0f 0f 07 0f 0f 0f ff";
	QTest::newRow("limits on: nothing") << 5 << 1 << QStringList() << QString();
	QTest::newRow("limits off: both clears")
		<< 5 << 0 << QStringList{"81 01 06 07 01 01" + clear, "81 01 06 07 01 00" + clear} << QString();
	QTest::newRow("speed compensation on") << 4 << 1 << QStringList{"81 01 06 1f 01 01 ff"} << QString();
	QTest::newRow("speed compensation off") << 4 << 0 << QStringList{"81 01 06 1f 01 00 ff"} << QString();
	QTest::newRow("tilt up 90") << 0 << 90 << QStringList{"81 01 06 07 00 01"} << "TiltUpLimit";
	QTest::newRow("pan left -170") << 1 << -170 << QStringList{"81 01 06 07 00 00"} << "PanLeftLimit";
	QTest::newRow("tilt down -30") << 2 << -30 << QStringList{"81 01 06 07 00 00"} << "TiltDownLimit";
	QTest::newRow("pan right 0") << 3 << 0 << QStringList{"81 01 06 07 00 01"} << "PanRightLimit";
	QTest::newRow("unknown type") << 9 << 1 << QStringList() << QString();
}

void MainDialogControlsTest::limitHandler()
{
	QFETCH(int, type);
	QFETCH(int, value);
	QFETCH(QStringList, expected);
	QFETCH(QString, key);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.55"));
	rig.panel->action("PanTiltLimit")->trigger();
	auto *dialog = rig.panel->findChild<PanTiltLimitSettingDialog *>();
	QVERIFY(dialog && dialog->isVisible());

	emit dialog->triggered(CommandType(type), value);

	const QStringList sent = rig.sent();
	QCOMPARE(sent.size(), expected.size());
	for (int i = 0; i < sent.size(); ++i)
		QVERIFY2(sent[i].startsWith(expected[i]), qPrintable(sent[i]));
	const QJsonObject settings = readSettings();
	for (const char *name : {"TiltUpLimit", "PanLeftLimit", "TiltDownLimit", "PanRightLimit"}) {
		if (key == name)
			QCOMPARE(settings.value(rig.prefix() + name).toString(), QString::number(value));
		else
			QVERIFY(!settings.contains(rig.prefix() + name));
	}
}

void MainDialogControlsTest::limitDialogOpenedRepeatedly()
{
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.56"));
	for (int i = 0; i < 3; ++i)
		rig.panel->action("PanTiltLimit")->trigger();
	QCOMPARE(rig.panel->findChildren<PanTiltLimitSettingDialog *>().size(), 1);
	auto *dialog = rig.panel->findChild<PanTiltLimitSettingDialog *>();

	// Turn the limits on (sends nothing), then confirm one angle.
	QTest::mouseClick(dialog->findChild<QPushButton *>("PanTiltLimitButton"), Qt::LeftButton);
	QLineEdit *tiltDown = dialog->findChild<QLineEdit *>("TiltDownLimitEdit");
	QTest::keyClicks(tiltDown, "-30");
	QTest::keyClick(tiltDown, Qt::Key_Return);

	QCOMPARE(rig.sent().size(), 1);
	QVERIFY(rig.sent().first().startsWith("81 01 06 07 00 00"));
	QCOMPARE(readSettings().value(rig.prefix() + "TiltDownLimit").toString(), QString("-30"));

	// Reopening refills the fields from the file.
	dialog->close();
	tiltDown->clear();
	rig.panel->action("PanTiltLimit")->trigger();
	QCOMPARE(tiltDown->text(), QString("-30"));
	QCOMPARE(dialog->findChild<QLineEdit *>("TiltUpLimitEdit")->text(), QString());
}

void MainDialogControlsTest::speedCompensationSwitch_data()
{
	QTest::addColumn<QString>("model");
	QTest::addColumn<QString>("ip");
	QTest::addColumn<bool>("enabled");

	QTest::newRow("QK-H32P") << "QK-H32P"
				 << "127.0.6.57" << false;
	QTest::newRow("QK-H57P") << "QK-H57P"
				 << "127.0.6.58" << true;
	QTest::newRow("QK-WD909P") << "QK-WD909P"
				   << "127.0.6.59" << true;
}

void MainDialogControlsTest::speedCompensationSwitch()
{
	QFETCH(QString, model);
	QFETCH(QString, ip);
	QFETCH(bool, enabled);
	Rig rig;
	QVERIFY(rigUp(rig, model.toUtf8().constData(), ip.toUtf8().constData()));
	rig.panel->action("PanTiltLimit")->trigger();
	auto *dialog = rig.panel->findChild<PanTiltLimitSettingDialog *>();
	QCOMPARE(dialog->findChild<QPushButton *>("PTZSpeedCompButton")->isEnabled(), enabled);
}

// ---- Presets ---------------------------------------------------------------------------------------------------

void MainDialogControlsTest::presetCallAndStore_data()
{
	QTest::addColumn<QStringList>("clicks");
	QTest::addColumn<QString>("action");
	QTest::addColumn<QStringList>("expected");

	QTest::newRow("10+ and 5, CALL: 15")
		<< QStringList{"TenButton", "Preset5Button"} << "CallButton" << QStringList{"81 01 04 3f 02 0f ff"};
	QTest::newRow("10+ alone, STORE: 10")
		<< QStringList{"TenButton"} << "StoreButton" << QStringList{"81 01 04 3f 01 0a ff"};
	QTest::newRow("3, STORE") << QStringList{"Preset3Button"} << "StoreButton"
				  << QStringList{"81 01 04 3f 01 03 ff"};
	QTest::newRow("7 then 2, CALL: 2")
		<< QStringList{"Preset7Button", "Preset2Button"} << "CallButton" << QStringList{"81 01 04 3f 02 02 ff"};
	QTest::newRow("9 clicked twice, CALL: nothing")
		<< QStringList{"Preset9Button", "Preset9Button"} << "CallButton" << QStringList();
	QTest::newRow("nothing, CALL") << QStringList() << "CallButton" << QStringList();
	QTest::newRow("10+ twice and 1, STORE: 1") << QStringList{"TenButton", "TenButton", "Preset1Button"}
						   << "StoreButton" << QStringList{"81 01 04 3f 01 01 ff"};
}

void MainDialogControlsTest::presetCallAndStore()
{
	QFETCH(QStringList, clicks);
	QFETCH(QString, action);
	QFETCH(QStringList, expected);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.60"));

	for (const QString &name : clicks)
		QTest::mouseClick(rig.button(name.toUtf8().constData()), Qt::LeftButton);
	QVERIFY(rig.sent().isEmpty());
	QTest::mouseClick(rig.button(action.toUtf8().constData()), Qt::LeftButton);

	QCOMPARE(rig.sent(), expected);
	QVERIFY(!rig.button("TenButton")->isChecked());
	for (int k = 1; k <= 9; ++k)
		QVERIFY(!rig.button(QString("Preset%1Button").arg(k).toUtf8().constData())->isChecked());
}

void MainDialogControlsTest::presetRename_data()
{
	QTest::addColumn<QString>("name");
	QTest::newRow("new name") << "Pulpit";
	QTest::newRow("empty name") << "";
}

void MainDialogControlsTest::presetRename()
{
	QFETCH(QString, name);
	writeSettings(QJsonObject{{"1", "Wide"}, {"hotKey", false}});
	TestPanel panel;
	QCOMPARE(panel.button("Preset1Button")->text(), QString("Wide"));

	panel.action("PresetRename")->trigger();
	QPointer<PresetRenameDialog> dialog = panel.findChild<PresetRenameDialog *>();
	QVERIFY(dialog && dialog->isVisible());
	QCOMPARE(dialog->findChild<QLineEdit *>("Preset1Edit")->text(), QString("Wide"));
	dialog->findChild<QLineEdit *>("Preset3Edit")->setText(name);
	QTest::mouseClick(dialog->findChild<QPushButton *>("ApplyButton"), Qt::LeftButton);

	const QJsonObject settings = readSettings();
	for (int k = 1; k <= 9; ++k) {
		const QString key = QString::number(k);
		const QString expected = k == 1 ? QString("Wide") : k == 3 ? name : key;
		QVERIFY2(settings.value(key).isString(), qPrintable(key));
		QCOMPARE(settings.value(key).toString(), expected);
		QCOMPARE(panel.button(QString("Preset%1Button").arg(k).toUtf8().constData())->text(), expected);
	}
	QVERIFY(settings.contains("hotKey"));
	QTRY_VERIFY(dialog.isNull()); // closed and deleted
}

void MainDialogControlsTest::presetSpeedAtConnect_data()
{
	QTest::addColumn<int>("storedIndex"); // item of the box in code order; -1: a text that is no item
	QTest::addColumn<bool>("sent");

	QTest::newRow("first item: nothing sent") << 0 << false;
	QTest::newRow("another item: sent and kept") << 3 << true;
	QTest::newRow("unknown text: nothing") << -1 << false;
}

void MainDialogControlsTest::presetSpeedAtConnect()
{
	QFETCH(int, storedIndex);
	QFETCH(bool, sent);
	H57p_ViscaOps ops("QK-H57P");
	const QList<std::string> labels = Utils::sortedKeysByValue(QMap<std::string, int>(ops.presetSpeeds()));
	const QString stored = storedIndex < 0 ? QString("999 DegSec") : QString::fromStdString(labels.at(storedIndex));
	const QString ip = "127.0.6.61";
	writeSettings(QJsonObject{{ip + "QK-H57PPresetSpeed", stored}});

	auto camera = startCamera("QK-H57P", ip.toStdString());
	QVERIFY(camera);
	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	connectSlot(panel, 1, ip);
	QVERIFY(panel.button("Camera1Button")->isChecked());

	const QByteArray speedCommand = QByteArray::fromHex("81 01 06 20");
	int speedCommands = 0;
	for (const QByteArray &payload : camera->payloads()) {
		if (payload.startsWith(speedCommand)) {
			++speedCommands;
			QCOMPARE(int(payload.at(4)), storedIndex);
		}
	}
	QCOMPARE(speedCommands, sent ? 1 : 0);
	auto *box = panel.findChild<QComboBox *>("PresetSpeedBox");
	QCOMPARE(box->currentText(), QString::fromStdString(labels.at(storedIndex < 0 ? 0 : storedIndex)));
	QCOMPARE(readSettings().value(ip + "QK-H57PPresetSpeed").toString(), stored);
}

// ---- Picture controls ------------------------------------------------------------------------------------------

void MainDialogControlsTest::exposureMode_data()
{
	QTest::addColumn<int>("startMode");
	QTest::addColumn<QString>("chosen");
	QTest::addColumn<QString>("modeBytes");
	QTest::addColumn<bool>("stepsEnabled");

	QTest::newRow("Manual") << 0 << "Manual"
				<< "81 01 04 39 03 ff" << true;
	QTest::newRow("Auto") << 3 << "Auto"
			      << "81 01 04 39 00 ff" << false;
}

void MainDialogControlsTest::exposureMode()
{
	QFETCH(int, startMode);
	QFETCH(QString, chosen);
	QFETCH(QString, modeBytes);
	QFETCH(bool, stepsEnabled);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.62", [startMode](CameraSimulator::State &state) {
		state.exposureMode = startMode;
		state.shutter = 15; // 1/60
		state.iris = 10;    // F3.2
		state.gain = 8;     // 24dB
	}));
	QCOMPARE(rig.child<QWidget>("ShutterSpeedButton")->isEnabled(), !stepsEnabled);

	auto *box = rig.child<QComboBox>("ExposureModeBox");
	box->setCurrentIndex(box->findText(chosen));

	// The mode goes out; the values are read back, not sent.
	QCOMPARE(rig.sent(), QStringList({modeBytes, QString("81 09 04 4a ff"), QString("81 09 04 4b ff"),
					  QString("81 09 04 4c ff")}));
	for (const char *stepper : {"ShutterSpeedButton", "IrisButton", "GainButton"})
		QCOMPARE(rig.child<QWidget>(stepper)->isEnabled(), stepsEnabled);
	QCOMPARE(rig.stepperText("ShutterSpeedButton"), QString("1/60"));
	QCOMPARE(rig.stepperText("IrisButton"), QString("F3.2"));
	QCOMPARE(rig.stepperText("GainButton"), QString("24dB"));
}

void MainDialogControlsTest::whiteBalanceMode_data()
{
	QTest::addColumn<int>("startMode");
	QTest::addColumn<QString>("chosen");
	QTest::addColumn<QStringList>("expected");
	QTest::addColumn<bool>("gainSteps");
	QTest::addColumn<bool>("onePush");

	QTest::newRow("OnePush") << 0 << "OnePush" << QStringList{"81 01 04 35 03 ff"} << false << true;
	QTest::newRow("Manual reads the gains back")
		<< 0 << "Manual" << QStringList{"81 01 04 35 05 ff", "81 09 04 43 ff", "81 09 04 44 ff"} << true
		<< false;
	QTest::newRow("Auto") << 5 << "Auto" << QStringList{"81 01 04 35 00 ff"} << false << false;
}

void MainDialogControlsTest::whiteBalanceMode()
{
	QFETCH(int, startMode);
	QFETCH(QString, chosen);
	QFETCH(QStringList, expected);
	QFETCH(bool, gainSteps);
	QFETCH(bool, onePush);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.63", [startMode](CameraSimulator::State &state) {
		state.whiteBalanceMode = startMode;
		state.redGain = 0x40;
		state.blueGain = 0x22;
	}));
	auto *box = rig.child<QComboBox>("AWBModeBox");
	box->setCurrentIndex(box->findText(chosen));

	QCOMPARE(rig.sent(), expected);
	for (const char *stepper : {"RGainButton", "BGainButton"}) {
		QCOMPARE(rig.stepperButton(stepper, "PlusButton")->isEnabled(), gainSteps);
		QCOMPARE(rig.stepperButton(stepper, "MinusButton")->isEnabled(), gainSteps);
	}
	QCOMPARE(rig.button("OnePushButton")->isEnabled(), onePush);
	if (onePush) {
		rig.camera->clear();
		QTest::mouseClick(rig.button("OnePushButton"), Qt::LeftButton);
		QCOMPARE(rig.sent(), QStringList{"81 01 04 10 05 ff"});
	}
	if (chosen == "Manual") {
		QCOMPARE(rig.stepperText("RGainButton"), QString("64"));
		QCOMPARE(rig.stepperText("BGainButton"), QString("34"));
	}
}

void MainDialogControlsTest::quickExposure_data()
{
	QTest::addColumn<bool>("palShutters");
	QTest::addColumn<QString>("button");
	QTest::addColumn<QStringList>("expected"); // after the exposure mode change and its read-back
	QTest::addColumn<QString>("shutterShown");

	// QK-H57P codes: 1/30 16, 1/60 15, 1/120 12; F2 13, F4.5 8, F3.2 10; 33dB 11, 21dB 7, 24dB 8, 27dB 9.
	QTest::newRow("low light") << false << "LowLightButton"
				   << QStringList{"81 01 04 4a 00 00 01 00 ff", "81 01 04 4b 00 00 00 0d ff",
						  "81 01 04 4c 00 00 00 0b ff"}
				   << "1/30";
	QTest::newRow("low light without 1/30: 1/25")
		<< true << "LowLightButton"
		<< QStringList{"81 01 04 4a 00 00 01 00 ff", "81 01 04 4b 00 00 00 0d ff", "81 01 04 4c 00 00 00 0b ff"}
		<< "1/25";
	QTest::newRow("indoor without 1/60: 1/50")
		<< true << "IndoorButton"
		<< QStringList{"81 01 04 4a 00 00 00 0f ff", "81 01 04 4b 00 00 00 0a ff", "81 01 04 4c 00 00 00 08 ff"}
		<< "1/50";
	QTest::newRow("back light without 1/120: no shutter")
		<< true << "BackLightButton" << QStringList{"81 01 04 4b 00 00 00 08 ff", "81 01 04 4c 00 00 00 07 ff"}
		<< "1/180";
	QTest::newRow("motion") << false << "MotionButton"
				<< QStringList{"81 01 04 4a 00 00 00 0b ff", "81 01 04 4b 00 00 00 0a ff",
					       "81 01 04 4c 00 00 00 09 ff"}
				<< "1/180";
}

void MainDialogControlsTest::quickExposure()
{
	QFETCH(bool, palShutters);
	QFETCH(QString, button);
	QFETCH(QStringList, expected);
	QFETCH(QString, shutterShown);
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.64", [](CameraSimulator::State &state) {
		state.exposureMode = 0;
		state.shutter = 11; // 1/180 in both lists
	}));
	if (palShutters) {
		PalShutterOps pal;
		rig.child<ORPlusMinusButton>("ShutterSpeedButton")
			->setElements(QMap<std::string, int>(pal.shutterSpeeds()));
	}

	QTest::mousePress(rig.button(button.toUtf8().constData()), Qt::LeftButton);
	QTest::mouseRelease(rig.button(button.toUtf8().constData()), Qt::LeftButton);

	QCOMPARE(rig.child<QComboBox>("ExposureModeBox")->currentText(), QString("Manual"));
	const QStringList modeChange = {"81 01 04 39 03 ff", "81 09 04 4a ff", "81 09 04 4b ff", "81 09 04 4c ff"};
	QCOMPARE(rig.sent(), modeChange + expected);
	QCOMPARE(rig.stepperText("ShutterSpeedButton"), shutterShown);
	QVERIFY(rig.child<QWidget>("GainButton")->isEnabled());
}

void MainDialogControlsTest::reportedModeNotInList_data()
{
	QTest::addColumn<int>("previousMode"); // exposure mode of a camera connected before; -1: none
	QTest::addColumn<bool>("stepsEnabled");

	QTest::newRow("fresh panel") << -1 << true;
	QTest::newRow("after a manual camera") << 3 << true;
	QTest::newRow("after an automatic camera") << 0 << false;
}

void MainDialogControlsTest::reportedModeNotInList()
{
	QFETCH(int, previousMode);
	QFETCH(bool, stepsEnabled);
	auto camera = startCamera("QK-H57P", "127.0.6.65");
	auto previous = startCamera("QK-H57P", "127.0.6.66");
	QVERIFY(camera && previous);
	CameraSimulator::State state = camera->state();
	state.exposureMode = 0x0D; // in no list
	camera->setState(state);
	state = previous->state();
	state.exposureMode = previousMode;
	previous->setState(state);

	TestPanel panel;
	panel.show();
	WarningCloser warnings;
	if (previousMode >= 0) {
		connectSlot(panel, 2, "127.0.6.66");
		QVERIFY(panel.button("Camera2Button")->isChecked());
	}
	connectSlot(panel, 1, "127.0.6.65");
	QVERIFY(panel.button("Camera1Button")->isChecked());

	auto *box = panel.findChild<QComboBox *>("ExposureModeBox");
	QCOMPARE(box->currentIndex(), 0);
	QCOMPARE(box->currentText(), QString("Auto"));
	QCOMPARE(panel.findChild<QWidget *>("ShutterSpeedButton")->isEnabled(), stepsEnabled);
	QCOMPARE(panel.findChild<QWidget *>("IrisButton")->isEnabled(), stepsEnabled);
}

void MainDialogControlsTest::digEffectSendsOnlyMirrorFlip()
{
	Rig rig;
	QVERIFY(rigUp(rig, "QK-H57P", "127.0.6.67"));
	auto *box = rig.child<QComboBox>("DigEffectBox");
	box->setCurrentIndex(box->findText("MIRROR"));
	QCOMPARE(rig.sent(), QStringList({QString("81 01 04 66 03 ff"), QString("81 01 04 61 02 ff")}));
}

PANEL_TEST_MAIN(MainDialogControlsTest)
#include "tst_maindialog_controls.moc"
