#include "ReadingOrder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace {

const char *const readingOrder[] = {
	"SettingsButton",     "ViewButton",    "HelpButton",      "Camera1Button",    "Camera2Button",
	"Camera3Button",      "Camera4Button", "Camera5Button",   "Camera6Button",    "Camera7Button",
	"Camera8Button",      "ZoomWidget",    "UpperLeftButton", "UpButton",         "UpperRightButton",
	"LefButton",          "HomeButton",    "RightButton",     "LowerLeftButton",  "DownButton",
	"LowerRightButton",   "FocusWidget",   "Preset1Button",   "Preset2Button",    "Preset3Button",
	"Preset4Button",      "Preset5Button", "Preset6Button",   "Preset7Button",    "Preset8Button",
	"Preset9Button",      "StoreButton",   "TenButton",       "CallButton",       "PanSpeedEdit",
	"TiltSpeedEdit",      "ZoomSpeedEdit", "FocusSpeedEdit",  "PresetSpeedBox",   "ExposureModeBox",
	"ShutterSpeedButton", "IrisButton",    "GainButton",      "LowLightButton",   "IndoorButton",
	"BackLightButton",    "MotionButton",  "AWBModeBox",      "RGainButton",      "BGainButton",
	"OnePushButton",      "ImageModeBox",  "SharpnessButton", "SaturationButton", "HueButton",
	"GammaButton",        "DigEffectBox"};

// A control the keyboard reaches: the form keeps clicks from taking the focus (the host's hotkeys stay live
// after a click), Tab still gets there.
bool takesTab(QWidget *widget)
{
	if (qobject_cast<QComboBox *>(widget->parentWidget()))
		return false;
	const bool control = qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
			     qobject_cast<QLineEdit *>(widget);
	if (control && !(widget->focusPolicy() & Qt::TabFocus))
		widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() | Qt::TabFocus));
	return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

} // namespace

void setReadingOrder(QWidget *panel)
{
	if (panel->layout())
		panel->layout()->activate(); // the parts' pieces in their places
	QList<QWidget *> chain;
	for (const char *name : readingOrder) {
		QWidget *part = panel->findChild<QWidget *>(QString::fromLatin1(name));
		if (part == nullptr)
			continue;
		if (takesTab(part))
			chain << part;
		QList<QWidget *> inner;
		for (QWidget *child : part->findChildren<QWidget *>()) {
			if (takesTab(child))
				inner << child;
		}
		// The form places a part's own pieces: their designed places give their order.
		std::stable_sort(inner.begin(), inner.end(), [part](const QWidget *a, const QWidget *b) {
			const QPoint pa = a->mapTo(part, QPoint(0, 0));
			const QPoint pb = b->mapTo(part, QPoint(0, 0));
			return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
		});
		chain << inner;
	}
	for (int i = 1; i < chain.size(); ++i)
		QWidget::setTabOrder(chain[i - 1], chain[i]);
	// A control surface has no button that Enter stands for: Enter in a field must not click a button that the
	// keyboard can now reach (QDialog would make the first one its default).
	for (QPushButton *button : panel->findChildren<QPushButton *>()) {
		button->setAutoDefault(false);
		button->setDefault(false);
	}
}
