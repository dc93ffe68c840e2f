#include "ui/panel/SlotMark.h"
#include "ui/CellTextFitter.h"

#include "plugin/ModuleText.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

constexpr int markSize = 8;

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

// Marks in the button's top right corner, over the button rather than in its layout, so that the slot's name
// keeps all of its width: the state's dot, and left of it a square while the camera is on program or preview.
class Marks : public QWidget {
public:
	explicit Marks(QAbstractButton *button) : QWidget(button)
	{
		setObjectName("SlotStateMark");
		setAttribute(Qt::WA_TransparentForMouseEvents);
		button->installEventFilter(this);
	}
	void show(const QColor &dot, const QColor &air)
	{
		state = dot;
		onAir = air;
		resize(air.isValid() ? 2 * markSize + 3 : markSize, markSize);
		place();
		update();
		QWidget::show();
	}

protected:
	void paintEvent(QPaintEvent *) override
	{
		QPainter painter(this);
		painter.setRenderHint(QPainter::Antialiasing);
		painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
		painter.setBrush(state);
		painter.drawEllipse(QRectF(width() - markSize + 0.5, 0.5, markSize - 1, markSize - 1));
		if (onAir.isValid()) {
			painter.setBrush(onAir);
			painter.drawRoundedRect(QRectF(0.5, 0.5, markSize - 1, markSize - 1), 1.5, 1.5);
		}
	}
	bool eventFilter(QObject *watched, QEvent *event) override
	{
		if (event->type() == QEvent::Resize)
			place();
		return QWidget::eventFilter(watched, event);
	}

private:
	void place() { move(parentWidget()->width() - width() - 3, 3); }

	QColor state;
	QColor onAir;
};

} // namespace

void showSlotState(QAbstractButton *button, CameraSession::State state, CameraRig::OnAir air)
{
	auto *marks = static_cast<Marks *>(button->findChild<QWidget *>("SlotStateMark", Qt::FindDirectChildrenOnly));
	if (marks == nullptr)
		marks = new Marks(button);
	const Look look = lookOf(state);
	const QColor airColour = air == CameraRig::OnAir::Program   ? QColor(0xFF, 0x1E, 0x1E)
				 : air == CameraRig::OnAir::Preview ? QColor(0x1E, 0xC8, 0x3C)
								    : QColor();
	marks->show(look.colour, airColour);
	QString words = QString::fromUtf8(obs_module_text(look.textKey));
	if (air != CameraRig::OnAir::No)
		words += QStringLiteral(", ") +
			 QString::fromUtf8(obs_module_text(air == CameraRig::OnAir::Program ? "CameraOnProgram"
											    : "CameraOnPreview"));
	CellTextFitter::setToolTipSuffix(button, words);
	button->setAccessibleDescription(words);
}
