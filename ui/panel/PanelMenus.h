#pragma once

#include <QObject>
#include <QPointer>

class AboutDialog;
class CameraRig;
class DiscoveryDialog;
class GamepadDialog;
class PanTiltLimitSettingDialog;
class PresetRenameDialog;
class QAction;
class QMenu;
class QWidget;
class ViscaTransfer;

namespace Ui {
class MainDialog;
}

// The panel's Settings, View and Help menus and the dialogs they open.
class PanelMenus : public QObject {
	Q_OBJECT

public:
	PanelMenus(Ui::MainDialog *ui, CameraRig &rig, ViscaTransfer *bridge, QWidget *panel);
	~PanelMenus() override;

	// The limit entry goes with the selected camera's connection; the limit dialog closes when it changes
	// (its values belong to the camera it was opened for).
	void setConnected(bool connected);

signals:
	void simpleViewRequested();
	void advancedViewRequested();

private:
	QMenu *makeMenu(QWidget *button);
	void buildSettingsMenu();
	void buildViewMenu();
	void buildHelpMenu();
	void toggleHotKeys(bool on);
	void toggleBridgeNetwork(bool open);
	void toggleLockOnProgram(bool on);
	void openDiscoveryDialog();
	void openLimitDialog();
	void openRenameDialog();
	void openGamepadDialog();
	void openAboutDialog();
	void limitTriggered(int type, int value);
	static void present(QWidget *dialog);

	Ui::MainDialog *ui;
	CameraRig &rig;
	ViscaTransfer *bridge;
	QWidget *panel;
	QAction *hotKeyAction = nullptr;
	QAction *limitAction = nullptr;
	QAction *bridgeNetworkAction = nullptr;
	QAction *lockAction = nullptr;
	QPointer<DiscoveryDialog> discoveryDialog;
	QPointer<PanTiltLimitSettingDialog> limitDialog;
	QPointer<PresetRenameDialog> renameDialog;
	QPointer<GamepadDialog> gamepadDialog;
	QPointer<AboutDialog> aboutDialog;
};
