#include "PanTiltLimitSettingDialog.h"

#include <obs-module.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class PanTiltLimitDialogTest : public QObject {
	Q_OBJECT

private slots:
	void startsOffWithLocaleTexts();
	void switches_data();
	void switches();
	void entry_data();
	void entry();
	void setLimitsShowsTextsAsGiven();
	void speedCompDisabled();
};

void PanTiltLimitDialogTest::startsOffWithLocaleTexts()
{
	PanTiltLimitSettingDialog dialog;
	QCOMPARE(dialog.size(), QSize(425, 205));
	QCOMPARE(dialog.minimumSize(), QSize(425, 205));
	QCOMPARE(dialog.maximumSize(), QSize(425, 205));
	for (const char *edit : {"TiltUpLimitEdit", "TiltDownLimitEdit", "PanLeftLimitEdit", "PanRightLimitEdit"})
		QVERIFY2(!dialog.findChild<QLineEdit *>(edit)->isEnabled(), edit);
	for (const char *button : {"PanTiltLimitButton", "PTZSpeedCompButton"})
		QVERIFY2(!dialog.findChild<QPushButton *>(button)->isChecked(), button);

	QCOMPARE(dialog.windowTitle(), QString(obs_module_text("PanTiltLimitSetting")));
	const QList<QPair<const char *, const char *>> labels{
		{"PanTiltLimitLabel", "PanTiltLimit"},   {"TiltUpLimitLabel", "TiltUpLimit"},
		{"TiltDownLimitLabel", "TiltDownLimit"}, {"PanLeftLimitLabel", "PanLeftLimit"},
		{"PanRightLimitLabel", "PanRightLimit"}, {"PTZSpeedCompLabel", "PTZSpeedComp"},
	};
	for (const auto &label : labels)
		QCOMPARE(dialog.findChild<QLabel *>(label.first)->text(), QString(obs_module_text(label.second)));
}

void PanTiltLimitDialogTest::switches_data()
{
	QTest::addColumn<QString>("button");
	QTest::addColumn<int>("type");
	QTest::addColumn<bool>("controlsFields");

	QTest::newRow("limit") << "PanTiltLimitButton" << int(PanTiltLimit) << true;
	QTest::newRow("speed compensation") << "PTZSpeedCompButton" << int(PTZSpeedComp) << false;
}

void PanTiltLimitDialogTest::switches()
{
	QFETCH(QString, button);
	QFETCH(int, type);
	QFETCH(bool, controlsFields);

	PanTiltLimitSettingDialog dialog;
	auto *toggle = dialog.findChild<QPushButton *>(button);
	auto *edit = dialog.findChild<QLineEdit *>("PanRightLimitEdit");
	QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);

	QTest::mouseClick(toggle, Qt::LeftButton);
	QCOMPARE(spy.count(), 1);
	QCOMPARE(spy.at(0).at(0).toInt(), type);
	QCOMPARE(spy.at(0).at(1).toInt(), 1);
	QCOMPARE(edit->isEnabled(), controlsFields);

	QTest::mouseClick(toggle, Qt::LeftButton);
	QCOMPARE(spy.count(), 2);
	QCOMPARE(spy.at(1).at(0).toInt(), type);
	QCOMPARE(spy.at(1).at(1).toInt(), 0);
	QVERIFY(!edit->isEnabled());
}

void PanTiltLimitDialogTest::entry_data()
{
	QTest::addColumn<QString>("edit");
	QTest::addColumn<QString>("typed");
	QTest::addColumn<QString>("shown");
	QTest::addColumn<int>("type");
	QTest::addColumn<bool>("sends");

	QTest::newRow("tilt up 90") << "TiltUpLimitEdit"
				    << "90"
				    << "90" << int(TiltUpLimit) << true;
	QTest::newRow("tilt up 95 refused") << "TiltUpLimitEdit"
					    << "95"
					    << "9" << int(TiltUpLimit) << true;
	QTest::newRow("tilt up negative refused") << "TiltUpLimitEdit"
						  << "-5"
						  << "5" << int(TiltUpLimit) << true;
	QTest::newRow("tilt down -30") << "TiltDownLimitEdit"
				       << "-30"
				       << "-30" << int(TiltDownLimit) << true;
	QTest::newRow("tilt down -31 refused") << "TiltDownLimitEdit"
					       << "-31"
					       << "-3" << int(TiltDownLimit) << true;
	QTest::newRow("tilt down 0") << "TiltDownLimitEdit"
				     << "0"
				     << "0" << int(TiltDownLimit) << true;
	QTest::newRow("tilt down lone minus") << "TiltDownLimitEdit"
					      << "-"
					      << "-" << int(TiltDownLimit) << false;
	QTest::newRow("pan left -170") << "PanLeftLimitEdit"
				       << "-170"
				       << "-170" << int(PanLeftLimit) << true;
	QTest::newRow("pan left -171 refused") << "PanLeftLimitEdit"
					       << "-171"
					       << "-17" << int(PanLeftLimit) << true;
	QTest::newRow("pan right 170") << "PanRightLimitEdit"
				       << "170"
				       << "170" << int(PanRightLimit) << true;
	QTest::newRow("pan right 180 refused") << "PanRightLimitEdit"
					       << "180"
					       << "18" << int(PanRightLimit) << true;
	QTest::newRow("letters refused") << "PanRightLimitEdit"
					 << "ab"
					 << "" << int(PanRightLimit) << false;
	QTest::newRow("empty field") << "TiltUpLimitEdit"
				     << ""
				     << "" << int(TiltUpLimit) << false;
}

void PanTiltLimitDialogTest::entry()
{
	QFETCH(QString, edit);
	QFETCH(QString, typed);
	QFETCH(QString, shown);
	QFETCH(int, type);
	QFETCH(bool, sends);

	PanTiltLimitSettingDialog dialog;
	dialog.setLimits("", "", "", "");
	QTest::mouseClick(dialog.findChild<QPushButton *>("PanTiltLimitButton"), Qt::LeftButton);
	auto *field = dialog.findChild<QLineEdit *>(edit);
	QVERIFY(field->isEnabled());
	QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);

	QTest::keyClicks(field, typed);
	QCOMPARE(field->text(), shown);
	QCOMPARE(spy.count(), 0); // typing alone sends nothing
	QTest::keyClick(field, Qt::Key_Return);
	QCOMPARE(spy.count(), sends ? 1 : 0);
	if (sends) {
		QCOMPARE(spy.at(0).at(0).toInt(), type);
		QCOMPARE(spy.at(0).at(1).toInt(), shown.toInt());
	}
}

void PanTiltLimitDialogTest::setLimitsShowsTextsAsGiven()
{
	PanTiltLimitSettingDialog dialog;
	QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);
	dialog.setLimits("-120", "999", "60", "");
	QCOMPARE(dialog.findChild<QLineEdit *>("PanLeftLimitEdit")->text(), QString("-120"));
	QCOMPARE(dialog.findChild<QLineEdit *>("PanRightLimitEdit")->text(), QString("999"));
	QCOMPARE(dialog.findChild<QLineEdit *>("TiltUpLimitEdit")->text(), QString("60"));
	QCOMPARE(dialog.findChild<QLineEdit *>("TiltDownLimitEdit")->text(), QString(""));
	QCOMPARE(spy.count(), 0);
}

void PanTiltLimitDialogTest::speedCompDisabled()
{
	PanTiltLimitSettingDialog dialog;
	auto *button = dialog.findChild<QPushButton *>("PTZSpeedCompButton");
	QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);

	dialog.setSpeedCompEnabled(false);
	QTest::mouseClick(button, Qt::LeftButton);
	QVERIFY(!button->isChecked());
	QCOMPARE(spy.count(), 0);

	dialog.setSpeedCompEnabled(true);
	QTest::mouseClick(button, Qt::LeftButton);
	QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(PanTiltLimitDialogTest)
#include "PanTiltLimitDialogTest.moc"
