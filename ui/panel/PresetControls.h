#pragma once

#include <QObject>

class CameraRig;
class QButtonGroup;
class ViscaParamOps;

namespace Ui {
class MainDialog;
}

// Presets 1-9 with their names, "10+", STORE and CALL, and the preset speed of the selected camera.
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

	Ui::MainDialog *ui;
	CameraRig &rig;
	QButtonGroup *buttons = nullptr;
};
