#include "CellTextFitter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVariant>

namespace {

const char *const fullTextProperty = "cellFullText";
const char *const shownTextProperty = "cellShownText";
const char *const toolTipSuffixProperty = "cellToolTipSuffix";

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
	const QString suffix = cell->property(toolTipSuffixProperty).toString();
	if (!suffix.isEmpty())
		cell->setToolTip(fits ? suffix : full + QLatin1Char('\n') + suffix);
	else if (fits && cell->toolTip() == full)
		cell->setToolTip(QString());
	else if (!fits)
		cell->setToolTip(full);
	// Screen readers and tools that read the widget tree keep the whole text too.
	if (cell->accessibleName().isEmpty() || cell->accessibleName() == cell->property(fullTextProperty).toString())
		cell->setAccessibleName(fits ? QString() : full);
	if (cell->text() != shown)
		cell->setText(shown);
	cell->setProperty(fullTextProperty, full);
	cell->setProperty(shownTextProperty, shown);
}

// initStyleOption is protected in Qt 5; a pointer to it through a subclass is not.
struct ComboOptions : QComboBox {
	using QComboBox::initStyleOption;
};

// Paints the box as QComboBox does, its current text elided to the edit field; false when the text fits and the
// box paints itself. The tool tip holds the whole text while it is cut.
bool paintElided(QComboBox *box)
{
	if (box->isEditable())
		return false;
	QStyleOptionComboBox option;
	(box->*&ComboOptions::initStyleOption)(&option);
	const QRect field =
		box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
	const QString full = option.currentText;
	const QFontMetrics metrics(box->font());
	const int room = field.width() - 4;
	const bool fits = full.isEmpty() || metrics.horizontalAdvance(full) <= room;
	if (fits) {
		if (!box->toolTip().isEmpty() && box->toolTip() == box->property(fullTextProperty).toString())
			box->setToolTip(QString());
		return false;
	}
	box->setToolTip(full);
	box->setProperty(fullTextProperty, full);
	option.currentText = metrics.elidedText(full, Qt::ElideRight, room);
	QStylePainter painter(box);
	painter.setPen(box->palette().color(QPalette::Text));
	painter.drawComplexControl(QStyle::CC_ComboBox, option);
	painter.drawControl(QStyle::CE_ComboBoxLabel, option);
	return true;
}

} // namespace

CellTextFitter::CellTextFitter(QWidget *window) : QObject(window)
{
	// A cell that may grow takes the width of its full text from its layout; cutting its text would shrink it.
	for (QWidget *cell : window->findChildren<QWidget *>()) {
		if ((qobject_cast<QLabel *>(cell) || qobject_cast<QAbstractButton *>(cell)) &&
		    cell->maximumWidth() < QWIDGETSIZE_MAX)
			cell->installEventFilter(this);
		else if (qobject_cast<QComboBox *>(cell))
			cell->installEventFilter(this);
	}
}

void CellTextFitter::watch(QWidget *cell)
{
	cell->installEventFilter(this);
}

void CellTextFitter::fit(QWidget *cell)
{
	if (auto *label = qobject_cast<QLabel *>(cell))
		fitCell(label, label->contentsRect().width() - 2 * label->margin());
	else if (auto *button = qobject_cast<QAbstractButton *>(cell))
		fitCell(button, button->width() - 2); // the style's frame around the text
}

void CellTextFitter::setToolTipSuffix(QWidget *cell, const QString &suffix)
{
	cell->setProperty(toolTipSuffixProperty, suffix);
	const QString shown = cell->property(shownTextProperty).toString();
	const QString full = cell->property(fullTextProperty).toString();
	const bool cut = !shown.isEmpty() && shown != full;
	cell->setToolTip(cut ? full + QLatin1Char('\n') + suffix : suffix);
}

bool CellTextFitter::eventFilter(QObject *watched, QEvent *event)
{
	// A cell's resize event comes once its layout has placed it.
	if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
		if (auto *cell = qobject_cast<QWidget *>(watched))
			fit(cell);
	} else if (event->type() == QEvent::Paint) {
		if (auto *box = qobject_cast<QComboBox *>(watched))
			return paintElided(box);
	}
	return QObject::eventFilter(watched, event);
}
