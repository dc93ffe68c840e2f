#include "ui/panel/SlotMark.h"

#include "plugin/ModuleText.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

struct Look {
	const char *textKey;
	QColor colour;
};

Look lookOf(CameraSession::State state)
{
	switch (state) {
	case CameraSession::State::Connected:
		return {"CameraStateConnected", QColor(0x4C, 0xD9, 0x64)};
	case CameraSession::State::Connecting:
		return {"CameraStateConnecting", QColor(0xF2, 0xC1, 0x4E)};
	case CameraSession::State::NotAnswering:
		return {"CameraStateNotAnswering", QColor(0xE8, 0x4A, 0x3F)};
	case CameraSession::State::NoAddress:
		break;
	}
	return {"CameraStateNoAddress", QColor(0x9A, 0x9A, 0x9A)};
}

QIcon markIcon(const QColor &colour)
{
	QPixmap pixmap(20, 20);
	pixmap.fill(Qt::transparent);
	QPainter painter(&pixmap);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
	painter.setBrush(colour);
	painter.drawEllipse(QRectF(3.5, 3.5, 13, 13));
	return QIcon(pixmap);
}

} // namespace

void showSlotState(QAbstractButton *button, CameraSession::State state)
{
	const Look look = lookOf(state);
	const QString words = QString::fromUtf8(obs_module_text(look.textKey));
	button->setIcon(markIcon(look.colour));
	button->setIconSize(QSize(10, 10));
	button->setToolTip(words);
	button->setAccessibleDescription(words);
}
