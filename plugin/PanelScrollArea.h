#pragma once

#include <QScrollArea>

// Holds the panel in its dock. It asks for the panel's whole size (QScrollArea caps its wish at a few dozen
// lines of text), so a new or floating dock opens at the size of the current view; when the dock is narrower
// the panel scrolls rather than squeezes.
class PanelScrollArea : public QScrollArea {
	Q_OBJECT

public:
	explicit PanelScrollArea(QWidget *parent = nullptr);

	QSize sizeHint() const override;
};
