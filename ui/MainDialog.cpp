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
#include "visca/CameraWorker.h"
#include "visca/viscaIpModule.h"

#include <QAction>
#include <QDebug>
#include <QIcon>
#include <QJsonObject>
#include <QMenu>
#include <QSignalBlocker>
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

// Value-setting operations: a waiting one of the same kind gives way to the newest (CameraWorker::post).
enum MergeKind {
	ZoomPosition = 1,
	FocusPosition,
	AutoFocusMode,
	PresetSpeed,
	MirrorFlip,
	Shutter,
	Iris,
	Gain,
	RedGain,
	BlueGain,
	Sharpness,
	Hue,
	Saturation,
	Gamma,
};

// Edit key of the focus mode, which shares its widget with the focus position.
const char focusModeKey = 0;

// A read-back answer; answered is false when the camera gave no valid answer.
struct Answer {
	int value = 0;
	bool answered = false;
};

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

MainDialog::MainDialog(QWidget *parent) : MainDialog(parent, nullptr, nullptr) {}

MainDialog::MainDialog(QWidget *parent, CameraHotKey *sharedHotKeys, ViscaTransfer *sharedBridge)
	: QDialog(parent), ui(new Ui::MainDialog), hotKeys(sharedHotKeys), bridge(sharedBridge)
{
	// The simple view's size and the title are there before the form: a dock that holds the panel unbuilt opens
	// at the right size and under the right name.
	setFixedSize(425, 692);
	setWindowTitle(tr("PluginTitle"));
	if (sharedHotKeys == nullptr && sharedBridge == nullptr)
		ensureBuilt();
}

void MainDialog::ensureBuilt()
{
	if (built)
		return;
	built = true;
	ui->setupUi(this);
	bindCommands();
	if (hotKeys == nullptr)
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
	if (isWindow())
		setWindowFlag(Qt::WindowStaysOnTopHint);
	if (bridge == nullptr)
		startBridge();
	// Built while already shown (OBS restored its dock open): widgets made after the show wait for their own.
	// The menus are windows of their own and show only when opened.
	if (isVisible()) {
		for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
			if (!child->isWindow() && !child->testAttribute(Qt::WA_WState_ExplicitShowHide))
				child->show();
		}
	}
}

bool MainDialog::bridgeOpenToNetworkSetting()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	return settings.value(bridgeNetworkKey).toBool(false);
}

MainDialog::~MainDialog()
{
	// Cut every camera wait short and join the workers before the widgets their results would touch go.
	for (CameraWorker *each : findChildren<CameraWorker *>())
		each->stop();
	ui.reset();
	delete discoveryDialog.data();
	delete limitDialog.data();
	delete renameDialog.data();
	delete aboutDialog.data();
}

void MainDialog::setCameraPort(int port)
{
	cameraPort = port;
}

void MainDialog::setLinkCheckInterval(int milliseconds)
{
	linkCheckTimer->setInterval(milliseconds);
}

bool MainDialog::cameraIdle() const
{
	return !selecting && (worker == nullptr || worker->isIdle());
}

// ---- Construction ----------------------------------------------------------------------------------------------

void MainDialog::bindCommands()
{
	upCommand = [](viscaIpModule &link, int) { link.moveUp(); };
	downCommand = [](viscaIpModule &link, int) { link.moveDown(); };
	leftCommand = [](viscaIpModule &link, int) { link.moveLeft(); };
	rightCommand = [](viscaIpModule &link, int) { link.moveRight(); };
	zoomTeleCommand = [](viscaIpModule &link, int) { link.zoomTele(); };
	zoomWideCommand = [](viscaIpModule &link, int) { link.zoomWide(); };
	presetCallCommand = [](viscaIpModule &link, int number) {
		link.setPresetNumber(number);
		link.recallPreset();
	};
	panTiltStopCommand = [](viscaIpModule &link, int) { link.panTiltStop(); };
	zoomStopCommand = [](viscaIpModule &link, int) { link.zoomStop(); };
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
	// The same reading of the settings file as the module's own bridge at OBS's load.
	bridge->setOpenToNetwork(bridgeOpenToNetworkSetting());
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
		showWarning("NeedToSetHotKeysInOBS");
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
	// Any selection in progress or camera in use gives way: its late results are dropped, its link discarded.
	dropCamera();
	if (!button->isChecked()) {
		setDisconnected();
		uncheckCameraButtons();
		return;
	}
	setDisconnected();

	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	const QString ipKey = slotKey + "IP";
	if (!settings.contains(ipKey)) {
		failSelection();
		return;
	}
	const QString ip = settings.value(ipKey).toString();

	// The slot shows that it is connecting; the controls wait for the camera.
	button->setChecked(true);
	currentButton = button;
	currentSlotKey = slotKey;
	selecting = true;
	ui->ConnectionLabel->setText(localeText("CameraConnecting"));
	worker = new CameraWorker(this);
	identifyAndOpen(ip, [this, button, ip](const CameraModelMap &found) {
		selecting = false;
		if (found.empty())
			failSelection();
		else
			finishSelection(button, ip, found, false);
	});
}

void MainDialog::identifyAndOpen(const QString &ip, std::function<void(const CameraModelMap &)> done)
{
	const int port = cameraPort;
	CameraWorker *selection = worker;
	worker->post<CameraModelMap>(
		CameraWorker::neverMerged,
		[ip, port](CameraWorker::Link &link) {
			ModelIdentifier identifier(port);
			CameraModelMap found = identifier.identifyCamera(ip);
			if (found.empty() || !found.begin()->second.params)
				return CameraModelMap();
			link.reset(
				createViscaModule(QString::fromStdString(found.begin()->second.params->modelName())));
			link->connectCamera(ip, port);
			return found;
		},
		this,
		[this, selection, done](const CameraModelMap &found) {
			if (selection == worker)
				done(found);
		});
}

void MainDialog::finishSelection(QPushButton *button, const QString &ip, const CameraModelMap &found, bool reconnected)
{
	models.clear();
	for (const auto &entry : found)
		models.insert(entry.first, entry.second);
	ViscaParamOps *ops = modelOps();
	const QString modelName = QString::fromStdString(ops->modelName());

	applyModel(ops);
	refreshFromCamera();

	cameraPrefix = ip + modelName;
	loadSpeeds();

	connected = 1;
	lost = false;
	ui->CameraControlBox->setEnabled(true);
	ui->AdvanceFrame->setEnabled(true);
	panTiltLimitAction->setEnabled(true);
	// The limit dialog shows the previous camera's limits.
	if (limitDialog && limitDialog->isVisible())
		limitDialog->close();
	uncheckCameraButtons();
	button->setChecked(true);
	ui->ConnectionLabel->setText(reconnected ? localeText("CameraReconnected") : QString());
}

void MainDialog::failSelection()
{
	dropCamera();
	setDisconnected();
	ui->ConnectionLabel->clear();
	showWarning("FailedToConnectToCamera");
	uncheckCameraButtons();
}

void MainDialog::dropCamera()
{
	if (worker != nullptr)
		worker->retire();
	worker = nullptr;
	selecting = false;
	checkRunning = false;
	lost = false;
	currentButton = nullptr;
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
	if (worker == nullptr || checkRunning || selecting || (connected != 1 && !lost))
		return;
	checkRunning = true;
	CameraWorker *checked = worker;
	worker->post<bool>(
		CameraWorker::neverMerged,
		[checked](CameraWorker::Link &link) {
			for (int attempt = 0; attempt < 5; ++attempt) {
				if (link && link->isCameraAlive())
					return true;
				checked->pause(200);
			}
			return false;
		},
		this,
		[this, checked](const bool &alive) {
			if (checked != worker)
				return;
			checkRunning = false;
			if (lost) {
				if (alive)
					reconnectLostCamera();
				return;
			}
			if (alive || connected != 1)
				return;
			// Gone: disconnected as before, but the camera keeps being watched for its return.
			setDisconnected();
			lost = true;
			ui->ConnectionLabel->clear();
			showWarning("FailedToConnectToCamera");
		});
}

void MainDialog::reconnectLostCamera()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	const QString ipKey = currentSlotKey + "IP";
	if (!settings.contains(ipKey) || currentButton == nullptr)
		return;
	const QString ip = settings.value(ipKey).toString();
	QPushButton *button = currentButton;
	checkRunning = true; // no link check while identifying
	identifyAndOpen(ip, [this, button, ip](const CameraModelMap &found) {
		checkRunning = false;
		if (lost && !found.empty())
			finishSelection(button, ip, found, true);
	});
}

void MainDialog::uncheckCameraButtons()
{
	for (QPushButton *button : {ui->Camera1Button, ui->Camera2Button, ui->Camera3Button, ui->Camera4Button,
				    ui->Camera5Button, ui->Camera6Button, ui->Camera7Button, ui->Camera8Button})
		button->setChecked(false);
}

void MainDialog::showWarning(const char *key)
{
	// Not modal: OBS's main window (the panel's parent) keeps working while the box is open.
	Utils::showWarningBox(localeText(key), this);
}

bool MainDialog::runCameraCommand(CameraCommand command, int argument, int kind)
{
	if (worker == nullptr)
		return false;
	CameraWorker *target = worker;
	worker->post(kind, [target, command, argument](CameraWorker::Link &link) {
		if (!link)
			return;
		command(*link, argument);
		// Paces the camera, not the operator.
		target->pause(50);
	});
	return true;
}

void MainDialog::readBack(const void *key, std::function<int(viscaIpModule &)> query, std::function<void(int)> apply)
{
	if (worker == nullptr)
		return;
	const quint64 stamp = edits.value(key);
	worker->post<Answer>(
		CameraWorker::neverMerged,
		[query](CameraWorker::Link &link) {
			Answer answer;
			if (link) {
				answer.value = query(*link);
				answer.answered = link->lastInquiryAnswered();
			}
			return answer;
		},
		this,
		[this, key, stamp, apply](const Answer &answer) {
			// No answer leaves the control as it is; so does a newer value the operator chose meanwhile.
			if (answer.answered && edits.value(key) == stamp)
				apply(answer.value);
		});
}

void MainDialog::touched(const void *key)
{
	++edits[key];
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
			[this, drive] { runCameraCommand([drive](viscaIpModule &link, int) { (link.*drive)(); }, 0); });
		connect(entry.first, &QPushButton::released, this, [this] { runCameraCommand(panTiltStopCommand, 0); });
	}
	connect(ui->HomeButton, &QPushButton::pressed, this,
		[this] { runCameraCommand([](viscaIpModule &link, int) { link.panTiltHome(); }, 0); });

	connect(ui->ZoomWidget, &ORZoomVerticalSlider::started, this, [this](ZoomType type) {
		touched(ui->ZoomWidget);
		runCameraCommand(
			[](viscaIpModule &link, int zoomType) {
				if (zoomType == ZoomPlus)
					link.zoomTele();
				else if (zoomType == ZoomMinus)
					link.zoomWide();
			},
			type);
	});
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::stopped, this, &MainDialog::zoomStopAndReadBack);
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::valueChanged, this, [this](int value) {
		touched(ui->ZoomWidget);
		runCameraCommand([](viscaIpModule &link, int position) { link.setZoomPosition(position); }, value,
				 ZoomPosition);
	});

	connect(ui->FocusWidget, &ORFocusVerticalSlider::started, this, [this](FocusType type) {
		touched(ui->FocusWidget);
		runCameraCommand(
			[](viscaIpModule &link, int focusType) {
				if (focusType == FocusPlus)
					link.focusNear();
				else if (focusType == FocusMinus)
					link.focusFar();
			},
			type);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::stopped, this, &MainDialog::focusStopAndReadBack);
	connect(ui->FocusWidget, &ORFocusVerticalSlider::valueChanged, this, [this](int value) {
		touched(ui->FocusWidget);
		runCameraCommand([](viscaIpModule &link, int position) { link.setFocusPosition(position); }, value,
				 FocusPosition);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::modeChanged, this, [this](AFMode mode) {
		touched(&focusModeKey);
		runCameraCommand([](viscaIpModule &link, int afMode) { link.setAutoFocus(afMode != ManualFocus); },
				 mode, AutoFocusMode);
	});

	QLineEdit *const edits[] = {ui->PanSpeedEdit, ui->TiltSpeedEdit, ui->ZoomSpeedEdit, ui->FocusSpeedEdit};
	for (int field = 0; field < 4; ++field) {
		QLineEdit *edit = edits[field];
		connect(edit, &QLineEdit::returnPressed, this, [this, field, edit] {
			if (worker != nullptr)
				applySpeed(field, edit->text().toInt(nullptr, 10));
		});
	}
}

// The stop and the position inquiry go out together; the answer moves the slider without sending it back.
void MainDialog::zoomStopAndReadBack()
{
	readBack(
		ui->ZoomWidget,
		[](viscaIpModule &link) {
			link.zoomStop();
			return link.getZoomPosition();
		},
		[this](int position) {
			const QSignalBlocker block(ui->ZoomWidget);
			ui->ZoomWidget->setValue(position);
		});
}

void MainDialog::focusStopAndReadBack()
{
	readBack(
		ui->FocusWidget,
		[](viscaIpModule &link) {
			link.focusStop();
			return link.getFocusPosition();
		},
		[this](int position) {
			const QSignalBlocker block(ui->FocusWidget);
			ui->FocusWidget->setValue(position);
		});
}

// field: 0 pan, 1 tilt, 2 zoom, 3 focus. Called only while there is a camera.
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
	runCameraCommand(
		[field](viscaIpModule &link, int speed) {
			switch (field) {
			case 0:
				link.setPanSpeed(speed);
				break;
			case 1:
				link.setTiltSpeed(speed);
				break;
			case 2:
				link.setZoomSpeed(speed);
				break;
			default:
				link.setFocusSpeed(speed);
				break;
			}
		},
		value);
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
	if (worker == nullptr)
		return;
	ViscaParamOps *ops = modelOps();
	using Setter = void (viscaIpModule::*)(int, unsigned int, unsigned int);
	auto setLimit = [this, ops, value](const char *key, Setter setter, unsigned int high, unsigned int low) {
		if (ops != nullptr)
			runCameraCommand([=](viscaIpModule &link, int degrees) { (link.*setter)(degrees, high, low); },
					 value);
		storeSetting(cameraPrefix + key, QString::number(value));
	};
	switch (type) {
	case TiltUpLimit:
		setLimit("TiltUpLimit", &viscaIpModule::setTiltUpLimit, ops ? ops->tiltUpLimitMax() : 0,
			 ops ? ops->tiltUpLimitMin() : 0);
		break;
	case PanLeftLimit:
		setLimit("PanLeftLimit", &viscaIpModule::setPanLeftLimit, ops ? ops->panLeftLimitMax() : 0,
			 ops ? ops->panLeftLimitMin() : 0);
		break;
	case TiltDownLimit:
		setLimit("TiltDownLimit", &viscaIpModule::setTiltDownLimit, ops ? ops->tiltDownLimitMax() : 0,
			 ops ? ops->tiltDownLimitMin() : 0);
		break;
	case PanRightLimit:
		setLimit("PanRightLimit", &viscaIpModule::setPanRightLimit, ops ? ops->panRightLimitMax() : 0,
			 ops ? ops->panRightLimitMin() : 0);
		break;
	case PTZSpeedComp:
		runCameraCommand([](viscaIpModule &link, int on) { link.setSpeedCompensation(on); }, value);
		break;
	case PanTiltLimit:
		if (value == 0) {
			runCameraCommand([](viscaIpModule &link, int) { link.clearUpRightLimit(); }, 0);
			runCameraCommand([](viscaIpModule &link, int) { link.clearDownLeftLimit(); }, 0);
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
			[store](viscaIpModule &link, int preset) {
				link.setPresetNumber(preset);
				if (store)
					link.storePreset();
				else
					link.recallPreset();
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
	if (runCameraCommand([](viscaIpModule &link, int speed) { link.setPresetSpeed(speed); }, code, PresetSpeed))
		storeSetting(cameraPrefix + "PresetSpeed", ui->PresetSpeedBox->currentText());
}

// ---- Picture controls ------------------------------------------------------------------------------------------

void MainDialog::connectPictureSignals()
{
	connect(ui->ExposureModeBox, &QComboBox::currentTextChanged, this, &MainDialog::exposureModeChanged);
	bindStepper(ui->ShutterSpeedButton, Shutter, &viscaIpModule::setShutter);
	bindStepper(ui->IrisButton, Iris, &viscaIpModule::setIris);
	bindStepper(ui->GainButton, Gain, &viscaIpModule::setGain);

	connect(ui->LowLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/30", "1/25", "F2", "33dB"); });
	connect(ui->BackLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/120", nullptr, "F4.5", "21dB"); });
	connect(ui->IndoorButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/60", "1/50", "F3.2", "24dB"); });
	connect(ui->MotionButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/180", nullptr, "F3.2", "27dB"); });

	connect(ui->AWBModeBox, &QComboBox::currentTextChanged, this, &MainDialog::whiteBalanceModeChanged);
	bindStepper(ui->RGainButton, RedGain, &viscaIpModule::setRedGain);
	bindStepper(ui->BGainButton, BlueGain, &viscaIpModule::setBlueGain);
	connect(ui->OnePushButton, &QPushButton::pressed, this,
		[this] { runCameraCommand([](viscaIpModule &link, int) { link.whiteBalanceOnePush(); }, 0); });

	connect(ui->ImageModeBox, &QComboBox::currentTextChanged, this, &MainDialog::imageModeChanged);
	bindStepper(ui->SharpnessButton, Sharpness, &viscaIpModule::setSharpness);
	bindStepper(ui->HueButton, Hue, &viscaIpModule::setHue);
	bindStepper(ui->SaturationButton, Saturation, &viscaIpModule::setSaturation);
	bindStepper(ui->GammaButton, Gamma, &viscaIpModule::setGamma);
	connect(ui->DigEffectBox, &QComboBox::currentTextChanged, this, &MainDialog::digEffectChanged);
}

void MainDialog::bindStepper(ORPlusMinusButton *stepper, int kind, bool (viscaIpModule::*setter)(int))
{
	connect(stepper, &ORPlusMinusButton::valueChanged, this, [this, stepper, kind, setter](int value) {
		touched(stepper);
		runCameraCommand([setter](viscaIpModule &link, int v) { (link.*setter)(v); }, value, kind);
	});
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

// Each answer lands in its control when it comes (signals blocked, so nothing goes back to the camera).
void MainDialog::refreshFromCamera()
{
	if (modelOps() == nullptr)
		return;
	readBack(
		ui->ZoomWidget, [](viscaIpModule &link) { return link.getZoomPosition(); },
		[this](int position) {
			const QSignalBlocker block(ui->ZoomWidget);
			ui->ZoomWidget->setValue(position);
		});
	readBack(
		ui->FocusWidget, [](viscaIpModule &link) { return link.getFocusPosition(); },
		[this](int position) {
			const QSignalBlocker block(ui->FocusWidget);
			ui->FocusWidget->setValue(position);
		});
	readBack(
		&focusModeKey, [](viscaIpModule &link) { return link.isAutoFocus() ? 1 : 0; },
		[this](int autoFocus) {
			const QSignalBlocker block(ui->FocusWidget);
			ui->FocusWidget->setMode(autoFocus == 1 ? AutoFocus : ManualFocus);
		});

	auto mode = [this](QComboBox *box, int (viscaIpModule::*query)(), ParamTable (ViscaParamOps::*table)() const,
			   void (MainDialog::*rule)(const QString &)) {
		readBack(
			box, [query](viscaIpModule &link) { return (link.*query)(); },
			[this, box, table, rule](int code) {
				ViscaParamOps *ops = modelOps();
				if (ops == nullptr)
					return;
				const QSignalBlocker block(box);
				matchMode((ops->*table)(), code, box, [this, rule](const QString &label) {
					if (rule != nullptr)
						(this->*rule)(label);
				});
			});
	};
	mode(ui->ExposureModeBox, &viscaIpModule::getExposureMode, &ViscaParamOps::exposureModes,
	     &MainDialog::applyExposureEnable);
	readBackExposure();
	mode(ui->AWBModeBox, &viscaIpModule::getWhiteBalanceMode, &ViscaParamOps::whiteBalanceModes,
	     &MainDialog::applyWhiteBalanceEnable);
	readBackWhiteBalance();
	mode(ui->ImageModeBox, &viscaIpModule::getImageMode, &ViscaParamOps::imageModes, &MainDialog::applyImageEnable);
	readBackImage();
	mode(ui->DigEffectBox, &viscaIpModule::getMirrorFlip, &ViscaParamOps::digEffectModes, nullptr);
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

void MainDialog::readBackStepper(ORPlusMinusButton *stepper, int (viscaIpModule::*query)(), int mask)
{
	readBack(
		stepper, [query, mask](viscaIpModule &link) { return (link.*query)() & mask; },
		[stepper](int value) {
			const QSignalBlocker block(stepper);
			stepper->setValue(value);
		});
}

void MainDialog::readBackExposure()
{
	readBackStepper(ui->ShutterSpeedButton, &viscaIpModule::getShutter);
	readBackStepper(ui->IrisButton, &viscaIpModule::getIris);
	readBackStepper(ui->GainButton, &viscaIpModule::getGain);
}

void MainDialog::readBackWhiteBalance()
{
	readBackStepper(ui->RGainButton, &viscaIpModule::getRedGain);
	readBackStepper(ui->BGainButton, &viscaIpModule::getBlueGain);
}

void MainDialog::readBackImage()
{
	readBackStepper(ui->SharpnessButton, &viscaIpModule::getSharpness, 0xFF);
	readBackStepper(ui->HueButton, &viscaIpModule::getHue, 0xFF);
	readBackStepper(ui->SaturationButton, &viscaIpModule::getSaturation, 0xFF);
	readBackStepper(ui->GammaButton, &viscaIpModule::getGamma);
}

void MainDialog::exposureModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->exposureModes(), text) : 0;
	touched(ui->ExposureModeBox);
	runCameraCommand([](viscaIpModule &link, int mode) { link.setExposureMode(mode); }, code);
	applyExposureEnable(text);
	readBackExposure();
}

void MainDialog::whiteBalanceModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->whiteBalanceModes(), text) : 0;
	touched(ui->AWBModeBox);
	runCameraCommand([](viscaIpModule &link, int mode) { link.setWhiteBalanceMode(mode); }, code);
	applyWhiteBalanceEnable(text);
	if (text == localeText("Manual") && worker != nullptr) {
		// The camera needs a moment before it reports the gains of the manual mode.
		CameraWorker *target = worker;
		worker->post(CameraWorker::neverMerged, [target](CameraWorker::Link &) { target->pause(1000); });
		readBackWhiteBalance();
	}
}

void MainDialog::imageModeChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->imageModes(), text) : 0;
	touched(ui->ImageModeBox);
	runCameraCommand([](viscaIpModule &link, int mode) { link.setImageMode(mode); }, code);
	applyImageEnable(text);
	readBackImage();
}

void MainDialog::digEffectChanged(const QString &text)
{
	ViscaParamOps *ops = modelOps();
	const int code = ops ? codeOf(ops->digEffectModes(), text) : 0;
	touched(ui->DigEffectBox);
	runCameraCommand([](viscaIpModule &link, int mode) { link.setMirrorFlip(mode); }, code, MirrorFlip);
}

void MainDialog::quickExposure(const char *shutter, const char *shutterAlt, const char *iris, const char *gain)
{
	ui->ExposureModeBox->setCurrentText(localeText("Manual"));

	int code = ui->ShutterSpeedButton->valueOf(QString::fromUtf8(shutter));
	if (code == -1 && shutterAlt != nullptr)
		code = ui->ShutterSpeedButton->valueOf(QString::fromUtf8(shutterAlt));
	if (code != -1) {
		ui->ShutterSpeedButton->setValue(code);
		touched(ui->ShutterSpeedButton);
		runCameraCommand([](viscaIpModule &link, int value) { link.setShutter(value); }, code);
	} else {
		qDebug("It's failed to set shutter.");
	}

	code = ui->IrisButton->valueOf(QString::fromUtf8(iris));
	if (code != -1) {
		ui->IrisButton->setValue(code);
		touched(ui->IrisButton);
		runCameraCommand([](viscaIpModule &link, int value) { link.setIris(value); }, code);
	} else {
		qDebug("It's failed to set iris.");
	}

	code = ui->GainButton->valueOf(QString::fromUtf8(gain));
	if (code != -1) {
		ui->GainButton->setValue(code);
		touched(ui->GainButton);
		runCameraCommand([](viscaIpModule &link, int value) { link.setGain(value); }, code);
	} else {
		qDebug("It's failed to set gain.");
	}
}
