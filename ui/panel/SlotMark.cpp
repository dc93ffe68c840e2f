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

// The state's mark, and the program (red) or preview (green) mark to its right.
QIcon markIcon(const QColor &colour, CameraRig::OnAir air)
{
	const bool onAir = air != CameraRig::OnAir::No;
	QPixmap pixmap(onAir ? 38 : 20, 20);
	pixmap.fill(Qt::transparent);
	QPainter painter(&pixmap);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
	painter.setBrush(colour);
	painter.drawEllipse(QRectF(3.5, 3.5, 13, 13));
	if (onAir) {
		painter.setBrush(air == CameraRig::OnAir::Program ? QColor(0xFF, 0x1E, 0x1E)
								  : QColor(0x1E, 0xC8, 0x3C));
		painter.drawRoundedRect(QRectF(21.5, 3.5, 13, 13), 2, 2);
	}
	return QIcon(pixmap);
}

} // namespace

void showSlotState(QAbstractButton *button, CameraSession::State state, CameraRig::OnAir air)
{
	const Look look = lookOf(state);
	QString words = QString::fromUtf8(obs_module_text(look.textKey));
	if (air != CameraRig::OnAir::No)
		words += QStringLiteral(", ") +
			 QString::fromUtf8(obs_module_text(air == CameraRig::OnAir::Program ? "CameraOnProgram"
											    : "CameraOnPreview"));
	button->setIcon(markIcon(look.colour, air));
	button->setIconSize(QSize(air != CameraRig::OnAir::No ? 19 : 10, 10));
	button->setToolTip(words);
	button->setAccessibleDescription(words);
}
