#include "MainDialog.h"
#include "ui_MainDialog.h"

#include "CellTextFitter.h"
#include "HostThemeReset.h"
#include "panel/EditStamps.h"
#include "panel/MotionControls.h"
#include "panel/PanelMenus.h"
#include "panel/PanelReflow.h"
#include "panel/ReadingOrder.h"
#include "panel/PictureControls.h"
#include "panel/PresetControls.h"
#include "panel/SlotMark.h"

#include "bridge/ViscaTransfer.h"
#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "plugin/CameraHotKey.h"
#include "plugin/HotKeyActions.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRegularExpression>

namespace {

constexpr int panelHeight = 692;

QString localeText(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}

} // namespace

MainDialog::MainDialog(QWidget *parent) : MainDialog(parent, nullptr, nullptr) {}

MainDialog::MainDialog(QWidget *parent, CameraRig *sharedRig, ViscaTransfer *sharedBridge)
	: QDialog(parent), ui(new Ui::MainDialog), edits(new EditStamps), rig(sharedRig), bridge(sharedBridge)
{
	// The simple view's size and the title are there before the form: a dock that holds the panel unbuilt opens
	// at the right size and under the right name.
	setFixedSize(PanelReflow::simpleWidth, panelHeight);
	setWindowTitle(tr("PluginTitle"));
	if (rig == nullptr) {
		// Standalone: cameras, hotkeys and bridge of its own.
		ownRig = true;
		rig = new CameraRig(PanelSettings::instance(), this);
		new HotKeyActions(*new CameraHotKey(this), *rig, this);
		bridge = new ViscaTransfer(this);
		bridge->setOpenToNetwork(bridgeOpenToNetworkSetting());
		bridge->startServer();
		rig->start();
		ensureBuilt();
	}
}

MainDialog::~MainDialog()
{
	// Join the cameras' workers before the widgets their results would touch go.
	if (ownRig)
		rig->shutdown();
	delete menus;
	ui.reset();
}

bool MainDialog::bridgeOpenToNetworkSetting()
{
	return PanelSettings::instance().bridgeOpenToNetwork();
}

void MainDialog::ensureBuilt()
{
	if (built)
		return;
	built = true;
	ui->setupUi(this);
	// From here the form's own sizes decide the panel's: the room it is given picks the layout.
	setMinimumSize(0, 0);
	setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
	reflow = new PanelReflow(ui.get(), this);
	connect(reflow, &PanelReflow::viewChanged, this, &MainDialog::viewChanged);
	setStyleSheet(withHostThemeReset("background-color: #474747"));
	// The preset, slot, menu and quick-exposure buttons share their grid's width: a long text is elided, never
	// widens its column.
	auto *fitter = new CellTextFitter(this);
	const QRegularExpression gridButtons(
		"^(Preset[1-9]|LowLight|Indoor|BackLight|Motion|Camera[1-8]|Settings|View|Help|Store|Ten|Call)Button$");
	for (QWidget *cell : findChildren<QPushButton *>(gridButtons))
		fitter->watch(cell);
	// So do the labels, which a narrow dock or a long word squeezes.
	for (QLabel *label : findChildren<QLabel *>()) {
		if (label != ui->LogoLabel)
			fitter->watch(label);
	}

	motion = new MotionControls(ui.get(), *rig, *edits, this);
	presets = new PresetControls(ui.get(), *rig, this);
	picture = new PictureControls(ui.get(), *rig, *edits, this);
	menus = new PanelMenus(ui.get(), *rig, bridge, this);
	connect(menus, &PanelMenus::simpleViewRequested, this, &MainDialog::hideAdvanceView);
	connect(menus, &PanelMenus::advancedViewRequested, this, &MainDialog::showAdvanceView);

	slotButtons = new QButtonGroup(this);
	slotButtons->setExclusive(false);
	QPushButton *const buttons[] = {ui->Camera1Button, ui->Camera2Button, ui->Camera3Button, ui->Camera4Button,
					ui->Camera5Button, ui->Camera6Button, ui->Camera7Button, ui->Camera8Button};
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot)
		slotButtons->addButton(buttons[slot - 1], slot);
	connect(slotButtons, &QButtonGroup::idClicked, this, &MainDialog::slotClicked);
	connect(rig, &CameraRig::selectionChanged, this, &MainDialog::selectionChanged);
	connect(rig, &CameraRig::sessionStateChanged, this, &MainDialog::sessionStateChanged);
	connect(rig, &CameraRig::onAirChanged, this, &MainDialog::markSlot);
	connect(rig, &CameraRig::operationRefused, this, [this](int slot) {
		if (slot == rig->selectedSlot())
			ui->ConnectionLabel->setText(localeText("CameraLockedOnProgram"));
	});
	connect(&PanelSettings::instance(), &PanelSettings::slotsChanged, this, &MainDialog::loadSlotLabels);
	connect(&PanelSettings::instance(), &PanelSettings::writeFailed, this,
		[this](const QString &text) { ui->ConnectionLabel->setText(text); });

	reflow->setAdvanced(false);
	setReadingOrder(this);
	presets->loadNames();
	loadSlotLabels();
	selectionChanged(rig->selectedSlot());

	if (isWindow())
		setWindowFlag(Qt::WindowStaysOnTopHint);
	// Built while already shown (OBS restored its dock open): widgets made after the show wait for their own.
	// The menus are windows of their own and show only when opened.
	if (isVisible()) {
		for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
			if (!child->isWindow() && !child->testAttribute(Qt::WA_WState_ExplicitShowHide))
				child->show();
		}
	}
}

void MainDialog::setCameraPort(int port)
{
	rig->setCameraPort(port);
}

void MainDialog::setLinkCheckInterval(int milliseconds)
{
	rig->setCheckInterval(milliseconds);
}

bool MainDialog::cameraIdle() const
{
	return rig->isIdle();
}

void MainDialog::showAdvanceView()
{
	if (reflow)
		reflow->setAdvanced(true);
}

void MainDialog::hideAdvanceView()
{
	if (reflow)
		reflow->setAdvanced(false);
}

void MainDialog::fitTo(QSize room)
{
	if (reflow)
		reflow->fitTo(room);
}

QSize MainDialog::sizeHint() const
{
	// The view at its designed width: a new or floating dock opens at it.
	return reflow ? reflow->sizeHint() : QDialog::sizeHint();
}

void MainDialog::setStatusVisible(bool visible)
{
	ui->StatusFrame->setVisible(visible);
}

void MainDialog::loadSlotLabels()
{
	const PanelSettings &settings = PanelSettings::instance();
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		const QString slotKey = QStringLiteral("Camera%1").arg(slot);
		slotButtons->button(slot)->setText(settings.hasSlotName(slot)
							   ? settings.slotName(slot)
							   : localeText(slotKey.toUtf8().constData()));
		markSlot(slot);
	}
}

void MainDialog::markSlot(int slot)
{
	showSlotState(slotButtons->button(slot), rig->session(slot)->state(), rig->onAir(slot));
}

// A click selects the slot's session: a connected camera's controls enable at once; a camera still connecting
// follows when it answers; a slot without a camera warns. Clicking the selected slot clears the selection.
void MainDialog::slotClicked(int slot)
{
	QAbstractButton *button = slotButtons->button(slot);
	if (!button->isChecked()) {
		rig->select(0);
		return;
	}
	const CameraSession::State state = rig->session(slot)->state();
	if (state == CameraSession::State::NoAddress || state == CameraSession::State::NotAnswering) {
		rig->select(0);
		selectionChanged(0);
		showConnectFailed(slot);
		return;
	}
	rig->select(slot);
}

void MainDialog::selectionChanged(int slot)
{
	lost = false;
	for (QAbstractButton *button : slotButtons->buttons())
		button->setChecked(slotButtons->id(button) == slot);
	CameraSession *session = rig->session(slot);
	if (session == nullptr) {
		setControlsEnabled(false);
		ui->ConnectionLabel->clear();
		return;
	}
	if (session->state() == CameraSession::State::Connected) {
		showSelected(false);
	} else {
		setControlsEnabled(false);
		ui->ConnectionLabel->setText(localeText("CameraConnecting"));
	}
}

void MainDialog::sessionStateChanged(int slot, CameraSession::State state)
{
	markSlot(slot);
	if (state == CameraSession::State::Connected && slot == failedSlot && failedBox)
		failedBox->close();
	if (slot != rig->selectedSlot())
		return;
	switch (state) {
	case CameraSession::State::Connected:
		showSelected(lost);
		break;
	case CameraSession::State::Connecting:
		setControlsEnabled(false);
		slotButtons->button(slot)->setChecked(true);
		ui->ConnectionLabel->setText(localeText("CameraConnecting"));
		break;
	case CameraSession::State::NotAnswering:
		setControlsEnabled(false);
		ui->ConnectionLabel->setText(localeText("CameraNotAnswering").arg(slot));
		if (lost)
			break;
		if (rig->session(slot)->model()) {
			// Gone: it keeps being watched and comes back to this view by itself.
			lost = true;
			slotButtons->button(slot)->setChecked(false);
		} else {
			rig->select(0);
		}
		showConnectFailed(slot);
		break;
	case CameraSession::State::NoAddress:
		rig->select(0);
		break;
	}
}

// The selected camera is connected: its model's lists and ranges, its stored speeds, then its current values.
void MainDialog::showSelected(bool reconnected)
{
	CameraSession *session = rig->selected();
	if (session == nullptr || !session->model())
		return;
	lost = false;
	const ViscaParamOps &ops = *session->model();
	motion->applyModel(ops);
	presets->applyModel(ops);
	picture->applyModel(ops);
	motion->readBack();
	picture->readBack();
	motion->loadSpeeds(session->settingsPrefix());
	presets->loadPresetSpeed(session->settingsPrefix());
	setControlsEnabled(true);
	for (QAbstractButton *button : slotButtons->buttons())
		button->setChecked(slotButtons->id(button) == session->slot());
	ui->ConnectionLabel->setText(reconnected ? localeText("CameraReconnected") : QString());
}

void MainDialog::setControlsEnabled(bool enabled)
{
	ui->CameraControlBox->setEnabled(enabled);
	ui->AdvanceFrame->setEnabled(enabled);
	menus->setConnected(enabled);
}

void MainDialog::showConnectFailed(int slot)
{
	// Not modal: OBS's main window (the panel's parent) keeps working while the box is open. One box at a time,
	// about the last camera that failed.
	if (failedBox)
		failedBox->close();
	failedBox = Utils::showWarningBox(localeText("FailedToConnectToCamera"), this);
	failedSlot = slot;
}

void MainDialog::reject()
{
	if (isWindow())
		QDialog::reject();
}
