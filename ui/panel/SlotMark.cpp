#include "ui/panel/SlotMark.h"

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

// A dot in the button's top right corner, over the button rather than in its layout, so that the slot's name
// keeps all of its width.
class Dot : public QWidget {
public:
	explicit Dot(QAbstractButton *button) : QWidget(button)
	{
		setObjectName("SlotStateMark");
		setAttribute(Qt::WA_TransparentForMouseEvents);
		resize(markSize, markSize);
		place();
		button->installEventFilter(this);
	}
	QColor colour;

protected:
	void paintEvent(QPaintEvent *) override
	{
		QPainter painter(this);
		painter.setRenderHint(QPainter::Antialiasing);
		painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
		painter.setBrush(colour);
		painter.drawEllipse(QRectF(0.5, 0.5, markSize - 1, markSize - 1));
	}
	bool eventFilter(QObject *watched, QEvent *event) override
	{
		if (event->type() == QEvent::Resize)
			place();
		return QWidget::eventFilter(watched, event);
	}

private:
	void place() { move(parentWidget()->width() - markSize - 3, 3); }
};

} // namespace

void showSlotState(QAbstractButton *button, CameraSession::State state)
{
	auto *dot = static_cast<Dot *>(button->findChild<QWidget *>("SlotStateMark", Qt::FindDirectChildrenOnly));
	if (dot == nullptr) {
		dot = new Dot(button);
		dot->show();
	}
	const Look look = lookOf(state);
	dot->colour = look.colour;
	dot->update();
	const QString words = QString::fromUtf8(obs_module_text(look.textKey));
	button->setToolTip(words);
	button->setAccessibleDescription(words);
}
