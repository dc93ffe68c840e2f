#include "ui/panel/PanelMenus.h"
#include "ui_MainDialog.h"

#include "ui/AboutDialog.h"
#include "ui/DiscoveryDialog.h"
#include "ui/GamepadDialog.h"
#include "ui/PanTiltLimitSettingDialog.h"
#include "ui/PresetRenameDialog.h"

#include "bridge/ViscaTransfer.h"
#include "control/CameraRig.h"
#include "gamepad/GamepadController.h"
#include "models/ModelFamily.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace {

const char *const menuStyle = "QMenu {\n"
			      "\tbackground: #727272;\n"
			      "\tborder-top-left-radius: 0px;\n"
			      "\tborder-top-right-radius: 0px;\n"
			      "\tborder-bottom-left-radius: 4px;\n"
			      "\tborder-bottom-right-radius: 4px;\n"
			      "}\n"
			      "\n"
			      "QMenu::item {\n"
			      "\tbackground: #606060;\n"
			      "\tcolor: #FFFFFF;\n"
			      "\tmargin: 1px;\n"
			      "\tborder-radius: 3px;\n"
			      "\tfont: normal normal normal 14px/16px Arial;\n"
			      "}\n"
			      "\n"
			      "QMenu::item:selected {\n"
			      "\tbackground: #7bb0b7;\n"
			      "}";

const char *const checkedIcon = ":resource/images/Checkbox_p.svg";
const char *const uncheckedIcon = ":resource/images/Checkbox.svg";

void showChecked(QAction *action, bool on)
{
	action->setChecked(on);
	action->setIcon(QIcon(on ? checkedIcon : uncheckedIcon));
}

} // namespace

PanelMenus::PanelMenus(Ui::MainDialog *ui, CameraRig &rig, ViscaTransfer *bridge, QWidget *panel)
	: QObject(panel), ui(ui), rig(rig), bridge(bridge), panel(panel)
{
	buildSettingsMenu();
	buildViewMenu();
	buildHelpMenu();
}

PanelMenus::~PanelMenus()
{
	delete discoveryDialog.data();
	delete limitDialog.data();
	delete renameDialog.data();
	delete gamepadDialog.data();
	delete aboutDialog.data();
}

// As wide as its button, unless a translated entry needs more.
QMenu *PanelMenus::makeMenu(QWidget *button)
{
	auto *menu = new QMenu(panel);
	menu->setStyleSheet(menuStyle);
	connect(menu, &QMenu::aboutToShow, this, [menu, button] {
		menu->setMinimumWidth(button->width());
		menu->setMaximumWidth(qMax(button->width(), menu->sizeHint().width()));
	});
	return menu;
}

void PanelMenus::buildSettingsMenu()
{
	QAction *assignAction = new QAction(tr("Cameraassign"), panel);
	hotKeyAction = new QAction(tr("UseHotHeys"), panel);
	limitAction = new QAction(tr("PanTiltLimit"), panel);
	QAction *renameAction = new QAction(tr("PresetRename"), panel);
	QAction *gamepadAction = new QAction(tr("Gamepad"), panel);
	bridgeNetworkAction = new QAction(tr("BridgeOpenToNetwork"), panel);
	lockAction = new QAction(tr("LockCamerasOnProgram"), panel);
	QAction *closeAction = new QAction(tr("Close"), panel);

	const PanelSettings &settings = PanelSettings::instance();
	hotKeyAction->setCheckable(true);
	showChecked(hotKeyAction, settings.hotKeysEnabled());
	bridgeNetworkAction->setCheckable(true);
	showChecked(bridgeNetworkAction, settings.bridgeOpenToNetwork());
	lockAction->setCheckable(true);
	showChecked(lockAction, settings.value(QLatin1String(CameraRig::lockOnProgramKey)).toBool(false));

	QMenu *menu = makeMenu(ui->SettingsButton);
	for (QAction *action : {assignAction, hotKeyAction, limitAction, renameAction, gamepadAction,
				bridgeNetworkAction, lockAction, closeAction})
		menu->addAction(action);
	ui->SettingsButton->setMenu(menu);

	connect(assignAction, &QAction::triggered, this, &PanelMenus::openDiscoveryDialog);
	connect(hotKeyAction, &QAction::triggered, this, &PanelMenus::toggleHotKeys);
	connect(limitAction, &QAction::triggered, this, &PanelMenus::openLimitDialog);
	connect(renameAction, &QAction::triggered, this, &PanelMenus::openRenameDialog);
	connect(gamepadAction, &QAction::triggered, this, &PanelMenus::openGamepadDialog);
	connect(bridgeNetworkAction, &QAction::triggered, this, &PanelMenus::toggleBridgeNetwork);
	connect(lockAction, &QAction::triggered, this, &PanelMenus::toggleLockOnProgram);
	connect(closeAction, &QAction::triggered, panel, &QWidget::close);
}

void PanelMenus::buildViewMenu()
{
	QAction *simpleAction = new QAction(tr("SimpleMode"), panel);
	QAction *advanceAction = new QAction(tr("AdvanceMode"), panel);
	QMenu *menu = makeMenu(ui->ViewButton);
	menu->addAction(simpleAction);
	menu->addAction(advanceAction);
	ui->ViewButton->setMenu(menu);
	connect(simpleAction, &QAction::triggered, this, &PanelMenus::simpleViewRequested);
	connect(advanceAction, &QAction::triggered, this, &PanelMenus::advancedViewRequested);
}

void PanelMenus::buildHelpMenu()
{
	QAction *aboutAction = new QAction(tr("AboutUs"), panel);
	QMenu *menu = makeMenu(ui->HelpButton);
	menu->addAction(aboutAction);
	ui->HelpButton->setMenu(menu);
	connect(aboutAction, &QAction::triggered, this, &PanelMenus::openAboutDialog);
}

// The menu shows what the settings file holds: a write that failed leaves the entry as it was.
void PanelMenus::toggleHotKeys(bool on)
{
	PanelSettings &settings = PanelSettings::instance();
	settings.setHotKeysEnabled(on);
	showChecked(hotKeyAction, settings.hotKeysEnabled());
	if (settings.hotKeysEnabled() && on)
		Utils::showWarningBox(QString::fromUtf8(obs_module_text("NeedToSetHotKeysInOBS")), panel);
}

// The rig follows the key: cameras on program lock or unlock at once.
void PanelMenus::toggleLockOnProgram(bool on)
{
	PanelSettings &settings = PanelSettings::instance();
	settings.setValue(QLatin1String(CameraRig::lockOnProgramKey), on);
	showChecked(lockAction, settings.value(QLatin1String(CameraRig::lockOnProgramKey)).toBool(false));
}

// Takes effect at once: the bridge restarts on the new addresses while OBS runs on.
void PanelMenus::toggleBridgeNetwork(bool open)
{
	PanelSettings &settings = PanelSettings::instance();
	settings.setBridgeOpenToNetwork(open);
	showChecked(bridgeNetworkAction, settings.bridgeOpenToNetwork());
	if (bridge == nullptr)
		return;
	bridge->setOpenToNetwork(settings.bridgeOpenToNetwork());
	// A bridge that could not listen at start (port taken) gets another try.
	bridge->startServer();
}

void PanelMenus::present(QWidget *dialog)
{
	dialog->show();
	dialog->activateWindow();
	dialog->raise();
}

void PanelMenus::openDiscoveryDialog()
{
	if (discoveryDialog.isNull()) {
		discoveryDialog = new DiscoveryDialog();
		discoveryDialog->setAttribute(Qt::WA_DeleteOnClose);
		// The dialog wrote the file: the slots and their sessions follow it.
		connect(discoveryDialog.data(), &DiscoveryDialog::ipAssigned, this,
			[] { PanelSettings::instance().reload(); });
	}
	present(discoveryDialog);
}

void PanelMenus::openRenameDialog()
{
	if (renameDialog.isNull()) {
		renameDialog = new PresetRenameDialog(panel);
		renameDialog->setAttribute(Qt::WA_DeleteOnClose);
		connect(renameDialog.data(), &PresetRenameDialog::presetNamesChanged, this,
			[] { PanelSettings::instance().reload(); });
	}
	present(renameDialog);
}

void PanelMenus::openGamepadDialog()
{
	if (gamepadDialog.isNull()) {
		gamepadDialog = new GamepadDialog(GamepadController::instance(), panel);
		gamepadDialog->setAttribute(Qt::WA_DeleteOnClose);
	}
	present(gamepadDialog);
}

void PanelMenus::openAboutDialog()
{
	if (aboutDialog.isNull()) {
		aboutDialog = new AboutDialog(panel);
		aboutDialog->setAttribute(Qt::WA_DeleteOnClose);
	}
	present(aboutDialog);
}

void PanelMenus::setConnected(bool connected)
{
	limitAction->setEnabled(connected);
	if (limitDialog && limitDialog->isVisible())
		limitDialog->close();
}

void PanelMenus::openLimitDialog()
{
	CameraSession *camera = rig.selected();
	if (limitDialog.isNull()) {
		limitDialog = new PanTiltLimitSettingDialog(panel);
		connect(limitDialog.data(), &PanTiltLimitSettingDialog::triggered, this,
			[this](CommandType type, int value) { limitTriggered(type, value); });
	}
	const QString model = camera ? camera->modelName() : QString();
	limitDialog->setSpeedCompEnabled(ModelFamily::of(model.toStdString()).speedCompensation);
	const QString prefix = camera ? camera->settingsPrefix() : QString();
	using Field = PanelSettings::CameraField;
	const PanelSettings &settings = PanelSettings::instance();
	limitDialog->setLimits(
		settings.cameraValue(prefix, Field::PanLeftLimit), settings.cameraValue(prefix, Field::PanRightLimit),
		settings.cameraValue(prefix, Field::TiltUpLimit), settings.cameraValue(prefix, Field::TiltDownLimit));
	present(limitDialog);
}

void PanelMenus::limitTriggered(int type, int value)
{
	CameraSession *camera = rig.selected();
	if (camera == nullptr)
		return;
	using Limit = CameraSession::Limit;
	switch (type) {
	case TiltUpLimit:
		camera->setLimit(Limit::TiltUp, value);
		break;
	case PanLeftLimit:
		camera->setLimit(Limit::PanLeft, value);
		break;
	case TiltDownLimit:
		camera->setLimit(Limit::TiltDown, value);
		break;
	case PanRightLimit:
		camera->setLimit(Limit::PanRight, value);
		break;
	case PTZSpeedComp:
		camera->set(CameraSession::Setting::SpeedCompensation, value);
		break;
	case PanTiltLimit:
		if (value == 0)
			camera->clearLimits();
		break;
	default:
		break;
	}
}
