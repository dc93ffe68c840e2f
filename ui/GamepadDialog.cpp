#include "GamepadDialog.h"

#include "StickView.h"

#include "gamepad/GamepadController.h"
#include "settings/PanelSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Legends printed on pads of the standard layout: the same in every language.
const char *const axisLegends[PadMapping::axisCount] = {"L \u2194", "L \u2195", "R \u2194", "R \u2195", "LT", "RT"};
const char *const buttonLegends[PadMapping::buttonCount] = {
	"A",           "B",  "X",  "Y",  "Back",         "Guide",        "Start",
	"L3",          "R3", "LB", "RB", "D-pad \u2191", "D-pad \u2193", "D-pad \u2190",
	"D-pad \u2192"};

} // namespace

GamepadDialog::GamepadDialog(GamepadController *controller, QWidget *parent) : QDialog(parent), m_controller(controller)
{
	setWindowTitle(tr("GamepadTitle"));
	auto *layout = new QVBoxLayout(this);
	GamepadSettings store(PanelSettings::instance());

	m_enabled = new QCheckBox(tr("GamepadEnabled"), this);
	m_enabled->setObjectName(QStringLiteral("enabled"));
	m_enabled->setChecked(store.enabled());
	layout->addWidget(m_enabled);
	connect(m_enabled, &QCheckBox::toggled, this,
		[](bool on) { GamepadSettings(PanelSettings::instance()).setEnabled(on); });

	auto *response = new QFormLayout;
	m_deadZone = new QSpinBox(this);
	m_deadZone->setObjectName(QStringLiteral("deadZone"));
	m_deadZone->setRange(0, 90);
	m_deadZone->setSuffix(QStringLiteral(" %"));
	m_curve = new QComboBox(this);
	m_curve->setObjectName(QStringLiteral("curve"));
	m_curve->addItem(tr("GamepadCurveLinear"));
	m_curve->addItem(tr("GamepadCurveQuadratic"));
	m_curve->addItem(tr("GamepadCurveCubic"));
	const StickResponse stick = store.response();
	m_deadZone->setValue(qRound(stick.deadZone() * 100));
	m_curve->setCurrentIndex(int(stick.curve()));
	response->addRow(tr("GamepadDeadZone"), m_deadZone);
	response->addRow(tr("GamepadCurve"), m_curve);
	layout->addLayout(response);
	connect(m_deadZone, QOverload<int>::of(&QSpinBox::valueChanged), this, &GamepadDialog::storeResponse);
	connect(m_curve, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &GamepadDialog::storeResponse);

	m_pads = new QComboBox(this);
	m_pads->setObjectName(QStringLiteral("pads"));
	layout->addWidget(m_pads);
	m_padPart = new QWidget(this);
	auto *padLayout = new QVBoxLayout(m_padPart);
	padLayout->setContentsMargins(0, 0, 0, 0);
	m_sticks = new StickView(m_padPart);
	m_sticks->setDeadZone(stick.deadZone());
	padLayout->addWidget(m_sticks);
	auto *slotForm = new QFormLayout;
	m_slot = new QComboBox(m_padPart);
	m_slot->setObjectName(QStringLiteral("slot"));
	m_slot->addItem(tr("GamepadSelectedCamera"));
	for (const char *key : {"Camera1", "Camera2", "Camera3", "Camera4", "Camera5", "Camera6", "Camera7", "Camera8"})
		m_slot->addItem(tr(key));
	slotForm->addRow(tr("GamepadDrives"), m_slot);
	padLayout->addLayout(slotForm);
	auto *mapping = new QGridLayout;
	buildMapping(mapping);
	padLayout->addLayout(mapping);
	auto *defaults = new QPushButton(tr("GamepadDefaults"), m_padPart);
	defaults->setObjectName(QStringLiteral("defaults"));
	padLayout->addWidget(defaults, 0, Qt::AlignLeft);
	layout->addWidget(m_padPart);
	connect(m_slot, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &GamepadDialog::storeMapping);
	connect(defaults, &QPushButton::clicked, this, [this] {
		if (m_controller != nullptr && currentPad() >= 0)
			m_controller->setMapping(currentPad(), PadMapping());
		showPad();
	});

	auto *buttons = new QDialogButtonBox(this);
	buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
	layout->addWidget(buttons);
	connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

	connect(m_pads, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &GamepadDialog::showPad);
	if (m_controller != nullptr) {
		connect(m_controller, &GamepadController::padsChanged, this, &GamepadDialog::showPads);
		connect(m_controller, &GamepadController::inputChanged, this, &GamepadDialog::showInput);
	}
	showPads();
}

void GamepadDialog::buildMapping(QGridLayout *grid)
{
	const QStringList roles = {tr("GamepadNothing"), tr("Panspeed"),      tr("Tiltspeed"),
				   tr("Zoom"),           tr("GamepadZoomIn"), tr("GamepadZoomOut")};
	QStringList actions = {tr("GamepadNothing")};
	for (const char *key :
	     {"Preset1", "Preset2", "Preset3", "Preset4", "Preset5", "Preset6", "Preset7", "Preset8", "Preset9"})
		actions << tr(key);
	actions << tr("GamepadPreviousCamera") << tr("GamepadNextCamera") << tr("GamepadFocusFar")
		<< tr("GamepadFocusNear") << tr("GamepadHome");
	grid->addWidget(new QLabel(tr("GamepadSticks"), m_padPart), 0, 0, 1, 3);
	for (int axis = 0; axis < PadMapping::axisCount; ++axis) {
		auto *role = new QComboBox(m_padPart);
		role->setObjectName(QStringLiteral("role_") + PadMapping::axisName(axis));
		role->addItems(roles);
		auto *invert = new QCheckBox(tr("GamepadInvert"), m_padPart);
		invert->setObjectName(QStringLiteral("invert_") + PadMapping::axisName(axis));
		grid->addWidget(new QLabel(QString::fromUtf8(axisLegends[axis]), m_padPart), axis + 1, 0);
		grid->addWidget(role, axis + 1, 1);
		grid->addWidget(invert, axis + 1, 2);
		connect(role, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &GamepadDialog::storeMapping);
		connect(invert, &QCheckBox::toggled, this, &GamepadDialog::storeMapping);
		m_roles.push_back(role);
		m_inverted.push_back(invert);
	}
	grid->addWidget(new QLabel(tr("GamepadButtons"), m_padPart), 0, 3, 1, 2);
	for (int button = 0; button < PadMapping::buttonCount; ++button) {
		auto *action = new QComboBox(m_padPart);
		action->setObjectName(QStringLiteral("action_") + PadMapping::buttonName(button));
		action->addItems(actions);
		const int row = button % 8 + 1;
		const int column = 3 + 2 * (button / 8);
		grid->addWidget(new QLabel(QString::fromUtf8(buttonLegends[button]), m_padPart), row, column);
		grid->addWidget(action, row, column + 1);
		connect(action, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
			&GamepadDialog::storeMapping);
		m_actions.push_back(action);
	}
}

int GamepadDialog::currentPad() const
{
	return m_pads->currentIndex() < 0 ? -1 : m_pads->currentData().toInt();
}

void GamepadDialog::showPads()
{
	const int shown = currentPad();
	m_showing = true;
	m_pads->clear();
	if (m_controller != nullptr) {
		for (int id : m_controller->padIds())
			m_pads->addItem(m_controller->pad(id)->name, id);
	}
	if (m_pads->count() == 0)
		m_pads->addItem(tr("GamepadNone"), -1);
	const int index = m_pads->findData(shown);
	m_pads->setCurrentIndex(index >= 0 ? index : 0);
	m_showing = false;
	showPad();
}

void GamepadDialog::showPad()
{
	const GamepadController::Pad *pad =
		m_controller != nullptr && currentPad() >= 0 ? m_controller->pad(currentPad()) : nullptr;
	m_padPart->setEnabled(pad != nullptr);
	const PadMapping mapping = pad != nullptr ? pad->mapping : PadMapping();
	m_showing = true;
	m_slot->setCurrentIndex(mapping.slot());
	for (int axis = 0; axis < PadMapping::axisCount; ++axis) {
		m_roles[size_t(axis)]->setCurrentIndex(int(mapping.role(axis)));
		m_inverted[size_t(axis)]->setChecked(mapping.inverted(axis));
	}
	for (int button = 0; button < PadMapping::buttonCount; ++button)
		m_actions[size_t(button)]->setCurrentIndex(int(mapping.action(button)));
	m_sticks->setInput(pad != nullptr ? pad->input : PadInput());
	m_showing = false;
}

void GamepadDialog::showInput(int id)
{
	if (id == currentPad() && m_controller->pad(id) != nullptr)
		m_sticks->setInput(m_controller->pad(id)->input);
}

void GamepadDialog::storeResponse()
{
	StickResponse response;
	response.setDeadZone(m_deadZone->value() / 100.0);
	response.setCurve(StickResponse::Curve(m_curve->currentIndex()));
	m_sticks->setDeadZone(response.deadZone());
	if (m_controller != nullptr)
		m_controller->setResponse(response);
	else
		GamepadSettings(PanelSettings::instance()).setResponse(response);
}

void GamepadDialog::storeMapping()
{
	if (m_showing || m_controller == nullptr || currentPad() < 0)
		return;
	PadMapping mapping;
	mapping.setSlot(m_slot->currentIndex());
	for (int axis = 0; axis < PadMapping::axisCount; ++axis) {
		mapping.setRole(axis, PadMapping::AxisRole(m_roles[size_t(axis)]->currentIndex()));
		mapping.setInverted(axis, m_inverted[size_t(axis)]->isChecked());
	}
	for (int button = 0; button < PadMapping::buttonCount; ++button)
		mapping.setAction(button, PadMapping::Action(m_actions[size_t(button)]->currentIndex()));
	m_controller->setMapping(currentPad(), mapping);
}
