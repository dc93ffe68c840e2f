#pragma once

#include <QScrollArea>

// Holds the panel in its dock. It asks for the view's whole designed size (QScrollArea caps its wish at a few
// dozen lines of text), so a new or floating dock opens at the size of the current view. Each change of the
// dock's room goes to the panel first, which picks the layout that fits it; only what still does not fit scrolls.
class PanelScrollArea : public QScrollArea {
	Q_OBJECT

public:
	explicit PanelScrollArea(QWidget *parent = nullptr);

	QSize sizeHint() const override;

protected:
	void resizeEvent(QResizeEvent *event) override;
};
