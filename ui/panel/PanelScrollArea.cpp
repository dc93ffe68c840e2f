#include "PanelScrollArea.h"

#include <QResizeEvent>
#include <QStyle>

PanelScrollArea::PanelScrollArea(QWidget *parent) : QScrollArea(parent)
{
	setFrameShape(QFrame::NoFrame);
	setStyleSheet("QScrollArea { background-color: #474747; }");
	// The panel takes the room between its least and its designed size.
	setWidgetResizable(true);
	setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QSize PanelScrollArea::sizeHint() const
{
	// With room for a vertical scroll bar: a dock shorter than the view keeps the view's width.
	const int frame = 2 * frameWidth();
	const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
	return widget() ? widget()->sizeHint() + QSize(frame + bar, frame) : QScrollArea::sizeHint();
}

void PanelScrollArea::resizeEvent(QResizeEvent *event)
{
	const int frame = 2 * frameWidth();
	if (widget())
		QMetaObject::invokeMethod(widget(), "fitTo", Qt::DirectConnection,
					  Q_ARG(QSize, event->size() - QSize(frame, frame)));
	QScrollArea::resizeEvent(event);
}
