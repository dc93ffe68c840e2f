#include "MainDialog.h"
#include "ui_MainDialog.h"
#include "CellTextFitter.h"
#include "HostThemeReset.h"

#include "AboutDialog.h"
#include "DiscoveryDialog.h"
#include "ORFocusVerticalSlider.h"
#include "ORPlusMinusButton.h"
#include "ORZoomVerticalSlider.h"
#include "PanTiltLimitSettingDialog.h"
#include "PresetRenameDialog.h"
#include "QtCompat.h"

#include "bridge/ViscaTransfer.h"

#include "models/ModelIdentifier.h"
#include "models/ViscaModuleFactory.h"
#include "models/ViscaParamOps.h"
#include "plugin/CameraHotKey.h"
#include "plugin/ModuleText.h"
#include "settings/Utils.h"
#include "visca/viscaIpModule.h"

#include <QAction>
#include <QDebug>
#include <QIcon>
#include <QJsonObject>
#include <QMenu>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>

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
// Settings key: true lets other computers reach the WebSocket bridge; absent or false keeps it to this machine.
const char *const bridgeNetworkKey = "bridgeOpenToNetwork";
const char *const uncheckedIcon = ":resource/images/Checkbox.svg";

QString localeText(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}

// Code of a label in a model table; labels the model does not have give 0.
int codeOf(const ParamTable &table, const QString &label)
{
	const auto it = table.find(label.toStdString());
	return it == table.end() ? 0 : it->second;
}

void fillCombo(QComboBox *box, const ParamTable &table)
{
	box->clear();
	for (const std::string &label : Utils::sortedKeysByValue(QMap<std::string, int>(table)))
		box->addItem(QString::fromStdString(label), QVariant());
}

// Every label whose code is the camera's answer becomes the box's text and goes through the enable rule.
template <typename Rule>
void matchMode(const ParamTable &table, int code, QComboBox *box, Rule rule)
{
	for (const auto &entry : table) {
		if (entry.second != code)
			continue;
		const QString label = QString::fromStdString(entry.first);
		box->setCurrentText(label);
		rule(label);
	}
}

} // namespace

MainDialog::MainDialog(QWidget *parent) : QDialog(parent), ui(new Ui::MainDialog)
{
	ui->setupUi(this);
	bindCommands();
	hotKeys = new CameraHotKey(this);

	buildSettingsMenu();
	buildViewMenu();
	buildHelpMenu();

	ui->AdvanceFrame->hide();
	setFixedSize(425, 692);
	setStyleSheet(withHostThemeReset("background-color: #474747"));
	new CellTextFitter(this);

	loadPresetNames();
	loadSlotLabels();
	setDisconnected();
	connectSignals();

	linkCheckTimer = new QTimer(this);
	linkCheckTimer->setInterval(8000);
	connect(linkCheckTimer, &QTimer::timeout, this, &MainDialog::checkConnection);
	linkCheckTimer->start();

	installSpeedValidators();
	setWindowFlag(Qt::WindowStaysOnTopHint);
	startBridge();
}

MainDialog::~MainDialog()
{
	ui.reset();
	delete discoveryDialog.data();
	delete limitDialog.data();
	delete renameDialog.data();
	delete aboutDialog.data();
	link.reset();
}

void MainDialog::setCameraPort(int port)
{
	cameraPort = port;
}

void MainDialog::setLinkCheckInterval(int milliseconds)
{
	linkCheckTimer->setInterval(milliseconds);
}

// ---- Construction ----------------------------------------------------------------------------------------------

void MainDialog::bindCommands()
{
	upCommand = [this](int) { link->moveUp(); };
	downCommand = [this](int) { link->moveDown(); };
	leftCommand = [this](int) { link->moveLeft(); };
	rightCommand = [this](int) { link->moveRight(); };
	zoomTeleCommand = [this](int) { link->zoomTele(); };
	zoomWideCommand = [this](int) { link->zoomWide(); };
	presetCallCommand = [this](int number) {
		link->setPresetNumber(number);
		link->recallPreset();
	};
	panTiltStopCommand = [this](int) { link->panTiltStop(); };
	zoomStopCommand = [this](int) { link->zoomStop(); };
}

void MainDialog::buildSettingsMenu()
{
	QAction *assignAction = new QAction(tr("Cameraassign"), this);
	QAction *hotKeyAction = new QAction(tr("UseHotHeys"), this);
	panTiltLimitAction = new QAction(tr("PanTiltLimit"), this);
	QAction *renameAction = new QAction(tr("PresetRename"), this);
	QAction *closeAction = new QAction(tr("Close"), this);
	bridgeNetworkAction = new QAction(tr("BridgeOpenToNetwork"), this);

	hotKeyAction->setCheckable(true);
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	bridgeNetworkAction->setCheckable(true);
	bridgeNetworkAction->setChecked(settings.value(bridgeNetworkKey).toBool(false));
	bridgeNetworkAction->setIcon(QIcon(bridgeNetworkAction->isChecked() ? checkedIcon : uncheckedIcon));
	hotKeyAction->setChecked(settings.value("hotKey").toBool(false));
	if (hotKeyAction->isChecked()) {
		hotKeyAction->setIcon(QIcon(checkedIcon));
		connectHotKeys();
	} else {
		hotKeyAction->setIcon(QIcon(uncheckedIcon));
	}

	settingsMenu = new QMenu(this);
	settingsMenu->setStyleSheet(menuStyle);
	settingsMenu->addAction(assignAction);
	settingsMenu->addAction(hotKeyAction);
	settingsMenu->addAction(panTiltLimitAction);
	settingsMenu->addAction(renameAction);
	settingsMenu->addAction(bridgeNetworkAction);
	settingsMenu->addAction(closeAction);
	ui->SettingsButton->setMenu(settingsMenu);
	connect(settingsMenu, &QMenu::aboutToShow, this, &MainDialog::setMenuWidth);

	connect(assignAction, &QAction::triggered, this, &MainDialog::openDiscoveryDialog);
	connect(hotKeyAction, &QAction::triggered, this, &MainDialog::useHotKeysTriggered);
	connect(panTiltLimitAction, &QAction::triggered, this, &MainDialog::openLimitDialog);
	connect(renameAction, &QAction::triggered, this, &MainDialog::openRenameDialog);
	connect(bridgeNetworkAction, &QAction::triggered, this, &MainDialog::openBridgeToNetwork);
	connect(closeAction, &QAction::triggered, this, &QWidget::close);
}

void MainDialog::buildViewMenu()
{
	QAction *simpleAction = new QAction(tr("SimpleMode"), this);
	QAction *advanceAction = new QAction(tr("AdvanceMode"), this);
	viewMenu = new QMenu(this);
	viewMenu->setStyleSheet(menuStyle);
	viewMenu->addAction(simpleAction);
	viewMenu->addAction(advanceAction);
	ui->ViewButton->setMenu(viewMenu);
	connect(viewMenu, &QMenu::aboutToShow, this, &MainDialog::setMenuWidth);
	connect(simpleAction, &QAction::triggered, this, &MainDialog::hideAdvanceView);
	connect(advanceAction, &QAction::triggered, this, &MainDialog::showAdvanceView);
}

void MainDialog::buildHelpMenu()
{
	QAction *aboutAction = new QAction(tr("AboutUs"), this);
	helpMenu = new QMenu(this);
	helpMenu->setStyleSheet(menuStyle);
	helpMenu->addAction(aboutAction);
	ui->HelpButton->setMenu(helpMenu);
	connect(helpMenu, &QMenu::aboutToShow, this, &MainDialog::setMenuWidth);
	connect(aboutAction, &QAction::triggered, this, &MainDialog::openAboutDialog);
}

void MainDialog::connectSignals()
{
	connectMotionSignals();
	connectPresetSignals();
	connectPictureSignals();
}

void MainDialog::installSpeedValidators()
{
	for (QLineEdit *edit : {ui->PanSpeedEdit, ui->TiltSpeedEdit, ui->ZoomSpeedEdit, ui->FocusSpeedEdit})
		edit->setValidator(makeRegExpValidator("^[0-9]*$", edit));
}

void MainDialog::startBridge()
{
	bridge = new ViscaTransfer(this);
	bridge->setOpenToNetwork(bridgeNetworkAction->isChecked());
	bridge->startServer();
}

// Takes effect at once: the bridge restarts on the new addresses while OBS runs on.
void MainDialog::openBridgeToNetwork(bool open)
{
	QJsonObject settings;
	if (Utils::readJsonFile(settings, Utils::settingsDirectory())) {
		settings[bridgeNetworkKey] = open;
		Utils::writeJsonFile(settings, Utils::settingsDirectory());
	}
	bridgeNetworkAction->setIcon(QIcon(open ? checkedIcon : uncheckedIcon));
	bridge->setOpenToNetwork(open);
	// A bridge that could not listen at start (port taken) gets another try.
	bridge->startServer();
}

// ---- Slots -----------------------------------------------------------------------------------------------------

void MainDialog::setMenuWidth()
{
	QMenu *menu = qobject_cast<QMenu *>(sender());
	QPushButton *button = nullptr;
	if (menu == nullptr)
		return;
	if (menu == settingsMenu)
		button = ui->SettingsButton;
	else if (menu == viewMenu)
		button = ui->ViewButton;
	else if (menu == helpMenu)
		button = ui->HelpButton;
	else
		return;
	// As wide as its button, unless a translated entry needs more.
	menu->setMinimumWidth(button->width());
	menu->setMaximumWidth(qMax(button->width(), menu->sizeHint().width()));
}

void MainDialog::showAdvanceView()
{
	ui->AdvanceFrame->show();
	setFixedSize(880, 692);
}

void MainDialog::hideAdvanceView()
{
	ui->AdvanceFrame->hide();
	setFixedSize(425, 692);
}

void MainDialog::setStatusVisible(bool visible)
{
	ui->StatusFrame->setVisible(visible);
}

void MainDialog::setIPAndName(int, QString, QString)
{
	loadSlotLabels();
}

void MainDialog::on_Camera1Button_clicked()
{
	selectCamera(ui->Camera1Button, "Camera1");
}

void MainDialog::on_Camera2Button_clicked()
{
	selectCamera(ui->Camera2Button, "Camera2");
}

void MainDialog::on_Camera3Button_clicked()
{
	selectCamera(ui->Camera3Button, "Camera3");
}

void MainDialog::on_Camera4Button_clicked()
{
	selectCamera(ui->Camera4Button, "Camera4");
}

void MainDialog::on_Camera5Button_clicked()
{
	selectCamera(ui->Camera5Button, "Camera5");
}

void MainDialog::on_Camera6Button_clicked()
{
	selectCamera(ui->Camera6Button, "Camera6");
}

void MainDialog::on_Camera7Button_clicked()
{
	selectCamera(ui->Camera7Button, "Camera7");
}

void MainDialog::on_Camera8Button_clicked()
{
	selectCamera(ui->Camera8Button, "Camera8");
}

void MainDialog::on_Preset1Button_clicked()
{
	checkOnlyPreset(ui->Preset1Button, ui->Preset1Button->isChecked());
}

void MainDialog::on_Preset2Button_clicked()
{
	checkOnlyPreset(ui->Preset2Button, ui->Preset2Button->isChecked());
}

void MainDialog::on_Preset3Button_clicked()
{
	checkOnlyPreset(ui->Preset3Button, ui->Preset3Button->isChecked());
}

void MainDialog::on_Preset4Button_clicked()
{
	checkOnlyPreset(ui->Preset4Button, ui->Preset4Button->isChecked());
}

void MainDialog::on_Preset5Button_clicked()
{
	checkOnlyPreset(ui->Preset5Button, ui->Preset5Button->isChecked());
}

void MainDialog::on_Preset6Button_clicked()
{
	checkOnlyPreset(ui->Preset6Button, ui->Preset6Button->isChecked());
}

void MainDialog::on_Preset7Button_clicked()
{
	checkOnlyPreset(ui->Preset7Button, ui->Preset7Button->isChecked());
}

void MainDialog::on_Preset8Button_clicked()
{
	checkOnlyPreset(ui->Preset8Button, ui->Preset8Button->isChecked());
}

void MainDialog::on_Preset9Button_clicked()
{
	checkOnlyPreset(ui->Preset9Button, ui->Preset9Button->isChecked());
}

// ---- Settings, menus and dialogs -------------------------------------------------------------------------------

void MainDialog::loadSlotLabels()
{
	QJsonObject settings;
	if (!Utils::readJsonFile(settings, Utils::settingsDirectory())) {
		qDebug("It's failed to read JSON file.");
		return;
	}
	QPushButton *buttons[] = {ui->Camera1Button, ui->Camera2Button, ui->Camera3Button, ui->Camera4Button,
				  ui->Camera5Button, ui->Camera6Button, ui->Camera7Button, ui->Camera8Button};
	for (int n = 1; n <= 8; ++n) {
		const QString slotKey = QString("Camera%1").arg(n);
		const QString nickKey = slotKey + "NickName";
		if (settings.contains(nickKey))
			buttons[n - 1]->setText(settings.value(nickKey).toString());
		else
			buttons[n - 1]->setText(localeText(slotKey.toUtf8().constData()));
	}
}

void MainDialog::connectHotKeys()
{
	connect(hotKeys, &CameraHotKey::hotKeysentTo, this, &MainDialog::onHotKey, Qt::UniqueConnection);
}

void MainDialog::useHotKeysTriggered()
{
	QAction *action = qobject_cast<QAction *>(sender());
	if (action == nullptr)
		return;
	const bool checked = action->isChecked();
	// Writing after a failed read would replace the whole settings file with this one key.
	QJsonObject settings;
	if (Utils::readJsonFile(settings, Utils::settingsDirectory())) {
		settings["hotKey"] = checked;
		Utils::writeJsonFile(settings, Utils::settingsDirectory());
	}
	if (checked) {
		action->setIcon(QIcon(checkedIcon));
		Utils::showWarningBox(localeText("NeedToSetHotKeysInOBS"));
		connectHotKeys();
	} else {
		action->setIcon(QIcon(uncheckedIcon));
		disconnect(hotKeys, &CameraHotKey::hotKeysentTo, this, &MainDialog::onHotKey);
	}
}

void MainDialog::openDiscoveryDialog()
{
	if (discoveryDialog.isNull()) {
		discoveryDialog = new DiscoveryDialog();
		discoveryDialog->setAttribute(Qt::WA_DeleteOnClose);
		connect(discoveryDialog.data(), &DiscoveryDialog::ipAssigned, this, &MainDialog::setIPAndName);
	}
	discoveryDialog->show();
	discoveryDialog->activateWindow();
	discoveryDialog->raise();
}

void MainDialog::openRenameDialog()
{
	if (renameDialog.isNull()) {
		renameDialog = new PresetRenameDialog(this);
		renameDialog->setAttribute(Qt::WA_DeleteOnClose);
		connect(renameDialog.data(), &PresetRenameDialog::presetNamesChanged, this,
			&MainDialog::loadPresetNames);
	}
	renameDialog->show();
	renameDialog->activateWindow();
	renameDialog->raise();
}

void MainDialog::openAboutDialog()
{
	if (aboutDialog.isNull()) {
		aboutDialog = new AboutDialog(this);
		aboutDialog->setAttribute(Qt::WA_DeleteOnClose);
	}
	aboutDialog->show();
	aboutDialog->activateWindow();
	aboutDialog->raise();
}

void MainDialog::storeSetting(const QString &key, const QString &value)
{
	QJsonObject settings;
	if (!Utils::readJsonFile(settings, Utils::settingsDirectory())) {
		qDebug("It's failed to read JSON file.");
		return;
	}
	settings[key] = value;
	if (!Utils::writeJsonFile(settings, Utils::settingsDirectory()))
		qDebug("It's failed to write JSON file.");
}

// ---- Camera connection -----------------------------------------------------------------------------------------

void MainDialog::selectCamera(QPushButton *button, QString slotKey)
{
	if (!button->isChecked()) {
		setDisconnected();
		uncheckCameraButtons();
		return;
	}

	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	const QString ipKey = slotKey + "IP";
	QString ip;
	CameraModelMap found;
	if (settings.contains(ipKey)) {
		ip = settings.value(ipKey).toString();
		ModelIdentifier identifier(cameraPort);
		found = identifier.identifyCamera(ip);
	}
	if (found.empty() || !found.begin()->second.params) {
		setDisconnected();
		Utils::showWarningBox(localeText("FailedToConnectToCamera"));
		uncheckCameraButtons();
		return;
	}

	models.clear();
	for (const auto &entry : found)
		models.insert(entry.first, entry.second);
	ViscaParamOps *ops = modelOps();
	const QString modelName = QString::fromStdString(ops->modelName());

	link.reset(createViscaModule(modelName));
	link->connectCamera(ip, cameraPort);

	applyModel(ops);
	refreshFromCamera();

	cameraPrefix = ip + modelName;
	loadSpeeds();

	connected = 1;
	ui->CameraControlBox->setEnabled(true);
	ui->AdvanceFrame->setEnabled(true);
	panTiltLimitAction->setEnabled(true);
	// The limit dialog shows the previous camera's limits.
	if (limitDialog && limitDialog->isVisible())
		limitDialog->close();
	uncheckCameraButtons();
	button->setChecked(true);
}

void MainDialog::setDisconnected()
{
	connected = 0;
	ui->CameraControlBox->setEnabled(false);
	ui->AdvanceFrame->setEnabled(false);
	uncheckCameraButtons();
	panTiltLimitAction->setEnabled(false);
	if (limitDialog && limitDialog->isVisible())
		limitDialog->close();
}

void MainDialog::checkConnection()
{
	if (connected != 1)
		return;
	for (int attempt = 0; attempt < 5; ++attempt) {
		if (link && link->isCameraAlive())
			return;
		QThread::msleep(200);
	}
	setDisconnected();
	Utils::showWarningBox(localeText("FailedToConnectToCamera"));
}

void MainDialog::uncheckCameraButtons()
{
	for (QPushButton *button : {ui->Camera1Button, ui->Camera2Button, ui->Camera3Button, ui->Camera4Button,
				    ui->Camera5Button, ui->Camera6Button, ui->Camera7Button, ui->Camera8Button})
		button->setChecked(false);
}

bool MainDialog::runCameraCommand(std::function<void(int)> command, int argument)
{
	if (!link)
		return false;
	command(argument);
	QThread::msleep(50);
	return true;
}

int MainDialog::runCameraQuery(std::function<int()> query)
{
	if (!link)
		return -1;
	return query();
}

ViscaParamOps *MainDialog::modelOps() const
{
	if (models.isEmpty())
		return nullptr;
	return models.first().params.get();
}

// ---- Motion ----------------------------------------------------------------------------------------------------

void MainDialog::connectMotionSignals()
{
	using Drive = bool (viscaIpModule::*)();
	const std::pair<QPushButton *, Drive> pad[] = {{ui->UpperLeftButton, &viscaIpModule::moveUpLeft},
						       {ui->UpButton, &viscaIpModule::moveUp},
						       {ui->UpperRightButton, &viscaIpModule::moveUpRight},
						       {ui->LefButton, &viscaIpModule::moveLeft},
						       {ui->RightButton, &viscaIpModule::moveRight},
						       {ui->LowerLeftButton, &viscaIpModule::moveDownLeft},
						       {ui->DownButton, &viscaIpModule::moveDown},
						       {ui->LowerRightButton, &viscaIpModule::moveDownRight}};
	for (const auto &entry : pad) {
		const Drive drive = entry.second;
		connect(entry.first, &QPushButton::pressed, this,
			[this, drive] { runCameraCommand([this, drive](int) { (link.get()->*drive)(); }, 0); });
		connect(entry.first, &QPushButton::released, this,
			[this] { runCameraCommand([this](int) { link->panTiltStop(); }, 0); });
	}
	connect(ui->HomeButton, &QPushButton::pressed, this,
		[this] { runCameraCommand([this](int) { link->panTiltHome(); }, 0); });

	connect(ui->ZoomWidget, &ORZoomVerticalSlider::started, this, [this](ZoomType type) {
		runCameraCommand(
			[this](int zoomType) {
				if (zoomType == ZoomPlus)
					link->zoomTele();
				else if (zoomType == ZoomMinus)
					link->zoomWide();
			},
			type);
	});
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::stopped, this,
		[this] { runCameraCommand([this](int) { zoomStopAndReadBack(); }, 0); });
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::valueChanged, this, [this](int value) {
		runCameraCommand([this](int position) { link->setZoomPosition(position); }, value);
	});

	connect(ui->FocusWidget, &ORFocusVerticalSlider::started, this, [this](FocusType type) {
		runCameraCommand(
			[this](int focusType) {
				if (focusType == FocusPlus)
					link->focusNear();
				else if (focusType == FocusMinus)
					link->focusFar();
			},
			type);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::stopped, this,
		[this] { runCameraCommand([this](int) { focusStopAndReadBack(); }, 0); });
	connect(ui->FocusWidget, &ORFocusVerticalSlider::valueChanged, this, [this](int value) {
		runCameraCommand([this](int position) { link->setFocusPosition(position); }, value);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::modeChanged, this, [this](AFMode mode) {
		runCameraCommand([this](int afMode) { link->setAutoFocus(afMode != ManualFocus); }, mode);
	});

	QLineEdit *const edits[] = {ui->PanSpeedEdit, ui->TiltSpeedEdit, ui->ZoomSpeedEdit, ui->FocusSpeedEdit};
	for (int field = 0; field < 4; ++field) {
		QLineEdit *edit = edits[field];
		connect(edit, &QLineEdit::returnPressed, this, [this, field, edit] {
			runCameraCommand([this, field](int value) { applySpeed(field, value); },
					 edit->text().toInt(nullptr, 10));
		});
	}
}

void MainDialog::zoomStopAndReadBack()
{
	const bool wasBlocked = ui->ZoomWidget->blockSignals(true);
	link->zoomStop();
	ui->ZoomWidget->setValue(link->getZoomPosition());
	ui->ZoomWidget->blockSignals(wasBlocked);
}

void MainDialog::focusStopAndReadBack()
{
	const bool wasBlocked = ui->FocusWidget->blockSignals(true);
	link->focusStop();
	ui->FocusWidget->setValue(link->getFocusPosition());
	ui->FocusWidget->blockSignals(wasBlocked);
}

// field: 0 pan, 1 tilt, 2 zoom, 3 focus. Runs inside a command, so a link exists.
void MainDialog::applySpeed(int field, int value)
{
	QLineEdit *const edits[] = {ui->PanSpeedEdit, ui->TiltSpeedEdit, ui->ZoomSpeedEdit, ui->FocusSpeedEdit};
	const char *const keys[] = {"PanSpeed", "TiltSpeed", "ZoomSpeed", "FocusSpeed"};
	const int minimum = speedBounds[2 * field];
	const int maximum = speedBounds[2 * field + 1];
	if (value > maximum)
		value = maximum;
	else if (value < minimum)
		value = minimum;
	edits[field]->setText(QString::number(value));
	switch (field) {
	case 0:
		link->setPanSpeed(value);
		break;
	case 1:
		link->setTiltSpeed(value);
		break;
	case 2:
		link->setZoomSpeed(value);
		break;
	default:
		link->setFocusSpeed(value);
		break;
	}
	storeSetting(cameraPrefix + keys[field], edits[field]->text());
}

void MainDialog::loadSpeeds()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	const std::pair<QLineEdit *, std::pair<const char *, const char *>> fields[] = {
		{ui->PanSpeedEdit, {"PanSpeed", "7"}},
		{ui->TiltSpeedEdit, {"TiltSpeed", "7"}},
		{ui->ZoomSpeedEdit, {"ZoomSpeed", "5"}},
		{ui->FocusSpeedEdit, {"FocusSpeed", "3"}}};
	for (const auto &field : fields) {
		const QString key = cameraPrefix + field.second.first;
		field.first->setText(settings.contains(key) ? settings.value(key).toString()
							    : QString(field.second.second));
	}
	const QString presetKey = cameraPrefix + "PresetSpeed";
	if (settings.contains(presetKey))
		ui->PresetSpeedBox->setCurrentText(settings.value(presetKey).toString());
}

void MainDialog::onHotKey(int key, bool pressed)
{
	qDebug("pressed = %d", pressed);
	if (connected != 1 || key < 0 || key > 14)
		return;
	switch (key) {
	case 0:
		runCameraCommand(pressed ? upCommand : panTiltStopCommand, 0);
		break;
	case 1:
		runCameraCommand(pressed ? downCommand : panTiltStopCommand, 0);
		break;
	case 2:
		runCameraCommand(pressed ? leftCommand : panTiltStopCommand, 0);
		break;
	case 3:
		runCameraCommand(pressed ? rightCommand : panTiltStopCommand, 0);
		break;
	case 4:
		runCameraCommand(pressed ? zoomTeleCommand : zoomStopCommand, 0);
		break;
	case 5:
		runCameraCommand(pressed ? zoomWideCommand : zoomStopCommand, 0);
		break;
	default:
		if (pressed)
			runCameraCommand(presetCallCommand, key - 5);
		break;
	}
}

void MainDialog::openLimitDialog()
{
	if (limitDialog.isNull()) {
		limitDialog = new PanTiltLimitSettingDialog(this);
		connect(limitDialog.data(), &PanTiltLimitSettingDialog::triggered, this,
			[this](CommandType type, int value) { onLimitTriggered(type, value); });
	}
	limitDialog->setSpeedCompEnabled(!cameraPrefix.contains("QK-H32"));
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	limitDialog->setLimits(settings.value(cameraPrefix + "PanLeftLimit").toString(),
			       settings.value(cameraPrefix + "PanRightLimit").toString(),
			       settings.value(cameraPrefix + "TiltUpLimit").toString(),
			       settings.value(cameraPrefix + "TiltDownLimit").toString());
	limitDialog->show();
	limitDialog->activateWindow();
	limitDialog->raise();
}

void MainDialog::onLimitTriggered(int type, int value)
{
	switch (type) {
	case TiltUpLimit:
		runCameraCommand(
			[this](int degrees) {
				if (ViscaParamOps *ops = modelOps())
					link->setTiltUpLimit(degrees, ops->tiltUpLimitMax(), ops->tiltUpLimitMin());
				storeSetting(cameraPrefix + "TiltUpLimit", QString::number(degrees));
			},
			value);
		break;
	case PanLeftLimit:
		runCameraCommand(
			[this](int degrees) {
				if (ViscaParamOps *ops = modelOps())
					link->setPanLeftLimit(degrees, ops->panLeftLimitMax(), ops->panLeftLimitMin());
				storeSetting(cameraPrefix + "PanLeftLimit", QString::number(degrees));
			},
			value);
		break;
	case TiltDownLimit:
		runCameraCommand(
			[this](int degrees) {
				if (ViscaParamOps *ops = modelOps())
					link->setTiltDownLimit(degrees, ops->tiltDownLimitMax(),
							       ops->tiltDownLimitMin());
				storeSetting(cameraPrefix + "TiltDownLimit", QString::number(degrees));
			},
			value);
		break;
	case PanRightLimit:
		runCameraCommand(
			[this](int degrees) {
				if (ViscaParamOps *ops = modelOps())
					link->setPanRightLimit(degrees, ops->panRightLimitMax(),
							       ops->panRightLimitMin());
				storeSetting(cameraPrefix + "PanRightLimit", QString::number(degrees));
			},
			value);
		break;
	case PTZSpeedComp:
		runCameraCommand([this](int on) { link->setSpeedCompensation(on); }, value);
		break;
	case PanTiltLimit:
		if (value == 0) {
			runCameraCommand([this](int) { link->clearUpRightLimit(); }, 0);
			runCameraCommand([this](int) { link->clearDownLeftLimit(); }, 0);
		}
		break;
	default:
		break;
	}
}

// ---- Presets ---------------------------------------------------------------------------------------------------

void MainDialog::connectPresetSignals()
{
	connect(ui->StoreButton, &QPushButton::pressed, this, [this] { storeOrCallPreset(true); });
	connect(ui->CallButton, &QPushButton::pressed, this, [this] { storeOrCallPreset(false); });
	connect(ui->PresetSpeedBox, &QComboBox::currentTextChanged, this, &MainDialog::presetSpeedChanged);
}

void MainDialog::loadPresetNames()
{
	QJsonObject settings;
	if (!Utils::readJsonFile(settings, Utils::settingsDirectory())) {
		qDebug("It's failed to read JSON file.");
		return;
	}
	QPushButton *const buttons[] = {ui->Preset1Button, ui->Preset2Button, ui->Preset3Button,
					ui->Preset4Button, ui->Preset5Button, ui->Preset6Button,
					ui->Preset7Button, ui->Preset8Button, ui->Preset9Button};
	for (int k = 1; k <= 9; ++k) {
		const QString key = QString::number(k);
		buttons[k - 1]->setText(settings.contains(key) ? settings.value(key).toString() : key);
	}
}

void MainDialog::checkOnlyPreset(QPushButton *button, bool checked)
{
	for (QPushButton *preset :
	     {ui->Preset1Button, ui->Preset2Button, ui->Preset3Button, ui->Preset4Button, ui->Preset5Button,
	      ui->Preset6Button, ui->Preset7Button, ui->Preset8Button, ui->Preset9Button})
		preset->setChecked(false);
	if (button != nullptr)
		button->setChecked(checked);
}

int MainDialog::selectedPresetNumber() const
{
	int number = ui->TenButton->isChecked() ? 10 : 0;
	QPushButton *const buttons[] = {ui->Preset1Button, ui->Preset2Button, ui->Preset3Button,
					ui->Preset4Button, ui->Preset5Button, ui->Preset6Button,
					ui->Preset7Button, ui->Preset8Button, ui->Preset9Button};
	for (int k = 0; k < 9; ++k) {
		if (buttons[k]->isChecked())
			return number + k + 1;
	}
	return number;
}

void MainDialog::storeOrCallPreset(bool store)
{
	const int number = selectedPresetNumber();
	if (number > 0) {
		runCameraCommand(
			[this, store](int preset) {
				link->setPresetNumber(preset);
				if (store)
					link->storePreset();
				else
					link->recallPreset();
			},
			number);
	}
	ui->TenButton->setChecked(false);
	checkOnlyPreset(nullptr, false);
}

void MainDialog::presetSpeedChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->presetSpeeds(), text) : 0;
	runCameraCommand(
		[this](int speed) {
			link->setPresetSpeed(speed);
			storeSetting(cameraPrefix + "PresetSpeed", ui->PresetSpeedBox->currentText());
		},
		code);
}

// ---- Picture controls ------------------------------------------------------------------------------------------

void MainDialog::connectPictureSignals()
{
	connect(ui->ExposureModeBox, &QComboBox::currentTextChanged, this, &MainDialog::exposureModeChanged);
	connect(ui->ShutterSpeedButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int code) { link->setShutter(code); }, value); });
	connect(ui->IrisButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int code) { link->setIris(code); }, value); });
	connect(ui->GainButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int code) { link->setGain(code); }, value); });

	connect(ui->LowLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/30", "1/25", "F2", "33dB"); });
	connect(ui->BackLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/120", nullptr, "F4.5", "21dB"); });
	connect(ui->IndoorButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/60", "1/50", "F3.2", "24dB"); });
	connect(ui->MotionButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/180", nullptr, "F3.2", "27dB"); });

	connect(ui->AWBModeBox, &QComboBox::currentTextChanged, this, &MainDialog::whiteBalanceModeChanged);
	connect(ui->RGainButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int gain) { link->setRedGain(gain); }, value); });
	connect(ui->BGainButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int gain) { link->setBlueGain(gain); }, value); });
	connect(ui->OnePushButton, &QPushButton::pressed, this,
		[this] { runCameraCommand([this](int) { link->whiteBalanceOnePush(); }, 0); });

	connect(ui->ImageModeBox, &QComboBox::currentTextChanged, this, &MainDialog::imageModeChanged);
	connect(ui->SharpnessButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int v) { link->setSharpness(v); }, value); });
	connect(ui->HueButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int v) { link->setHue(v); }, value); });
	connect(ui->SaturationButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int v) { link->setSaturation(v); }, value); });
	connect(ui->GammaButton, &ORPlusMinusButton::valueChanged, this,
		[this](int value) { runCameraCommand([this](int v) { link->setGamma(v); }, value); });
	connect(ui->DigEffectBox, &QComboBox::currentTextChanged, this, &MainDialog::digEffectChanged);
}

void MainDialog::applyModel(ViscaParamOps *ops)
{
	const QSignalBlocker zoomBlock(ui->ZoomWidget);
	const QSignalBlocker focusBlock(ui->FocusWidget);
	const QSignalBlocker presetSpeedBlock(ui->PresetSpeedBox);
	const QSignalBlocker exposureBlock(ui->ExposureModeBox);
	const QSignalBlocker whiteBalanceBlock(ui->AWBModeBox);
	const QSignalBlocker imageBlock(ui->ImageModeBox);
	const QSignalBlocker digEffectBlock(ui->DigEffectBox);

	ui->ZoomWidget->setRange(ops->zoomMin(), ops->zoomMax());
	ui->FocusWidget->setRange(ops->focusMin(), ops->focusMax());
	speedBounds = {ops->panSpeedMin(),  ops->panSpeedMax(),  ops->tiltSpeedMin(),  ops->tiltSpeedMax(),
		       ops->zoomSpeedMin(), ops->zoomSpeedMax(), ops->focusSpeedMin(), ops->focusSpeedMax()};

	fillCombo(ui->PresetSpeedBox, ops->presetSpeeds());
	fillCombo(ui->ExposureModeBox, ops->exposureModes());
	fillCombo(ui->AWBModeBox, ops->whiteBalanceModes());
	fillCombo(ui->ImageModeBox, ops->imageModes());
	fillCombo(ui->DigEffectBox, ops->digEffectModes());

	ui->ShutterSpeedButton->setElements(QMap<std::string, int>(ops->shutterSpeeds()));
	ui->IrisButton->setElements(QMap<std::string, int>(ops->irisValues()));
	ui->GainButton->setElements(QMap<std::string, int>(ops->gainValues()));

	ui->RGainButton->setRange(ops->rGainMin(), ops->rGainMax());
	ui->BGainButton->setRange(ops->bGainMin(), ops->bGainMax());
	ui->SharpnessButton->setRange(ops->sharpnessMin(), ops->sharpnessMax());
	ui->SaturationButton->setRange(ops->saturationMin(), ops->saturationMax());
	ui->HueButton->setRange(ops->hueMin(), ops->hueMax());
	ui->GammaButton->setRange(ops->gammaMin(), ops->gammaMax());
}

void MainDialog::refreshFromCamera()
{
	ViscaParamOps *ops = modelOps();
	if (ops == nullptr)
		return;
	const QSignalBlocker zoomBlock(ui->ZoomWidget);
	const QSignalBlocker focusBlock(ui->FocusWidget);
	const QSignalBlocker exposureBlock(ui->ExposureModeBox);
	const QSignalBlocker whiteBalanceBlock(ui->AWBModeBox);
	const QSignalBlocker imageBlock(ui->ImageModeBox);
	const QSignalBlocker digEffectBlock(ui->DigEffectBox);

	ui->ZoomWidget->setValue(runCameraQuery([this] { return link->getZoomPosition(); }));
	ui->FocusWidget->setValue(runCameraQuery([this] { return link->getFocusPosition(); }));
	const bool autoFocus = runCameraQuery([this] { return link->isAutoFocus() ? 1 : 0; }) == 1;
	ui->FocusWidget->setMode(autoFocus ? AutoFocus : ManualFocus);

	matchMode(ops->exposureModes(), runCameraQuery([this] { return link->getExposureMode(); }), ui->ExposureModeBox,
		  [this](const QString &label) { applyExposureEnable(label); });
	readBackExposure();

	matchMode(ops->whiteBalanceModes(), runCameraQuery([this] { return link->getWhiteBalanceMode(); }),
		  ui->AWBModeBox, [this](const QString &label) { applyWhiteBalanceEnable(label); });
	readBackWhiteBalance();

	matchMode(ops->imageModes(), runCameraQuery([this] { return link->getImageMode(); }), ui->ImageModeBox,
		  [this](const QString &label) { applyImageEnable(label); });
	readBackImage();

	matchMode(ops->digEffectModes(), runCameraQuery([this] { return link->getMirrorFlip(); }), ui->DigEffectBox,
		  [](const QString &) {});
}

void MainDialog::applyExposureEnable(const QString &mode)
{
	const bool manual = mode == localeText("Manual");
	ui->ShutterSpeedButton->setEnabled(manual);
	ui->IrisButton->setEnabled(manual);
	ui->GainButton->setEnabled(manual);
}

void MainDialog::applyWhiteBalanceEnable(const QString &mode)
{
	const bool manual = mode == localeText("Manual");
	const bool onePush = mode == localeText("OnePush");
	ui->RGainButton->setStepEnabled(manual);
	ui->BGainButton->setStepEnabled(manual);
	ui->OnePushButton->setEnabled(onePush);
}

void MainDialog::applyImageEnable(const QString &mode)
{
	const bool custom = mode == localeText("Custom");
	for (ORPlusMinusButton *stepper : {ui->SharpnessButton, ui->SaturationButton, ui->HueButton, ui->GammaButton})
		stepper->setStepEnabled(custom);
}

void MainDialog::readBackExposure()
{
	const QSignalBlocker shutterBlock(ui->ShutterSpeedButton);
	const QSignalBlocker irisBlock(ui->IrisButton);
	const QSignalBlocker gainBlock(ui->GainButton);
	ui->ShutterSpeedButton->setValue(runCameraQuery([this] { return link->getShutter(); }));
	ui->IrisButton->setValue(runCameraQuery([this] { return link->getIris(); }));
	ui->GainButton->setValue(runCameraQuery([this] { return link->getGain(); }));
}

void MainDialog::readBackWhiteBalance()
{
	const QSignalBlocker redBlock(ui->RGainButton);
	const QSignalBlocker blueBlock(ui->BGainButton);
	ui->RGainButton->setValue(runCameraQuery([this] { return link->getRedGain(); }));
	ui->BGainButton->setValue(runCameraQuery([this] { return link->getBlueGain(); }));
}

void MainDialog::readBackImage()
{
	const QSignalBlocker sharpnessBlock(ui->SharpnessButton);
	const QSignalBlocker hueBlock(ui->HueButton);
	const QSignalBlocker saturationBlock(ui->SaturationButton);
	const QSignalBlocker gammaBlock(ui->GammaButton);
	ui->SharpnessButton->setValue(runCameraQuery([this] { return link->getSharpness() & 0xFF; }));
	ui->HueButton->setValue(runCameraQuery([this] { return link->getHue() & 0xFF; }));
	ui->SaturationButton->setValue(runCameraQuery([this] { return link->getSaturation() & 0xFF; }));
	ui->GammaButton->setValue(runCameraQuery([this] { return link->getGamma(); }));
}

void MainDialog::exposureModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->exposureModes(), text) : 0;
	runCameraCommand([this](int mode) { link->setExposureMode(mode); }, code);
	applyExposureEnable(text);
	readBackExposure();
}

void MainDialog::whiteBalanceModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->whiteBalanceModes(), text) : 0;
	runCameraCommand([this](int mode) { link->setWhiteBalanceMode(mode); }, code);
	applyWhiteBalanceEnable(text);
	if (text == localeText("Manual")) {
		// The camera needs a moment before it reports the gains of the manual mode.
		QThread::msleep(1000);
		readBackWhiteBalance();
	}
}

void MainDialog::imageModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->imageModes(), text) : 0;
	runCameraCommand([this](int mode) { link->setImageMode(mode); }, code);
	applyImageEnable(text);
	readBackImage();
}

void MainDialog::digEffectChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->digEffectModes(), text) : 0;
	runCameraCommand([this](int mode) { link->setMirrorFlip(mode); }, code);
}

void MainDialog::quickExposure(const char *shutter, const char *shutterAlt, const char *iris, const char *gain)
{
	ui->ExposureModeBox->setCurrentText(localeText("Manual"));

	int code = ui->ShutterSpeedButton->valueOf(QString::fromUtf8(shutter));
	if (code == -1 && shutterAlt != nullptr)
		code = ui->ShutterSpeedButton->valueOf(QString::fromUtf8(shutterAlt));
	if (code != -1) {
		ui->ShutterSpeedButton->setValue(code);
		runCameraCommand([this](int value) { link->setShutter(value); }, code);
	} else {
		qDebug("It's failed to set shutter.");
	}

	code = ui->IrisButton->valueOf(QString::fromUtf8(iris));
	if (code != -1) {
		ui->IrisButton->setValue(code);
		runCameraCommand([this](int value) { link->setIris(value); }, code);
	} else {
		qDebug("It's failed to set iris.");
	}

	code = ui->GainButton->valueOf(QString::fromUtf8(gain));
	if (code != -1) {
		ui->GainButton->setValue(code);
		runCameraCommand([this](int value) { link->setGain(value); }, code);
	} else {
		qDebug("It's failed to set gain.");
	}
}
