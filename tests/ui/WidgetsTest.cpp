// The panel's own widgets on their own (the stepper, the focus column's AF switch, the limit dialog) and the image
// paths the sources name.

#include "CellTextFitter.h"
#include "ORFocusVerticalSlider.h"
#include "ORPlusMinusButton.h"
#include "PanTiltLimitSettingDialog.h"

#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QtTest>

#include <climits>
#include <tuple>

namespace {

// Codes ascend in a different order than the labels sort, so label order and step order differ.
const QMap<std::string, int> shutter{{"1/30", 3}, {"1/60", 5}, {"1/100", 7}};
const int none = INT_MIN;

// mode: "list" for the shutter labels, "min:max" for a range. action: "+", "-" or a number for setValue.
struct Step {
	QString mode, start, action, shown;
	int emitted;
};

struct Entry {
	QString edit, typed, shown;
	CommandType type;
	bool sends;
};

// The sorted names of the enabled children that match.
QStringList enabled(const QWidget &parent, const char *names)
{
	QStringList out;
	for (QWidget *child : parent.findChildren<QWidget *>(QRegularExpression(names))) {
		if (child->isEnabled())
			out << child->objectName();
	}
	out.sort();
	return out;
}

// Every triggered signal of the limit dialog as "type=value".
QString sent(const QSignalSpy &spy)
{
	QStringList calls;
	for (const QList<QVariant> &call : spy)
		calls << QString("%1=%2").arg(call.at(0).toInt()).arg(call.at(1).toInt());
	return calls.join(' ');
}

const char *const limitEdits = "^(PanLeft|PanRight|TiltUp|TiltDown)LimitEdit$";
const char *const manualFocus = "^(FocusPlusButton|FocusMinusButton|FocusSlider)$";
const char *const stepperParts = "^(InputEdit|PlusButton|MinusButton)$";

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Entry)

class WidgetsTest : public QObject {
	Q_OBJECT

private slots:
	void stepper_data()
	{
		QTest::addColumn<Step>("row");
		QTest::newRow("list, plus inside") << Step{"list", "1/60", "+", "1/100", 7};
		QTest::newRow("list, plus at last") << Step{"list", "1/100", "+", "1/100", none};
		QTest::newRow("list, minus inside") << Step{"list", "1/60", "-", "1/30", 3};
		QTest::newRow("list, minus at first") << Step{"list", "1/30", "-", "1/30", none};
		QTest::newRow("list, plus on empty field") << Step{"list", "", "+", "", none};
		QTest::newRow("list, minus on unknown text") << Step{"list", "1/60 ", "-", "1/60 ", none};
		QTest::newRow("range, plus at max") << Step{"0:14", "14", "+", "14", none};
		QTest::newRow("range, minus to min") << Step{"-7:7", "-6", "-", "-7", -7};
		QTest::newRow("range, minus at min") << Step{"-7:7", "-7", "-", "-7", none};
		// A field outside the range (empty reads as 0) steps onto the nearest bound, never outside it.
		QTest::newRow("range, plus from below") << Step{"5:10", "", "+", "5", 5};
		QTest::newRow("range, minus from above") << Step{"5:10", "12", "-", "10", 10};
		// setValue only shows a value (or refuses it) and never emits.
		QTest::newRow("set, range inside") << Step{"0:14", "x", "14", "14", none};
		QTest::newRow("set, range above") << Step{"0:14", "x", "15", "x", none};
		QTest::newRow("set, range below") << Step{"0:14", "x", "-1", "x", none};
		QTest::newRow("set, list known code") << Step{"list", "x", "3", "1/30", none};
		QTest::newRow("set, list unknown code") << Step{"list", "x", "4", "x", none};
	}
	void stepper()
	{
		QFETCH(Step, row);
		ORPlusMinusButton w;
		if (row.mode == "list")
			w.setElements(shutter);
		else
			w.setRange(row.mode.section(':', 0, 0).toInt(), row.mode.section(':', 1, 1).toInt());
		auto *field = w.findChild<QLineEdit *>("InputEdit");
		field->setText(row.start);
		QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
		if (row.action == "+" || row.action == "-")
			QTest::mouseClick(w.findChild<QPushButton *>(row.action == "+" ? "PlusButton" : "MinusButton"),
					  Qt::LeftButton);
		else
			QCOMPARE(w.setValue(row.action.toInt()), row.shown != row.start);

		QCOMPARE(field->text(), row.shown);
		QCOMPARE(spy.count(), row.emitted == none ? 0 : 1);
		if (row.emitted != none) {
			QCOMPARE(spy.at(0).at(0).toInt(), row.emitted);
			QCOMPARE(w.valueOf(row.shown), row.emitted);
		}
	}

	// A label wider than the field is shown elided with the whole label as tool tip; steps go by the whole label.
	void stepperElidesLongLabel()
	{
		const QString longLabel = "Not supported by this camera model";
		ORPlusMinusButton w;
		w.setElements({{longLabel.toStdString(), 0}, {"1/30", 1}});
		w.resize(110, 30);
		w.show();
		QVERIFY(QTest::qWaitForWindowExposed(&w));
		auto *field = w.findChild<QLineEdit *>("InputEdit");
		QVERIFY(w.setValue(0));
		QVERIFY2(field->text().endsWith(QChar(0x2026)) && field->toolTip() == longLabel,
			 qPrintable(field->text()));
		QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
		QTest::mouseClick(w.findChild<QPushButton *>("PlusButton"), Qt::LeftButton);
		QCOMPARE(spy.count(), 1);
		QCOMPARE(field->text(), QString("1/30"));
		QCOMPARE(field->toolTip(), QString());
	}

	// A combo box too narrow for its current text draws it elided, with the whole text as tool tip; the item
	// itself stays whole (it is what goes to the camera).
	void comboElidesCurrentText()
	{
		const QString longText = "Not supported by this camera model";
		QWidget window;
		auto *box = new QComboBox(&window);
		box->addItems({longText, "5"});
		box->setFixedWidth(90);
		new CellTextFitter(&window);
		window.show();
		QVERIFY(QTest::qWaitForWindowExposed(&window));
		box->repaint();
		QCOMPARE(box->toolTip(), longText);
		QCOMPARE(box->currentText(), longText);
		box->setCurrentIndex(1);
		box->repaint();
		QCOMPARE(box->toolTip(), QString());
	}

	// Equal bounds switch the stepper off; setStepEnabled switches the buttons of a range only and keeps the field
	// off.
	void stepperEnabling()
	{
		const QStringList all{"InputEdit", "MinusButton", "PlusButton"}, buttons{"MinusButton", "PlusButton"};
		for (const auto &[min, max, steps] :
		     {std::tuple{5, 5, true}, std::tuple{0, 14, false}, std::tuple{0, 14, true}}) {
			ORPlusMinusButton w;
			QCOMPARE(enabled(w, stepperParts), buttons);
			w.setRange(min, max);
			QCOMPARE(enabled(w, stepperParts), min != max ? all : QStringList());
			w.setStepEnabled(steps);
			QCOMPARE(enabled(w, stepperParts), min != max && steps ? buttons : QStringList());
		}
	}

	// setMode shows the camera's mode on the manual controls: it neither moves the AF button nor emits, and an
	// unknown mode changes nothing. A click on AF then flips the mode.
	void focusMode()
	{
		for (const auto &[afChecked, mode, manual] :
		     {std::tuple{false, int(AutoFocus), false}, std::tuple{true, int(ManualFocus), true},
		      std::tuple{true, 7, false}}) {
			ORFocusVerticalSlider focus;
			auto *af = focus.findChild<QPushButton *>("AFButton");
			af->setChecked(afChecked);
			QSignalSpy spy(&focus, &ORFocusVerticalSlider::modeChanged);
			focus.setMode(static_cast<AFMode>(mode));
			QCOMPARE(af->isChecked(), afChecked);
			QCOMPARE(spy.count(), 0);
			QCOMPARE(enabled(focus, manualFocus).size(), manual ? 3 : 0);

			QTest::mouseClick(af, Qt::LeftButton);
			QCOMPARE(spy.count(), 1);
			QCOMPARE(spy.at(0).at(0).value<AFMode>(), afChecked ? ManualFocus : AutoFocus);
			QCOMPARE(enabled(focus, manualFocus).size(), afChecked ? 3 : 0);
		}
	}

	// Each switch of the limit dialog sends on and off; only the limit switch opens the four fields.
	void limitSwitches()
	{
		for (const auto &[button, type, fields] : {std::tuple{"PanTiltLimitButton", PanTiltLimit, 4},
							   std::tuple{"PTZSpeedCompButton", PTZSpeedComp, 0}}) {
			PanTiltLimitSettingDialog dialog;
			auto *toggle = dialog.findChild<QPushButton *>(button);
			QVERIFY(!toggle->isChecked());
			QCOMPARE(enabled(dialog, limitEdits).size(), 0);
			QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);
			QCOMPARE(toggle->text(), QString("SwitchOff")); // the locale's word, not one drawn in the image
			QTest::mouseClick(toggle, Qt::LeftButton);
			QCOMPARE(enabled(dialog, limitEdits).size(), fields);
			QCOMPARE(toggle->text(), QString("SwitchOn"));
			QTest::mouseClick(toggle, Qt::LeftButton);
			QCOMPARE(enabled(dialog, limitEdits).size(), 0);
			QCOMPARE(sent(spy), QString("%1=1 %1=0").arg(int(type)));
		}
	}

	// The validators refuse the keystroke that would leave the range; Return sends what the field shows.
	void limitEntry_data()
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
	}
	void limitEntry()
	{
		QFETCH(Entry, row);
		PanTiltLimitSettingDialog dialog;
		dialog.setLimits("PanLeft", "PanRight", "TiltUp", "TiltDown");
		QTest::mouseClick(dialog.findChild<QPushButton *>("PanTiltLimitButton"), Qt::LeftButton);
		auto *field = dialog.findChild<QLineEdit *>(row.edit);
		QCOMPARE(field->text() + "LimitEdit", row.edit); // setLimits fills the fields in its order
		field->clear();
		QSignalSpy spy(&dialog, &PanTiltLimitSettingDialog::triggered);
		QTest::keyClicks(field, row.typed);
		QCOMPARE(field->text(), row.shown);
		QCOMPARE(sent(spy), QString()); // typing alone sends nothing
		QTest::keyClick(field, Qt::Key_Return);
		QCOMPARE(sent(spy), row.sends ? QString("%1=%2").arg(row.type).arg(row.shown) : QString());
	}

	// Every literal image path in the sources, style sheets and forms must name a compiled, valid image. Paths put
	// together at run time are left to the widget tests.
	void referencedImagesExist()
	{
		static const QRegularExpression pattern(":/?resource/images/[^\"'()<>\\r\\n]*?\\.(?:svg|png)");
		const QDir root(PTZ_SOURCE_DIR);
		QStringList found, bad;
		QDirIterator it(root.path(), {"*.ui", "*.cpp", "*.h", "*.qss"}, QDir::Files,
				QDirIterator::Subdirectories);
		while (it.hasNext()) {
			QFile source(it.next());
			const QString relative = root.relativeFilePath(source.fileName());
			// Build folders hold generated copies of the same paths.
			if (relative.startsWith("build") || relative.startsWith(".") || relative.contains("/.") ||
			    !source.open(QIODevice::ReadOnly))
				continue;
			auto matches = pattern.globalMatch(QString::fromUtf8(source.readAll()));
			while (matches.hasNext()) {
				found << matches.next().captured(0);
				// ":resource/..." (no slash) names the same resource as ":/resource/...".
				if (!QFile::exists(found.last()) ||
				    (found.last().endsWith(".svg") && !QSvgRenderer(found.last()).isValid()))
					bad << relative + ": " + found.last();
			}
		}
		QVERIFY2(bad.isEmpty(), qPrintable(bad.join("\n")));
		// A scan that finds nothing would pass vacuously.
		QVERIFY(found.contains(":/resource/images/ON.svg") &&
			found.contains(":/resource/images/Simple Mode/Zoom+_p.svg"));
	}
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
