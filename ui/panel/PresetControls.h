#pragma once

#include <QObject>

class CameraRig;
class QButtonGroup;
class ViscaParamOps;

namespace Ui {
class MainDialog;
}

// Presets 1-9 with their names (11-19 while "10+" is pressed), STORE and CALL with a status line for each, and
// the preset speed of the selected camera.
class PresetControls : public QObject {
	Q_OBJECT

public:
	PresetControls(Ui::MainDialog *ui, CameraRig &rig, QObject *parent);

	void loadNames();
	// The model's preset speeds, with the box's signals blocked (nothing is sent).
	void applyModel(const ViscaParamOps &ops);
	// The camera's stored preset speed, if any: a change of the box's text sends it to the camera.
	void loadPresetSpeed(const QString &settingsPrefix);

private:
	void toggle(int number);
	int selectedNumber() const;
	void storeOrCall(bool store);
	// A short line in the panel's status bar: what the last store or recall did.
	void showStatus(const QString &text);

	Ui::MainDialog *ui;
	CameraRig &rig;
	QButtonGroup *buttons = nullptr;
};
