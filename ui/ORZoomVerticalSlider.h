#pragma once

#include <QMetaType>
#include <QWidget>

namespace Ui {
class ORZoomVerticalSlider;
}

// Which zoom button was pressed.
enum ZoomType { ZoomPlus = 0, ZoomMinus = 1 };
Q_DECLARE_METATYPE(ZoomType)

// "Zoom" caption, zoom-plus button, vertical position slider and zoom-minus button. Turns presses, releases and
// slider moves into signals; the panel does the camera work.
class ORZoomVerticalSlider : public QWidget {
	Q_OBJECT

public:
	explicit ORZoomVerticalSlider(QWidget *parent = nullptr);
	~ORZoomVerticalSlider() override;

	void setRange(int min, int max);
	// Also emitted as valueChanged when the slider's value changes.
	void setValue(int value);

signals:
	void valueChanged(int value);
	void started(ZoomType type);
	void stopped();

protected:
	void paintEvent(QPaintEvent *event) override;

private:
	Ui::ORZoomVerticalSlider *ui;
};
