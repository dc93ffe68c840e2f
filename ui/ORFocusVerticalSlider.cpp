#include "ORFocusVerticalSlider.h"
#include "ui_ORFocusVerticalSlider.h"

#include <QPainter>
#include <QPainterPath>

ORFocusVerticalSlider::ORFocusVerticalSlider(QWidget *parent) : QWidget(parent), ui(new Ui::ORFocusVerticalSlider)
{
	qRegisterMetaType<FocusType>("FocusType");
	qRegisterMetaType<AFMode>("AFMode");
	ui->setupUi(this);
	connect(ui->AFButton, &QPushButton::toggled, this, &ORFocusVerticalSlider::onAFToggled);
	connect(ui->FocusPlusButton, &QPushButton::pressed, this, [this]() { emit started(FocusPlus); });
	connect(ui->FocusPlusButton, &QPushButton::released, this, &ORFocusVerticalSlider::stopped);
	connect(ui->FocusMinusButton, &QPushButton::pressed, this, [this]() { emit started(FocusMinus); });
	connect(ui->FocusMinusButton, &QPushButton::released, this, &ORFocusVerticalSlider::stopped);
	connect(ui->FocusSlider, &QSlider::valueChanged, this, &ORFocusVerticalSlider::valueChanged);
}

ORFocusVerticalSlider::~ORFocusVerticalSlider()
{
	delete ui;
}

void ORFocusVerticalSlider::setRange(int min, int max)
{
	ui->FocusSlider->setMaximum(max);
	ui->FocusSlider->setMinimum(min);
}

void ORFocusVerticalSlider::setValue(int value)
{
	ui->FocusSlider->setValue(value);
}

void ORFocusVerticalSlider::setMode(AFMode mode)
{
	if (mode != AutoFocus && mode != ManualFocus)
		return;
	const bool manual = mode == ManualFocus;
	ui->FocusPlusButton->setEnabled(manual);
	ui->FocusMinusButton->setEnabled(manual);
	ui->FocusSlider->setEnabled(manual);
}

void ORFocusVerticalSlider::onAFToggled(bool checked)
{
	ui->FocusPlusButton->setEnabled(!checked);
	ui->FocusMinusButton->setEnabled(!checked);
	ui->FocusSlider->setEnabled(!checked);
	emit modeChanged(checked ? AutoFocus : ManualFocus);
}

void ORFocusVerticalSlider::paintEvent(QPaintEvent *)
{
	QPainter painter(this);
	painter.setRenderHint(QPainter::Antialiasing);
	QPainterPath path;
	path.addRoundedRect(QRectF(0, 0, width(), height()), 10, 10, Qt::AbsoluteSize);
	painter.fillPath(path, QColor(96, 96, 96));
}
