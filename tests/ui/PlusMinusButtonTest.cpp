#include "ORPlusMinusButton.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <climits>

namespace {

// Codes ascend in a different order than the labels sort, so label order and step order differ.
const QMap<std::string, int> shutter{{"1/30", 3}, {"1/60", 5}, {"1/100", 7}};
const int none = INT_MIN;

// mode: "list" for the shutter labels, "min:max" for a range. action: "+", "-" or a number for setValue.
struct Action {
	QString mode, start, action, shown;
	int emitted;
};

QStringList enabledParts(ORPlusMinusButton &w)
{
	QStringList parts;
	for (QWidget *part : w.findChildren<QWidget *>(QRegularExpression("InputEdit|PlusButton|MinusButton")))
		if (part->isEnabled())
			parts << part->objectName();
	parts.sort();
	return parts;
}

} // namespace

Q_DECLARE_METATYPE(Action)

class PlusMinusButtonTest : public QObject {
	Q_OBJECT

private slots:
	void action_data()
	{
		QTest::addColumn<Action>("row");
		QTest::newRow("list, plus inside") << Action{"list", "1/60", "+", "1/100", 7};
		QTest::newRow("list, plus at last") << Action{"list", "1/100", "+", "1/100", none};
		QTest::newRow("list, minus inside") << Action{"list", "1/60", "-", "1/30", 3};
		QTest::newRow("list, minus at first") << Action{"list", "1/30", "-", "1/30", none};
		QTest::newRow("list, plus on empty field") << Action{"list", "", "+", "", none};
		QTest::newRow("list, minus on unknown text") << Action{"list", "1/60 ", "-", "1/60 ", none};
		QTest::newRow("range, plus at max") << Action{"0:14", "14", "+", "14", none};
		QTest::newRow("range, minus to min") << Action{"-7:7", "-6", "-", "-7", -7};
		QTest::newRow("range, minus at min") << Action{"-7:7", "-7", "-", "-7", none};
		// A field outside the range (empty reads as 0) steps onto the nearest bound, never outside it.
		QTest::newRow("range, plus from below") << Action{"5:10", "", "+", "5", 5};
		QTest::newRow("range, minus from above") << Action{"5:10", "12", "-", "10", 10};
		// setValue only shows a value (or refuses it) and never emits.
		QTest::newRow("set, range inside") << Action{"0:14", "x", "14", "14", none};
		QTest::newRow("set, range above") << Action{"0:14", "x", "15", "x", none};
		QTest::newRow("set, range below") << Action{"0:14", "x", "-1", "x", none};
		QTest::newRow("set, list known code") << Action{"list", "x", "3", "1/30", none};
		QTest::newRow("set, list unknown code") << Action{"list", "x", "4", "x", none};
	}
	void action()
	{
		QFETCH(Action, row);
		ORPlusMinusButton w;
		if (row.mode == "list")
			w.setElements(shutter);
		else
			w.setRange(row.mode.section(':', 0, 0).toInt(), row.mode.section(':', 1, 1).toInt());
		auto *field = w.findChild<QLineEdit *>("InputEdit");
		field->setText(row.start);
		QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
		const bool step = row.action == "+" || row.action == "-";
		if (step)
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

	void enabling_data()
	{
		QTest::addColumn<int>("min");
		QTest::addColumn<int>("max");
		QTest::addColumn<bool>("stepEnabled");
		QTest::newRow("equal bounds stay off") << 5 << 5 << true;
		QTest::newRow("range, steps off") << 0 << 14 << false;
		QTest::newRow("range, steps on") << 0 << 14 << true;
	}
	void enabling()
	{
		QFETCH(int, min);
		QFETCH(int, max);
		QFETCH(bool, stepEnabled);
		const QStringList all{"InputEdit", "MinusButton", "PlusButton"}, buttons{"MinusButton", "PlusButton"};

		ORPlusMinusButton w;
		QCOMPARE(enabledParts(w), buttons);
		w.setRange(min, max);
		QCOMPARE(enabledParts(w), min != max ? all : QStringList());
		w.setStepEnabled(stepEnabled);
		QCOMPARE(enabledParts(w), min != max && stepEnabled ? buttons : QStringList());
	}
};

QTEST_MAIN(PlusMinusButtonTest)
#include "PlusMinusButtonTest.moc"
