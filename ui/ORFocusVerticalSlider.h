#pragma once

#include <QMetaType>
#include <QWidget>

namespace Ui {
class ORFocusVerticalSlider;
}

// Which focus button was pressed.
enum FocusType { FocusPlus = 0, FocusMinus = 1 };
Q_DECLARE_METATYPE(FocusType)

enum AFMode { ManualFocus = 0, AutoFocus = 1 };
Q_DECLARE_METATYPE(AFMode)

// "Focus" caption, focus-plus button, vertical position slider, focus-minus button and the AF/MF toggle. Turns
// presses, releases, slider moves and the toggle into signals; the panel does the camera work.
class ORFocusVerticalSlider : public QWidget {
	Q_OBJECT

public:
	explicit ORFocusVerticalSlider(QWidget *parent = nullptr);
	~ORFocusVerticalSlider() override;

	void setRange(int min, int max);
	// Also emitted as valueChanged when the slider's value changes.
	void setValue(int value);
	// Shows the camera's focus mode: enables or disables the manual controls, leaves AFButton and emits nothing.
	void setMode(AFMode mode);

signals:
	void valueChanged(int value);
	void modeChanged(AFMode mode);
	void started(FocusType type);
	void stopped();

protected:
	void paintEvent(QPaintEvent *event) override;

private:
	void onAFToggled(bool checked);

	Ui::ORFocusVerticalSlider *ui;
};
