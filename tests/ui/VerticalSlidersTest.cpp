#include "ORFocusVerticalSlider.h"
#include "ORZoomVerticalSlider.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include <memory>

namespace {

// The two widgets share their slider behaviour; the tests reach both through these.
struct SliderWidget {
	std::unique_ptr<QWidget> widget;
	QSlider *slider;
	std::function<void(int, int)> setRange;
	std::function<void(int)> setValue;
};

SliderWidget makeSliderWidget(bool zoom)
{
	SliderWidget s;
	if (zoom) {
		auto *w = new ORZoomVerticalSlider;
		s.widget.reset(w);
		s.slider = w->findChild<QSlider *>("ZoomSlider");
		s.setRange = [w](int min, int max) { w->setRange(min, max); };
		s.setValue = [w](int value) { w->setValue(value); };
	} else {
		auto *w = new ORFocusVerticalSlider;
		s.widget.reset(w);
		s.slider = w->findChild<QSlider *>("FocusSlider");
		s.setRange = [w](int min, int max) { w->setRange(min, max); };
		s.setValue = [w](int value) { w->setValue(value); };
	}
	return s;
}

} // namespace

class VerticalSlidersTest : public QObject {
	Q_OBJECT

private slots:
	void pressAndRelease_data();
	void pressAndRelease();
	void sliderValue_data();
	void sliderValue();
	void rangeMinAboveMax_data();
	void rangeMinAboveMax();
	void afToggle();
	void setMode_data();
	void setMode();
};

void VerticalSlidersTest::pressAndRelease_data()
{
	QTest::addColumn<QString>("button");
	QTest::addColumn<int>("type");

	QTest::newRow("zoom plus") << "ZoomPlusButton" << int(ZoomPlus);
	QTest::newRow("zoom minus") << "ZoomMinusButton" << int(ZoomMinus);
	QTest::newRow("focus plus") << "FocusPlusButton" << int(FocusPlus);
	QTest::newRow("focus minus") << "FocusMinusButton" << int(FocusMinus);
}

void VerticalSlidersTest::pressAndRelease()
{
	QFETCH(QString, button);
	QFETCH(int, type);

	ORZoomVerticalSlider zoom;
	ORFocusVerticalSlider focus;
	const bool isZoom = button.startsWith("Zoom");
	QWidget *widget = isZoom ? static_cast<QWidget *>(&zoom) : &focus;
	auto *pushButton = widget->findChild<QPushButton *>(button);
	QVERIFY(pushButton);
	QVERIFY(!pushButton->autoRepeat());

	std::unique_ptr<QSignalSpy> started(isZoom ? new QSignalSpy(&zoom, &ORZoomVerticalSlider::started)
						   : new QSignalSpy(&focus, &ORFocusVerticalSlider::started));
	std::unique_ptr<QSignalSpy> stopped(isZoom ? new QSignalSpy(&zoom, &ORZoomVerticalSlider::stopped)
						   : new QSignalSpy(&focus, &ORFocusVerticalSlider::stopped));

	QTest::mousePress(pushButton, Qt::LeftButton);
	QCOMPARE(started->count(), 1);
	QCOMPARE(started->at(0).at(0).toInt(), type);
	QCOMPARE(stopped->count(), 0);

	QTest::mouseRelease(pushButton, Qt::LeftButton);
	QCOMPARE(started->count(), 1);
	QCOMPARE(stopped->count(), 1);
}

void VerticalSlidersTest::sliderValue_data()
{
	QTest::addColumn<bool>("zoom");
	QTest::addColumn<int>("value");
	QTest::addColumn<int>("shown");
	QTest::addColumn<bool>("emits");

	for (bool zoom : {true, false}) {
		const char *name = zoom ? "zoom" : "focus";
		QTest::addRow("%s, new value", name) << zoom << 50 << 50 << true;
		QTest::addRow("%s, same value", name) << zoom << 10 << 10 << false;
		QTest::addRow("%s, above range", name) << zoom << 200 << 100 << true;
		QTest::addRow("%s, below range", name) << zoom << -5 << 0 << true;
	}
}

void VerticalSlidersTest::sliderValue()
{
	QFETCH(bool, zoom);
	QFETCH(int, value);
	QFETCH(int, shown);
	QFETCH(bool, emits);

	SliderWidget s = makeSliderWidget(zoom);
	s.setRange(0, 100);
	s.setValue(10);
	std::unique_ptr<QSignalSpy> spy(zoom ? new QSignalSpy(static_cast<ORZoomVerticalSlider *>(s.widget.get()),
							      &ORZoomVerticalSlider::valueChanged)
					     : new QSignalSpy(static_cast<ORFocusVerticalSlider *>(s.widget.get()),
							      &ORFocusVerticalSlider::valueChanged));

	s.setValue(value);
	QCOMPARE(s.slider->value(), shown);
	QCOMPARE(spy->count(), emits ? 1 : 0);
	if (emits)
		QCOMPARE(spy->at(0).at(0).toInt(), shown);
}

void VerticalSlidersTest::rangeMinAboveMax_data()
{
	QTest::addColumn<bool>("zoom");
	QTest::newRow("zoom") << true;
	QTest::newRow("focus") << false;
}

void VerticalSlidersTest::rangeMinAboveMax()
{
	QFETCH(bool, zoom);
	SliderWidget s = makeSliderWidget(zoom);
	s.setRange(50, 20);
	QCOMPARE(s.slider->minimum(), 50);
	QCOMPARE(s.slider->maximum(), 50);
}

void VerticalSlidersTest::afToggle()
{
	ORFocusVerticalSlider focus;
	auto *af = focus.findChild<QPushButton *>("AFButton");
	auto *plus = focus.findChild<QPushButton *>("FocusPlusButton");
	auto *minus = focus.findChild<QPushButton *>("FocusMinusButton");
	auto *slider = focus.findChild<QSlider *>("FocusSlider");
	QVERIFY(af->isCheckable());
	QVERIFY(!af->isChecked());
	QSignalSpy spy(&focus, &ORFocusVerticalSlider::modeChanged);

	QTest::mouseClick(af, Qt::LeftButton);
	QVERIFY(af->isChecked());
	QVERIFY(!plus->isEnabled() && !minus->isEnabled() && !slider->isEnabled());
	QCOMPARE(spy.count(), 1);
	QCOMPARE(spy.at(0).at(0).value<AFMode>(), AutoFocus);

	QTest::mouseClick(af, Qt::LeftButton);
	QVERIFY(plus->isEnabled() && minus->isEnabled() && slider->isEnabled());
	QCOMPARE(spy.count(), 2);
	QCOMPARE(spy.at(1).at(0).value<AFMode>(), ManualFocus);
}

void VerticalSlidersTest::setMode_data()
{
	QTest::addColumn<bool>("afChecked");
	QTest::addColumn<int>("mode");
	QTest::addColumn<bool>("manualEnabled");

	QTest::newRow("auto, AF unchecked") << false << int(AutoFocus) << false;
	QTest::newRow("manual, AF checked") << true << int(ManualFocus) << true;
	QTest::newRow("unknown mode changes nothing") << true << 7 << false;
}

void VerticalSlidersTest::setMode()
{
	QFETCH(bool, afChecked);
	QFETCH(int, mode);
	QFETCH(bool, manualEnabled);

	ORFocusVerticalSlider focus;
	auto *af = focus.findChild<QPushButton *>("AFButton");
	af->setChecked(afChecked);
	QSignalSpy spy(&focus, &ORFocusVerticalSlider::modeChanged);

	focus.setMode(static_cast<AFMode>(mode));
	QCOMPARE(af->isChecked(), afChecked);
	QCOMPARE(spy.count(), 0);
	QCOMPARE(focus.findChild<QPushButton *>("FocusPlusButton")->isEnabled(), manualEnabled);
	QCOMPARE(focus.findChild<QPushButton *>("FocusMinusButton")->isEnabled(), manualEnabled);
	QCOMPARE(focus.findChild<QSlider *>("FocusSlider")->isEnabled(), manualEnabled);
}

QTEST_MAIN(VerticalSlidersTest)
#include "VerticalSlidersTest.moc"
