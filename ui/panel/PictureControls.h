#pragma once

#include "control/CameraSession.h"

#include <QObject>

class CameraRig;
class EditStamps;
class ORPlusMinusButton;
class QComboBox;
class ViscaParamOps;

namespace Ui {
class MainDialog;
}

// Exposure (with the four quick settings), white balance, image and mirror/flip of the selected camera. What is
// enabled follows the mode's code in the model's table, whatever language its label is in.
class PictureControls : public QObject {
	Q_OBJECT

public:
	PictureControls(Ui::MainDialog *ui, CameraRig &rig, EditStamps &edits, QObject *parent);

	// The model's lists and ranges, with the controls' signals blocked (nothing is sent).
	void applyModel(const ViscaParamOps &ops);
	void readBack();

private:
	using Setting = CameraSession::Setting;
	using Value = CameraSession::Value;

	void bindStepper(ORPlusMinusButton *stepper, Setting setting);
	void readMode(QComboBox *box, Value value);
	void readStepper(ORPlusMinusButton *stepper, Value value);
	void readExposure();
	void readWhiteBalance();
	void readImage();
	void modeChanged(QComboBox *box, Setting setting, const QString &text);
	void enableFor(QComboBox *box, int code);
	int codeOf(QComboBox *box, const QString &label) const;
	void quickExposure(const char *shutter, const char *shutterAlt, const char *iris, const char *gain);
	CameraSession *session() const;

	Ui::MainDialog *ui;
	CameraRig &rig;
	EditStamps &edits;
};
