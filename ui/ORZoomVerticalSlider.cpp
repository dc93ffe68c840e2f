#include "ORZoomVerticalSlider.h"
#include "ui_ORZoomVerticalSlider.h"

#include <QPainter>
#include <QPainterPath>

ORZoomVerticalSlider::ORZoomVerticalSlider(QWidget *parent) : QWidget(parent), ui(new Ui::ORZoomVerticalSlider)
{
	qRegisterMetaType<ZoomType>("ZoomType");
	ui->setupUi(this);
	connect(ui->ZoomPlusButton, &QPushButton::pressed, this, [this]() { emit started(ZoomPlus); });
	connect(ui->ZoomPlusButton, &QPushButton::released, this, &ORZoomVerticalSlider::stopped);
	connect(ui->ZoomMinusButton, &QPushButton::pressed, this, [this]() { emit started(ZoomMinus); });
	connect(ui->ZoomMinusButton, &QPushButton::released, this, &ORZoomVerticalSlider::stopped);
	connect(ui->ZoomSlider, &QSlider::valueChanged, this, &ORZoomVerticalSlider::valueChanged);
}

ORZoomVerticalSlider::~ORZoomVerticalSlider()
{
	delete ui;
}

void ORZoomVerticalSlider::setRange(int min, int max)
{
	ui->ZoomSlider->setMaximum(max);
	ui->ZoomSlider->setMinimum(min);
}

void ORZoomVerticalSlider::setValue(int value)
{
	ui->ZoomSlider->setValue(value);
}

void ORZoomVerticalSlider::paintEvent(QPaintEvent *)
{
	QPainter painter(this);
	painter.setRenderHint(QPainter::Antialiasing);
	QPainterPath path;
	path.addRoundedRect(QRectF(0, 0, width(), height()), 10, 10, Qt::AbsoluteSize);
	painter.fillPath(path, QColor(96, 96, 96));
}
