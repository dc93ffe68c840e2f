#pragma once

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

// The fixed-width cells of the forms were sized for the English words. A translation that does not fit is cut
// short with an ellipsis and keeps its full text as the tool tip, so nothing is clipped mid-letter.
template <typename Cell> void elideFixedCell(Cell *cell, int padding)
{
	if (cell->maximumWidth() >= QWIDGETSIZE_MAX || cell->text().isEmpty())
		return;
	cell->ensurePolished(); // the form's style sheet sets the font
	const QFontMetrics metrics(cell->font());
	const int room = cell->maximumWidth() - padding;
	const QString full = cell->text();
	if (metrics.horizontalAdvance(full) <= room)
		return;
	cell->setToolTip(full);
	cell->setText(metrics.elidedText(full, Qt::ElideRight, room));
}

// Run once the texts are set.
inline void elideFixedCells(QWidget *root)
{
	for (QLabel *label : root->findChildren<QLabel *>())
		elideFixedCell(label, 2 * label->margin() + 2 * label->frameWidth());
	for (QAbstractButton *button : root->findChildren<QAbstractButton *>())
		elideFixedCell(button, 6);
}
