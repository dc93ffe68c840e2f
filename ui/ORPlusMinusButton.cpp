#include "ORPlusMinusButton.h"
#include "ui_ORPlusMinusButton.h"

#include "settings/Utils.h"

#include <QDebug>

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
		qDebug("value == %d", value);
		if (value < MinValue || value > MaxValue) {
			qDebug("The value is not in the range(MaxValue and MinValue)");
			return false;
		}
		ui->InputEdit->setText(QString::number(value));
		return true;
	}
	for (auto it = _elementValues.cbegin(); it != _elementValues.cend(); ++it) {
		if (it.value() == value) {
			ui->InputEdit->setText(QString::fromStdString(it.key()));
			return true;
		}
	}
	qDebug("The value cant' be set.");
	return false;
}

int ORPlusMinusButton::valueOf(QString label)
{
	if (_rangeMode)
		return ui->InputEdit->text().toInt(nullptr, 10);
	return _elementValues.value(label.toStdString(), -1);
}

void ORPlusMinusButton::stepUp()
{
	if (_rangeMode) {
		const int v = ui->InputEdit->text().toInt(nullptr, 10);
		if (v >= MaxValue) {
			qDebug("The value is greater than MaxValue.");
			return;
		}
		// A field below the range (empty, before the first value is shown) steps onto MinValue, never outside.
		const int next = v < MinValue ? MinValue : v + 1;
		ui->InputEdit->setText(QString::number(next));
		emit valueChanged(next);
		return;
	}
	const int i = _elements.indexOf(ui->InputEdit->text().toStdString());
	if (i < 0) {
		qDebug("The value is not contained in _elements.");
		return;
	}
	if (i + 1 >= _elements.size()) {
		qDebug("The value is greater than or equal to the size of _elements.");
		return;
	}
	const std::string &label = _elements.at(i + 1);
	const int code = _elementValues.value(label);
	qDebug("key value = %d", code);
	ui->InputEdit->setText(QString::fromStdString(label));
	emit valueChanged(code);
}

void ORPlusMinusButton::stepDown()
{
	if (_rangeMode) {
		const int v = ui->InputEdit->text().toInt(nullptr, 10);
		if (MinValue >= v) {
			qDebug("The value is littler than or equal to MinValue(%d).", MinValue);
			return;
		}
		// Likewise a field above the range steps onto MaxValue.
		const int next = v > MaxValue ? MaxValue : v - 1;
		ui->InputEdit->setText(QString::number(next));
		emit valueChanged(next);
		return;
	}
	const int i = _elements.indexOf(ui->InputEdit->text().toStdString());
	if (i < 0) {
		qDebug("The value is not contained in _elements.");
		return;
	}
	if (i == 0) {
		qDebug("The value is littler than or equal to 0.");
		return;
	}
	const std::string &label = _elements.at(i - 1);
	const int code = _elementValues.value(label);
	ui->InputEdit->setText(QString::fromStdString(label));
	emit valueChanged(code);
}
