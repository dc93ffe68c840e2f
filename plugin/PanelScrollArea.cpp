#include "PanelScrollArea.h"

PanelScrollArea::PanelScrollArea(QWidget *parent) : QScrollArea(parent)
{
	setFrameShape(QFrame::NoFrame);
	setStyleSheet("QScrollArea { background-color: #474747; }");
	// The panel keeps the fixed size of its view.
	setWidgetResizable(false);
	setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QSize PanelScrollArea::sizeHint() const
{
	const int frame = 2 * frameWidth();
	return widget() ? widget()->size() + QSize(frame, frame) : QScrollArea::sizeHint();
}
