#pragma once

#include <QObject>

class CameraRig;
class CameraSession;
class EditStamps;
class ViscaParamOps;

namespace Ui {
class MainDialog;
}

// The pan/tilt pad with home, zoom and focus with their stops and read-back, and the four speed fields: each
// drives the selected camera's session.
class MotionControls : public QObject {
	Q_OBJECT

public:
	MotionControls(Ui::MainDialog *ui, CameraRig &rig, EditStamps &edits, QObject *parent);

	// The model's zoom and focus ranges, with the sliders' signals blocked (nothing is sent).
	void applyModel(const ViscaParamOps &ops);
	// The stored speeds of the camera (or 7, 7, 5, 3); shown only, the link keeps its own until confirmed.
	void loadSpeeds(const QString &settingsPrefix);
	void readBack();

private:
	void connectPad();
	void connectZoomAndFocus();
	void connectSpeeds();
	CameraSession *session() const;

	Ui::MainDialog *ui;
	CameraRig &rig;
	EditStamps &edits;
};
