#include "ORPlusMinusButton.h"
#include "ui_ORPlusMinusButton.h"

#include "settings/Utils.h"
#include "visca/DeveloperLog.h"

#include <QDebug>
#include <QFontMetrics>

ORPlusMinusButton::ORPlusMinusButton(QWidget *parent) : QWidget(parent), ui(new Ui::ORPlusMinusButton)
{
	ui->setupUi(this);
	ui->InputEdit->setEnabled(false);
	connect(ui->PlusButton, &QPushButton::clicked, this, &ORPlusMinusButton::stepUp);
	connect(ui->MinusButton, &QPushButton::clicked, this, &ORPlusMinusButton::stepDown);
}

ORPlusMinusButton::~ORPlusMinusButton()
{
	delete ui;
}

void ORPlusMinusButton::setElements(const QMap<std::string, int> &elements)
{
	_rangeMode = false;
	_elementValues = elements;
	_elements = Utils::sortedKeysByValue(elements);
}

void ORPlusMinusButton::setRange(int min, int max)
{
	_rangeMode = true;
	MinValue = min;
	MaxValue = max;
	const bool enabled = min != max;
	ui->InputEdit->setEnabled(enabled);
	ui->MinusButton->setEnabled(enabled);
	ui->PlusButton->setEnabled(enabled);
}

void ORPlusMinusButton::setStepEnabled(bool enabled)
{
	if (MinValue != MaxValue) {
		ui->PlusButton->setEnabled(enabled);
		ui->MinusButton->setEnabled(enabled);
	}
	ui->InputEdit->setEnabled(false);
}

bool ORPlusMinusButton::setValue(int value)
{
	if (_rangeMode) {
		DeveloperLog::line("value == %d", value);
		if (value < MinValue || value > MaxValue) {
			DeveloperLog::line("The value is not in the range(MaxValue and MinValue)");
			return false;
		}
		showLabel(QString::number(value));
		return true;
	}
	for (auto it = _elementValues.cbegin(); it != _elementValues.cend(); ++it) {
		if (it.value() == value) {
			showLabel(QString::fromStdString(it.key()));
			return true;
		}
	}
	DeveloperLog::line("The value cant' be set.");
	return false;
}

int ORPlusMinusButton::valueOf(QString label)
{
	if (_rangeMode)
		return currentLabel().toInt(nullptr, 10);
	return _elementValues.value(label.toStdString(), -1);
}

void ORPlusMinusButton::stepUp()
{
	if (_rangeMode) {
		const int v = currentLabel().toInt(nullptr, 10);
		if (v >= MaxValue) {
			DeveloperLog::line("The value is greater than MaxValue.");
			return;
		}
		// A field below the range (empty, before the first value is shown) steps onto MinValue, never outside.
		const int next = v < MinValue ? MinValue : v + 1;
		showLabel(QString::number(next));
		emit valueChanged(next);
		return;
	}
	const int i = _elements.indexOf(currentLabel().toStdString());
	if (i < 0) {
		DeveloperLog::line("The value is not contained in _elements.");
		return;
	}
	if (i + 1 >= _elements.size()) {
		DeveloperLog::line("The value is greater than or equal to the size of _elements.");
		return;
	}
	const std::string &label = _elements.at(i + 1);
	const int code = _elementValues.value(label);
	DeveloperLog::line("key value = %d", code);
	showLabel(QString::fromStdString(label));
	emit valueChanged(code);
}

void ORPlusMinusButton::stepDown()
{
	if (_rangeMode) {
		const int v = currentLabel().toInt(nullptr, 10);
		if (MinValue >= v) {
			DeveloperLog::line("The value is littler than or equal to MinValue(%d).", MinValue);
			return;
		}
		// Likewise a field above the range steps onto MaxValue.
		const int next = v > MaxValue ? MaxValue : v - 1;
		showLabel(QString::number(next));
		emit valueChanged(next);
		return;
	}
	const int i = _elements.indexOf(currentLabel().toStdString());
	if (i < 0) {
		DeveloperLog::line("The value is not contained in _elements.");
		return;
	}
	if (i == 0) {
		DeveloperLog::line("The value is littler than or equal to 0.");
		return;
	}
	const std::string &label = _elements.at(i - 1);
	const int code = _elementValues.value(label);
	showLabel(QString::fromStdString(label));
	emit valueChanged(code);
}

// A label wider than the field ("Not supported" in a narrow one) is cut with an ellipsis and whole in the tool
// tip; the steps go by the whole label.
void ORPlusMinusButton::showLabel(const QString &label)
{
	_label = label;
	QLineEdit *field = ui->InputEdit;
	const QMargins margins = field->textMargins();
	const int room = field->contentsRect().width() - margins.left() - margins.right() - 6;
	const QFontMetrics metrics(field->font());
	const bool fits = room <= 0 || metrics.horizontalAdvance(_label) <= room;
	_shown = fits ? _label : metrics.elidedText(_label, Qt::ElideRight, room);
	field->setText(_shown);
	field->setToolTip(fits ? QString() : _label);
	field->setCursorPosition(0);
}

QString ORPlusMinusButton::currentLabel() const
{
	// A text typed or set into the field since it was last shown counts as written.
	const QString text = ui->InputEdit->text();
	return text == _shown ? _label : text;
}

void ORPlusMinusButton::resizeEvent(QResizeEvent *event)
{
	QWidget::resizeEvent(event);
	showLabel(currentLabel());
}
