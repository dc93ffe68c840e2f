#pragma once

#include "gamepad/PadInput.h"

#include <QWidget>

// A pad's sticks and triggers as they are pushed now, with the dead zone drawn: a band round each stick's axes
// and a mark on each trigger, inside which nothing moves.
class StickView : public QWidget {
	Q_OBJECT

public:
	explicit StickView(QWidget *parent = nullptr);

	void setInput(const PadInput &input);
	void setDeadZone(double share);
	QSize sizeHint() const override;

protected:
	void paintEvent(QPaintEvent *event) override;

private:
	void paintStick(class QPainter &painter, const QRectF &box, int x, int y) const;
	void paintTrigger(class QPainter &painter, const QRectF &bar, int value) const;

	PadInput m_input;
	double m_deadZone = 0.15;
};
