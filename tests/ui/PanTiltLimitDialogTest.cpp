#include "PanTiltLimitSettingDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <tuple>

namespace {

// In the order setLimits takes them.
const QStringList edits{"PanLeftLimitEdit", "PanRightLimitEdit", "TiltUpLimitEdit", "TiltDownLimitEdit"};

int enabledEdits(PanTiltLimitSettingDialog &dialog)
{
	int enabled = 0;
	for (const QString &edit : edits)
		enabled += dialog.findChild<QLineEdit *>(edit)->isEnabled();
	return enabled;
}

// Every triggered signal as "type=value".
QString sent(const QSignalSpy &spy)
{
	QStringList calls;
	for (const QList<QVariant> &call : spy)
		calls << QString("%1=%2").arg(call.at(0).toInt()).arg(call.at(1).toInt());
	return calls.join(' ');
}

struct Entry {
	QString edit, typed, shown;
	CommandType type;
	bool sends;
};

} // namespace

Q_DECLARE_METATYPE(Entry)

class PanTiltLimitDialogTest : public QObject {
	Q_OBJECT

private slots:
	// Each switch sends on and off; only the limit switch opens the four fields.
	void switches()
	{
		for (const auto &[button, type, fields] : {std::tuple{"PanTiltLimitButton", PanTiltLimit, 4},
							   std::tuple{"PTZSpeedCompButton", PTZSpeedComp, 0}}) {
			PanTiltLimitSettingDialog dialog;
			auto *toggle = dialog.findChild<QPushButton *>(button);
			QVERIFY(!toggle->isChecked());
			QCOMPARE(enabledEdits(dialog), 0);
			QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);
			QTest::mouseClick(toggle, Qt::LeftButton);
			QCOMPARE(enabledEdits(dialog), fields);
			QTest::mouseClick(toggle, Qt::LeftButton);
			QCOMPARE(enabledEdits(dialog), 0);
			QCOMPARE(sent(spy), QString("%1=1 %1=0").arg(int(type)));
		}
	}

	// The validators refuse the keystroke that would leave the range; Return sends what the field shows.
	void entry_data()
	{
		QTest::addColumn<Entry>("row");
		QTest::newRow("tilt up 90") << Entry{"TiltUpLimitEdit", "90", "90", TiltUpLimit, true};
		QTest::newRow("tilt up 95 refused") << Entry{"TiltUpLimitEdit", "95", "9", TiltUpLimit, true};
		QTest::newRow("tilt down -30") << Entry{"TiltDownLimitEdit", "-30", "-30", TiltDownLimit, true};
		QTest::newRow("tilt down -31 refused") << Entry{"TiltDownLimitEdit", "-31", "-3", TiltDownLimit, true};
		QTest::newRow("tilt down lone minus") << Entry{"TiltDownLimitEdit", "-", "-", TiltDownLimit, false};
		QTest::newRow("pan left -170") << Entry{"PanLeftLimitEdit", "-170", "-170", PanLeftLimit, true};
		QTest::newRow("pan left -171 refused") << Entry{"PanLeftLimitEdit", "-171", "-17", PanLeftLimit, true};
		QTest::newRow("pan right 170") << Entry{"PanRightLimitEdit", "170", "170", PanRightLimit, true};
		QTest::newRow("letters refused") << Entry{"PanRightLimitEdit", "ab", "", PanRightLimit, false};
		QTest::newRow("empty field") << Entry{"TiltUpLimitEdit", "", "", TiltUpLimit, false};
	}
	void entry()
	{
		QFETCH(Entry, row);

		PanTiltLimitSettingDialog dialog;
		dialog.setLimits("", "", "", "");
		QTest::mouseClick(dialog.findChild<QPushButton *>("PanTiltLimitButton"), Qt::LeftButton);
		auto *field = dialog.findChild<QLineEdit *>(row.edit);
		QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);

		QTest::keyClicks(field, row.typed);
		QCOMPARE(field->text(), row.shown);
		QCOMPARE(sent(spy), QString()); // typing alone sends nothing
		QTest::keyClick(field, Qt::Key_Return);
		QCOMPARE(sent(spy), row.sends ? QString("%1=%2").arg(row.type).arg(row.shown) : QString());
	}

	void setLimitsShowsTextsAsGivenAndSpeedCompCanBeOff()
	{
		PanTiltLimitSettingDialog dialog;
		QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);
		const QStringList texts{"-120", "999", "60", ""};
		dialog.setLimits(texts[0], texts[1], texts[2], texts[3]);
		for (int i = 0; i < edits.size(); ++i)
			QCOMPARE(dialog.findChild<QLineEdit *>(edits[i])->text(), texts[i]);
		dialog.setSpeedCompEnabled(false);
		QTest::mouseClick(dialog.findChild<QPushButton *>("PTZSpeedCompButton"), Qt::LeftButton);
		QCOMPARE(sent(spy), QString());
	}
};

QTEST_MAIN(PanTiltLimitDialogTest)
#include "PanTiltLimitDialogTest.moc"
