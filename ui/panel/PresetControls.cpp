#include "ui/panel/PresetControls.h"
#include "ui_MainDialog.h"

#include "ui/CellTextFitter.h"

#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QButtonGroup>
#include <QPointer>
#include <QSignalBlocker>

namespace {

QString localeText(const char *key, int number)
{
	return QString::fromUtf8(obs_module_text(key)).arg(number);
}

} // namespace

PresetControls::PresetControls(Ui::MainDialog *ui, CameraRig &rig, QObject *parent)
	: QObject(parent), ui(ui), rig(rig), buttons(new QButtonGroup(this))
{
	// Not exclusive: clicking the checked preset unchecks it.
	buttons->setExclusive(false);
	QPushButton *const presets[] = {ui->Preset1Button, ui->Preset2Button, ui->Preset3Button,
					ui->Preset4Button, ui->Preset5Button, ui->Preset6Button,
					ui->Preset7Button, ui->Preset8Button, ui->Preset9Button};
	for (int k = 0; k < 9; ++k)
		buttons->addButton(presets[k], k + 1);
	connect(buttons, &QButtonGroup::idClicked, this, &PresetControls::toggle);
	// With 10+ pressed the nine buttons stand for 11-19 and say so.
	connect(ui->TenButton, &QPushButton::toggled, this, &PresetControls::loadNames);
	connect(&rig, &CameraRig::presetRecalled, this, [this](int slot, int number) {
		if (slot == this->rig.selectedSlot())
			showStatus(localeText("PresetRecalled", number));
	});
	connect(ui->StoreButton, &QPushButton::pressed, this, [this] { storeOrCall(true); });
	connect(ui->CallButton, &QPushButton::pressed, this, [this] { storeOrCall(false); });
	connect(ui->PresetSpeedBox, &QComboBox::currentTextChanged, this, [this](const QString &text) {
		if (CameraSession *camera = this->rig.selected())
			camera->setPresetSpeed(text);
	});
	connect(&PanelSettings::instance(), &PanelSettings::presetNamesChanged, this, &PresetControls::loadNames);
}

void PresetControls::loadNames()
{
	const PanelSettings &settings = PanelSettings::instance();
	const bool tens = ui->TenButton->isChecked();
	for (int k = 1; k <= 9; ++k) {
		buttons->button(k)->setText(tens ? QString::number(10 + k) : settings.presetName(k));
		CellTextFitter::fit(buttons->button(k));
	}
}

void PresetControls::toggle(int number)
{
	QAbstractButton *clicked = buttons->button(number);
	const bool checked = clicked->isChecked();
	for (QAbstractButton *preset : buttons->buttons())
		preset->setChecked(false);
	clicked->setChecked(checked);
}

int PresetControls::selectedNumber() const
{
	const int base = ui->TenButton->isChecked() ? 10 : 0;
	for (QAbstractButton *preset : buttons->buttons()) {
		if (preset->isChecked())
			return base + buttons->id(preset);
	}
	return base;
}

void PresetControls::storeOrCall(bool store)
{
	const int number = selectedNumber();
	CameraSession *camera = rig.selected();
	if (number == 0) {
		showStatus(QString::fromUtf8(obs_module_text("ChoosePresetFirst")));
	} else if (camera != nullptr) {
		// The line follows the camera's answer; a recall's success line comes with the rig's signal, which
		// hotkeys and the bridge's recalls raise too.
		const int slot = camera->slot();
		QPointer<PresetControls> self(this);
		const auto done = [self, slot, number, store](CameraSession::Outcome outcome) {
			if (!self)
				return;
			if (outcome == CameraSession::Outcome::Completed && store)
				self->showStatus(localeText("PresetStored", number));
			else if (outcome == CameraSession::Outcome::Failed)
				self->showStatus(localeText("CameraNotAnswering", slot));
		};
		if (store)
			camera->storePreset(number, done);
		else
			rig.recallPreset(slot, number, CameraRig::Origin::Panel, done);
	}
	ui->TenButton->setChecked(false);
	for (QAbstractButton *preset : buttons->buttons())
		preset->setChecked(false);
}

void PresetControls::showStatus(const QString &text)
{
	ui->ConnectionLabel->setText(text);
}

void PresetControls::applyModel(const ViscaParamOps &ops)
{
	const QSignalBlocker block(ui->PresetSpeedBox);
	ui->PresetSpeedBox->clear();
	for (const std::string &label : Utils::sortedKeysByValue(QMap<std::string, int>(ops.presetSpeeds())))
		ui->PresetSpeedBox->addItem(QString::fromStdString(label), QVariant());
}

void PresetControls::loadPresetSpeed(const QString &settingsPrefix)
{
	const PanelSettings &settings = PanelSettings::instance();
	if (settings.hasCameraValue(settingsPrefix, PanelSettings::CameraField::PresetSpeed))
		ui->PresetSpeedBox->setCurrentText(
			settings.cameraValue(settingsPrefix, PanelSettings::CameraField::PresetSpeed));
}
