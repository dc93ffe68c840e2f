#include "ORFocusVerticalSlider.h"
#include "ORZoomVerticalSlider.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

namespace {

// Both widgets share their slider behaviour (their buttons are driven in the panel test).
template <class Widget>
void checkValue(const char *sliderName, int min, int max, int value, int shown, bool emits)
{
	Widget w;
	auto *slider = w.template findChild<QSlider *>(sliderName);
	w.setRange(min, max);
	w.setValue(10);
	QSignalSpy spy(&w, &Widget::valueChanged);

	w.setValue(value);
	QCOMPARE(slider->minimum(), min);
	QCOMPARE(slider->maximum(), qMax(min, max));
	QCOMPARE(slider->value(), shown);
	QCOMPARE(spy.count(), emits ? 1 : 0);
	if (emits)
		QCOMPARE(spy.at(0).at(0).toInt(), shown);
}

int manualEnabled(ORFocusVerticalSlider &focus)
{
	return focus.findChild<QPushButton *>("FocusPlusButton")->isEnabled() +
	       focus.findChild<QPushButton *>("FocusMinusButton")->isEnabled() +
	       focus.findChild<QSlider *>("FocusSlider")->isEnabled();
}

} // namespace

class VerticalSlidersTest : public QObject {
	Q_OBJECT

private slots:
	void sliderValue_data()
	{
		for (const char *column : {"min", "max", "value", "shown"})
			QTest::addColumn<int>(column);
		QTest::addColumn<bool>("emits");
		QTest::newRow("new value") << 0 << 100 << 50 << 50 << true;
		QTest::newRow("same value") << 0 << 100 << 10 << 10 << false;
		QTest::newRow("above range") << 0 << 100 << 200 << 100 << true;
		QTest::newRow("below range") << 0 << 100 << -5 << 0 << true;
		QTest::newRow("min above max collapses to min") << 50 << 20 << 30 << 50 << false;
	}
	void sliderValue()
	{
		QFETCH(int, min);
		QFETCH(int, max);
		QFETCH(int, value);
		QFETCH(int, shown);
		QFETCH(bool, emits);
		checkValue<ORZoomVerticalSlider>("ZoomSlider", min, max, value, shown, emits);
		if (!QTest::currentTestFailed())
			checkValue<ORFocusVerticalSlider>("FocusSlider", min, max, value, shown, emits);
	}

	// setMode shows the camera's mode: it neither moves the AF button nor emits. A click on AF then flips the mode.
	void afMode_data()
	{
		QTest::addColumn<bool>("afChecked");
		QTest::addColumn<int>("mode");
		QTest::addColumn<bool>("manual");
		QTest::newRow("auto, AF unchecked") << false << int(AutoFocus) << false;
		QTest::newRow("manual, AF checked") << true << int(ManualFocus) << true;
		QTest::newRow("unknown mode changes nothing") << true << 7 << false;
	}
	void afMode()
	{
		QFETCH(bool, afChecked);
		QFETCH(int, mode);
		QFETCH(bool, manual);

		ORFocusVerticalSlider focus;
		auto *af = focus.findChild<QPushButton *>("AFButton");
		af->setChecked(afChecked);
		QSignalSpy spy(&focus, &ORFocusVerticalSlider::modeChanged);
		focus.setMode(static_cast<AFMode>(mode));
		QCOMPARE(af->isChecked(), afChecked);
		QCOMPARE(spy.count(), 0);
		QCOMPARE(manualEnabled(focus), manual ? 3 : 0);

		QTest::mouseClick(af, Qt::LeftButton);
		QCOMPARE(spy.count(), 1);
		QCOMPARE(spy.at(0).at(0).value<AFMode>(), afChecked ? ManualFocus : AutoFocus);
		QCOMPARE(manualEnabled(focus), afChecked ? 3 : 0);
	}
};

QTEST_MAIN(VerticalSlidersTest)
#include "VerticalSlidersTest.moc"
