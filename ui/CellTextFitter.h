#pragma once

#include <QObject>

class QWidget;

// The fixed-width cells of the forms were sized for the English words. Whenever such a label or button is laid
// out anew, a text wider than the cell is shown cut short with an ellipsis and keeps the full text as its tool
// tip; when the cell is wide enough again, the full text comes back.
class CellTextFitter : public QObject {
	Q_OBJECT

public:
	// Watches the fixed-width labels and buttons that window has now.
	explicit CellTextFitter(QWidget *window);

protected:
	bool eventFilter(QObject *watched, QEvent *event) override;
};
