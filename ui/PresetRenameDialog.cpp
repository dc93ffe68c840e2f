#include "PresetRenameDialog.h"
#include "ui_PresetRenameDialog.h"
#include "CellTextFitter.h"
#include "HostThemeReset.h"

#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"

PresetRenameDialog::PresetRenameDialog(QWidget *parent) : QDialog(parent), ui(new Ui::PresetRenameDialog)
{
	ui->setupUi(this);
	ensurePolished(); // so that the new sheet restyles the widgets the form has already styled
	setStyleSheet(withHostThemeReset(styleSheet()));
	fillFields();
	connect(ui->ApplyButton, &QPushButton::clicked, this, &PresetRenameDialog::apply);

	setWindowTitle(QString::fromUtf8(obs_module_text("PresetRename")));
	ui->ApplyButton->setText(QString::fromUtf8(obs_module_text("Apply")));
	QLabel *const labels[] = {ui->Preset1Label, ui->Preset2Label, ui->Preset3Label,
				  ui->Preset4Label, ui->Preset5Label, ui->Preset6Label,
				  ui->Preset7Label, ui->Preset8Label, ui->Preset9Label};
	for (int k = 1; k <= 9; ++k)
		labels[k - 1]->setText(
			QString::fromUtf8(obs_module_text(QString("Preset%1").arg(k).toUtf8().constData())));
	new CellTextFitter(this);
}

PresetRenameDialog::~PresetRenameDialog() = default;

void PresetRenameDialog::fillFields()
{
	QLineEdit *const edits[] = {ui->Preset1Edit, ui->Preset2Edit, ui->Preset3Edit, ui->Preset4Edit, ui->Preset5Edit,
				    ui->Preset6Edit, ui->Preset7Edit, ui->Preset8Edit, ui->Preset9Edit};
	// Opened by the operator, so read the file now: the names shown are the file's even when an outside edit has
	// not been picked up yet (a failed read shows the digits).
	PanelSettings &settings = PanelSettings::instance();
	settings.reload();
	for (int k = 1; k <= 9; ++k)
		edits[k - 1]->setText(settings.presetName(k));
}

void PresetRenameDialog::apply()
{
	QLineEdit *const edits[] = {ui->Preset1Edit, ui->Preset2Edit, ui->Preset3Edit, ui->Preset4Edit, ui->Preset5Edit,
				    ui->Preset6Edit, ui->Preset7Edit, ui->Preset8Edit, ui->Preset9Edit};
	QStringList names;
	for (QLineEdit *edit : edits)
		names << edit->text();
	// A failure is logged and told through the settings' writeFailed.
	PanelSettings::instance().setPresetNames(names);
	emit presetNamesChanged();
	close();
}
