#include "CellTextFitter.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QVariant>

namespace {

const char *const fullTextProperty = "cellFullText";
const char *const shownTextProperty = "cellShownText";

template <typename Cell>
void fitCell(Cell *cell, int room)
{
	// A text set since the last fit replaces the remembered one.
	QString full = cell->text();
	if (cell->property(shownTextProperty).toString() == full && cell->property(fullTextProperty).isValid())
		full = cell->property(fullTextProperty).toString();
	if (full.isEmpty() || room <= 0)
		return;
	const QFontMetrics metrics(cell->font());
	const bool fits = metrics.horizontalAdvance(full) <= room;
	const QString shown = fits ? full : metrics.elidedText(full, Qt::ElideRight, room);
	if (fits && cell->toolTip() == full)
		cell->setToolTip(QString());
	else if (!fits)
		cell->setToolTip(full);
	if (cell->text() != shown)
		cell->setText(shown);
	cell->setProperty(fullTextProperty, full);
	cell->setProperty(shownTextProperty, shown);
}

} // namespace

CellTextFitter::CellTextFitter(QWidget *window) : QObject(window)
{
	// A cell that may grow takes the width of its full text from its layout; cutting its text would shrink it.
	for (QWidget *cell : window->findChildren<QWidget *>()) {
		if ((qobject_cast<QLabel *>(cell) || qobject_cast<QAbstractButton *>(cell)) &&
		    cell->maximumWidth() < QWIDGETSIZE_MAX)
			cell->installEventFilter(this);
	}
}

bool CellTextFitter::eventFilter(QObject *watched, QEvent *event)
{
	// A cell's resize event comes once its layout has placed it.
	if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
		if (auto *label = qobject_cast<QLabel *>(watched))
			fitCell(label, label->contentsRect().width() - 2 * label->margin());
		else if (auto *button = qobject_cast<QAbstractButton *>(watched))
			fitCell(button, button->width() - 2); // the style's frame around the text
	}
	return QObject::eventFilter(watched, event);
}
