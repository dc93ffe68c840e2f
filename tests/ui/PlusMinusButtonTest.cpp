#include "MessageLog.h"
#include "ORPlusMinusButton.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Codes ascend in a different order than the labels sort, so label order and step order differ.
const QMap<std::string, int> shutter{{"1/30", 3}, {"1/60", 5}, {"1/100", 7}};

QLineEdit *field(ORPlusMinusButton &w)
{
	return w.findChild<QLineEdit *>("InputEdit");
}
QPushButton *plus(ORPlusMinusButton &w)
{
	return w.findChild<QPushButton *>("PlusButton");
}
QPushButton *minus(ORPlusMinusButton &w)
{
	return w.findChild<QPushButton *>("MinusButton");
}

} // namespace

class PlusMinusButtonTest : public QObject {
	Q_OBJECT

private slots:
	void form();
	void listStep_data();
	void listStep();
	void rangeStep_data();
	void rangeStep();
	void setValue_data();
	void setValue();
	void valueOf_data();
	void valueOf();
	void enabling_data();
	void enabling();
};

void PlusMinusButtonTest::form()
{
	ORPlusMinusButton w;
	QVERIFY(!field(w)->isEnabled());
	// Holding a button steps repeatedly.
	QVERIFY(plus(w)->autoRepeat());
	QVERIFY(minus(w)->autoRepeat());
}

void PlusMinusButtonTest::listStep_data()
{
	QTest::addColumn<QString>("start");
	QTest::addColumn<bool>("up");
	QTest::addColumn<QString>("shown");
	QTest::addColumn<int>("emitted"); // -1: nothing
	QTest::addColumn<QStringList>("log");

	QTest::newRow("plus inside") << "1/60" << true << "1/100" << 7 << QStringList{"key value = 7"};
	QTest::newRow("plus at last") << "1/100" << true << "1/100" << -1
				      << QStringList{"The value is greater than or equal to the size of _elements."};
	QTest::newRow("minus inside") << "1/60" << false << "1/30" << 3 << QStringList{};
	QTest::newRow("minus at first") << "1/30" << false << "1/30" << -1
					<< QStringList{"The value is littler than or equal to 0."};
	QTest::newRow("plus, field empty")
		<< "" << true << "" << -1 << QStringList{"The value is not contained in _elements."};
	QTest::newRow("minus, unknown text")
		<< "1/60 " << false << "1/60 " << -1 << QStringList{"The value is not contained in _elements."};
}

void PlusMinusButtonTest::listStep()
{
	QFETCH(QString, start);
	QFETCH(bool, up);
	QFETCH(QString, shown);
	QFETCH(int, emitted);
	QFETCH(QStringList, log);

	ORPlusMinusButton w;
	w.setElements(shutter);
	field(w)->setText(start);
	QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
	MessageLog messages;
	QTest::mouseClick(up ? plus(w) : minus(w), Qt::LeftButton);

	QCOMPARE(messages.taken(), log);
	QCOMPARE(field(w)->text(), shown);
	QCOMPARE(spy.count(), emitted < 0 ? 0 : 1);
	if (emitted >= 0)
		QCOMPARE(spy.at(0).at(0).toInt(), emitted);
}

void PlusMinusButtonTest::rangeStep_data()
{
	QTest::addColumn<int>("min");
	QTest::addColumn<int>("max");
	QTest::addColumn<QString>("start");
	QTest::addColumn<bool>("up");
	QTest::addColumn<QString>("shown");
	QTest::addColumn<int>("emitted"); // -100: nothing
	QTest::addColumn<QStringList>("log");

	QTest::newRow("plus to max") << 0 << 14 << "13" << true << "14" << 14 << QStringList{};
	QTest::newRow("plus at max") << 0 << 14 << "14" << true << "14" << -100
				     << QStringList{"The value is greater than MaxValue."};
	QTest::newRow("minus to min") << 0 << 14 << "1" << false << "0" << 0 << QStringList{};
	QTest::newRow("minus at min") << 0 << 14 << "0" << false << "0" << -100
				      << QStringList{"The value is littler than or equal to MinValue(0)."};
	QTest::newRow("negative range, minus at min")
		<< -7 << 7 << "-7" << false << "-7" << -100
		<< QStringList{"The value is littler than or equal to MinValue(-7)."};
	// A field outside the range (empty reads as 0) steps onto the nearest bound, never outside it.
	QTest::newRow("plus from below the range") << 5 << 10 << "" << true << "5" << 5 << QStringList{};
	QTest::newRow("minus from above the range") << 5 << 10 << "12" << false << "10" << 10 << QStringList{};
}

void PlusMinusButtonTest::rangeStep()
{
	QFETCH(int, min);
	QFETCH(int, max);
	QFETCH(QString, start);
	QFETCH(bool, up);
	QFETCH(QString, shown);
	QFETCH(int, emitted);
	QFETCH(QStringList, log);

	ORPlusMinusButton w;
	w.setRange(min, max);
	field(w)->setText(start);
	QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
	MessageLog messages;
	QTest::mouseClick(up ? plus(w) : minus(w), Qt::LeftButton);

	QCOMPARE(messages.taken(), log);
	QCOMPARE(field(w)->text(), shown);
	QCOMPARE(spy.count(), emitted == -100 ? 0 : 1);
	if (emitted != -100)
		QCOMPARE(spy.at(0).at(0).toInt(), emitted);
}

void PlusMinusButtonTest::setValue_data()
{
	QTest::addColumn<bool>("rangeMode");
	QTest::addColumn<int>("value");
	QTest::addColumn<bool>("accepted");
	QTest::addColumn<QString>("shown"); // the field starts as "before"
	QTest::addColumn<QStringList>("log");

	QTest::newRow("range, inside") << true << 14 << true << "14" << QStringList{"value == 14"};
	QTest::newRow("range, above") << true << 15 << false << "before"
				      << QStringList{"value == 15",
						     "The value is not in the range(MaxValue and MinValue)"};
	QTest::newRow("range, below") << true << -1 << false << "before"
				      << QStringList{"value == -1",
						     "The value is not in the range(MaxValue and MinValue)"};
	QTest::newRow("list, known code") << false << 3 << true << "1/30" << QStringList{};
	QTest::newRow("list, unknown code")
		<< false << 4 << false << "before" << QStringList{"The value cant' be set."};
}

void PlusMinusButtonTest::setValue()
{
	QFETCH(bool, rangeMode);
	QFETCH(int, value);
	QFETCH(bool, accepted);
	QFETCH(QString, shown);
	QFETCH(QStringList, log);

	ORPlusMinusButton w;
	if (rangeMode)
		w.setRange(0, 14);
	else
		w.setElements(shutter);
	field(w)->setText("before");
	QSignalSpy spy(&w, &ORPlusMinusButton::valueChanged);
	MessageLog messages;

	QCOMPARE(w.setValue(value), accepted);
	QCOMPARE(messages.taken(), log);
	QCOMPARE(field(w)->text(), shown);
	QCOMPARE(spy.count(), 0);
}

void PlusMinusButtonTest::valueOf_data()
{
	QTest::addColumn<bool>("rangeMode");
	QTest::addColumn<QString>("fieldText");
	QTest::addColumn<QString>("label");
	QTest::addColumn<int>("expected");

	QTest::newRow("list, known") << false << ""
				     << "1/30" << 3;
	QTest::newRow("list, unknown") << false << ""
				       << "1/25" << -1;
	QTest::newRow("list, ignores field") << false << "1/60"
					     << "1/100" << 7;
	QTest::newRow("range, field number") << true << "9"
					     << "1/30" << 9;
	QTest::newRow("range, field no number") << true << "abc"
						<< "" << 0;
}

void PlusMinusButtonTest::valueOf()
{
	QFETCH(bool, rangeMode);
	QFETCH(QString, fieldText);
	QFETCH(QString, label);
	QFETCH(int, expected);

	ORPlusMinusButton w;
	if (rangeMode)
		w.setRange(0, 14);
	else
		w.setElements(shutter);
	field(w)->setText(fieldText);
	QCOMPARE(w.valueOf(label), expected);
}

void PlusMinusButtonTest::enabling_data()
{
	QTest::addColumn<int>("min");
	QTest::addColumn<int>("max");
	QTest::addColumn<bool>("rangeEnabled"); // field and buttons after setRange
	QTest::addColumn<bool>("stepEnabled");  // argument of setStepEnabled
	QTest::addColumn<bool>("buttonsAfter");

	QTest::newRow("equal bounds stay off") << 5 << 5 << false << true << false;
	QTest::newRow("range, steps off") << 0 << 14 << true << false << false;
	QTest::newRow("range, steps on") << 0 << 14 << true << true << true;
}

void PlusMinusButtonTest::enabling()
{
	QFETCH(int, min);
	QFETCH(int, max);
	QFETCH(bool, rangeEnabled);
	QFETCH(bool, stepEnabled);
	QFETCH(bool, buttonsAfter);

	ORPlusMinusButton w;
	w.setRange(min, max);
	QCOMPARE(field(w)->isEnabled(), rangeEnabled);
	QCOMPARE(plus(w)->isEnabled(), rangeEnabled);
	QCOMPARE(minus(w)->isEnabled(), rangeEnabled);

	w.setStepEnabled(stepEnabled);
	QVERIFY(!field(w)->isEnabled());
	QCOMPARE(plus(w)->isEnabled(), buttonsAfter);
	QCOMPARE(minus(w)->isEnabled(), buttonsAfter);
}

QTEST_MAIN(PlusMinusButtonTest)
#include "PlusMinusButtonTest.moc"
