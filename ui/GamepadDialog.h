#pragma once

#include <QDialog>

#include <vector>

class GamepadController;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QSpinBox;
class StickView;

// Gamepads: whether they are used, the connected pads with their sticks live, the dead zone and response
// curve, and each pad's mapping and the camera it drives. Every change is stored at once.
class GamepadDialog : public QDialog {
	Q_OBJECT

public:
	// controller: the module's (null: no pads are read, the pad part stays empty).
	explicit GamepadDialog(GamepadController *controller, QWidget *parent = nullptr);

private:
	void buildMapping(QGridLayout *grid);
	void showPads();
	void showPad();
	void showInput(int id);
	void storeResponse();
	void storeMapping();
	int currentPad() const;

	GamepadController *m_controller;
	QCheckBox *m_enabled = nullptr;
	QComboBox *m_pads = nullptr;
	StickView *m_sticks = nullptr;
	QSpinBox *m_deadZone = nullptr;
	QComboBox *m_curve = nullptr;
	QComboBox *m_slot = nullptr;
	std::vector<QComboBox *> m_roles;
	std::vector<QCheckBox *> m_inverted;
	std::vector<QComboBox *> m_actions;
	QWidget *m_padPart = nullptr;
	bool m_showing = false;
};
