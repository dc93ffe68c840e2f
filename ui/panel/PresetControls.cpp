#include "ui/panel/PresetControls.h"
#include "ui_MainDialog.h"

#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QButtonGroup>
#include <QSignalBlocker>

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
	for (int k = 1; k <= 9; ++k)
		buttons->button(k)->setText(settings.presetName(k));
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
	if (number > 0 && camera != nullptr) {
		if (store)
			camera->storePreset(number);
		else
			rig.recallPreset(camera->slot(), number, CameraRig::Origin::Panel);
	}
	ui->TenButton->setChecked(false);
	for (QAbstractButton *preset : buttons->buttons())
		preset->setChecked(false);
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
