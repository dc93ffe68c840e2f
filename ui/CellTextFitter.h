#pragma once

#include <QObject>

class QWidget;

// The fixed-width cells of the forms were sized for the English words. Whenever such a label or button is laid
// out anew, a text wider than the cell is shown cut short with an ellipsis and keeps the full text as its tool
// tip; when the cell is wide enough again, the full text comes back. A combo box keeps its items and draws its
// current text elided.
class CellTextFitter : public QObject {
	Q_OBJECT

public:
	// Watches the fixed-width labels and buttons, and the combo boxes, that window has now.
	explicit CellTextFitter(QWidget *window);

	// Also watches a label or button that grows with its layout: in a window of fixed size its text must not
	// widen it.
	void watch(QWidget *cell);
	// Fits a watched cell at once, after its text changed with no new layout to follow.
	static void fit(QWidget *cell);
	// A tool tip of the cell's own (a state) that the full text joins while the text is cut.
	static void setToolTipSuffix(QWidget *cell, const QString &suffix);

protected:
	bool eventFilter(QObject *watched, QEvent *event) override;
};
