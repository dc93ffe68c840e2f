#include "StickView.h"

#include "gamepad/StickResponse.h"

#include <QPainter>

namespace {

const QColor frame(0x9a, 0x9a, 0x9a);
const QColor dead(0x7bb0b7);
const QColor dot(0xE0, 0x60, 0x30);

} // namespace

StickView::StickView(QWidget *parent) : QWidget(parent)
{
	setMinimumSize(260, 110);
}

QSize StickView::sizeHint() const
{
	return {320, 130};
}

void StickView::setInput(const PadInput &input)
{
	if (input == m_input)
		return;
	m_input = input;
	update();
}

void StickView::setDeadZone(double share)
{
	m_deadZone = share;
	update();
}

void StickView::paintEvent(QPaintEvent *)
{
	QPainter painter(this);
	painter.setRenderHint(QPainter::Antialiasing);
	const qreal side = qMin<qreal>(height() - 8, (width() - 60) / 2.0);
	const QRectF left(4, 4, side, side);
	const QRectF right(left.right() + 12, 4, side, side);
	paintStick(painter, left, m_input.axes[PadMapping::LeftX], m_input.axes[PadMapping::LeftY]);
	paintStick(painter, right, m_input.axes[PadMapping::RightX], m_input.axes[PadMapping::RightY]);
	paintTrigger(painter, QRectF(right.right() + 12, 4, 12, side), m_input.axes[PadMapping::LeftTrigger]);
	paintTrigger(painter, QRectF(right.right() + 30, 4, 12, side), m_input.axes[PadMapping::RightTrigger]);
}

void StickView::paintStick(QPainter &painter, const QRectF &box, int x, int y) const
{
	painter.setPen(frame);
	painter.setBrush(Qt::NoBrush);
	painter.drawRect(box);
	// Each axis has its own dead zone: a band across the box for each.
	const qreal bandX = box.width() * m_deadZone;
	const qreal bandY = box.height() * m_deadZone;
	QColor band = dead;
	band.setAlpha(110);
	painter.setPen(Qt::NoPen);
	painter.setBrush(band);
	painter.drawRect(QRectF(box.center().x() - bandX / 2, box.top(), bandX, box.height()));
	painter.drawRect(QRectF(box.left(), box.center().y() - bandY / 2, box.width(), bandY));
	const QPointF at(box.center().x() + StickResponse::deflection(x) * box.width() / 2,
			 box.center().y() + StickResponse::deflection(y) * box.height() / 2);
	painter.setBrush(dot);
	painter.drawEllipse(at, 5, 5);
}

void StickView::paintTrigger(QPainter &painter, const QRectF &bar, int value) const
{
	painter.setPen(frame);
	painter.setBrush(Qt::NoBrush);
	painter.drawRect(bar);
	const qreal filled = bar.height() * qBound(0.0, StickResponse::deflection(value), 1.0);
	painter.setPen(Qt::NoPen);
	painter.setBrush(dot);
	painter.drawRect(QRectF(bar.left(), bar.bottom() - filled, bar.width(), filled));
	painter.setPen(dead);
	const qreal mark = bar.bottom() - bar.height() * m_deadZone;
	painter.drawLine(QPointF(bar.left() - 2, mark), QPointF(bar.right() + 2, mark));
}
