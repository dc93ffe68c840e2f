#pragma once

#include <QHash>
#include <QObject>
#include <QSize>

class QHBoxLayout;
class QWidget;

namespace Ui {
class MainDialog;
}

// Fits the panel's form to the room its dock or window gives it. From the room for the simple view down, the form
// keeps its designed sizes; narrower, the controls take their compact sizes and the rows that cannot shrink wrap;
// narrower than both columns side by side, the picture controls go below the motion controls; shorter than the
// form, the logo gives up its room. Only sizes and places change: every control keeps its object and its name.
class PanelReflow : public QObject {
	Q_OBJECT

public:
	PanelReflow(Ui::MainDialog *ui, QWidget *panel);

	void setAdvanced(bool advanced);
	bool advanced() const { return advancedShown; }
	// The room the panel may take (a dock's visible area); an invalid size: as much as the view asks.
	void fitTo(QSize room);
	QSize room() const { return lastRoom; }

	// The view's designed size: what a dock opening or changing view takes.
	QSize sizeHint() const { return viewHint; }

	bool compact() const { return compactShown; }
	bool stacked() const { return stackedShown; }

	// The designed widths of the views: the room they take when nothing is narrower.
	static constexpr int simpleWidth = 425;
	static constexpr int advancedWidth = 880;

signals:
	// The panel's view changed (simple or advanced): a dock resizes to it.
	void viewChanged();

private:
	void apply(bool compact, bool stacked, bool logo);
	void setCompact(bool compact);
	void setStacked(bool stacked);
	int formHeight() const;

	Ui::MainDialog *ui;
	QWidget *panel;
	bool advancedShown = false;
	bool compactShown = false;
	bool stackedShown = false;
	bool logoShown = true;
	QSize lastRoom;
	QSize viewHint;
	int sideBySideWidth = 0;
	// The form's own sizes, restored when the room grows again, and the compact minimum widths.
	QHash<QWidget *, QSize> designedMinimum;
	QHash<QWidget *, QSize> designedMaximum;
	QHash<QWidget *, int> compactMinimum;
	// Where the blue gain and one push go when the gain row wraps.
	QHBoxLayout *secondGainRow = nullptr;
	// Where the preset speed goes when the speed rows wrap.
	QHBoxLayout *secondSpeedRow = nullptr;
};
