#pragma once

#include <QDialog>
#include <QMetaType>
#include <QString>

namespace Ui {
class PanTiltLimitSettingDialog;
}

// What a triggered signal asks the panel to send.
enum CommandType {
	TiltUpLimit = 0,
	PanLeftLimit = 1,
	TiltDownLimit = 2,
	PanRightLimit = 3,
	PTZSpeedComp = 4,
	PanTiltLimit = 5,
};
Q_DECLARE_METATYPE(CommandType)

// Limit switch, the four limit angles and the speed-compensation switch. Holds no camera state: every confirmed
// entry and every switch change is one triggered signal.
class PanTiltLimitSettingDialog : public QDialog {
	Q_OBJECT

public:
	explicit PanTiltLimitSettingDialog(QWidget *parent = nullptr);
	~PanTiltLimitSettingDialog() override;

	// Shows the stored angles as they are; nothing is validated or emitted.
	void setLimits(QString panLeft, QString panRight, QString tiltUp, QString tiltDown);
	void setSpeedCompEnabled(bool enabled);

signals:
	void triggered(CommandType type, int value);

private:
	void setLimitEditsEnabled(int enabled);

	Ui::PanTiltLimitSettingDialog *ui;
};
