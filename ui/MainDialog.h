#pragma once

#include "control/CameraSession.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class CameraHotKey;
class CameraRig;
class EditStamps;
class HotKeyActions;
class MotionControls;
class PanelMenus;
class PanelReflow;
class PictureControls;
class PresetControls;
class QButtonGroup;
class ViscaTransfer;

namespace Ui {
class MainDialog;
}

// The camera control panel: a view of the selected camera's session. Eight slot buttons show each camera's
// state; the motion, preset and picture controls drive the selected session. Nothing here waits on a camera.
class MainDialog : public QDialog {
	Q_OBJECT

public:
	// Standalone (tools and tests): the panel makes its own cameras, hotkeys and bridge and builds at once.
	explicit MainDialog(QWidget *parent = nullptr);
	// In OBS: the module's cameras and bridge (not owned); the form is built when the panel is first shown.
	MainDialog(QWidget *parent, CameraRig *rig, ViscaTransfer *sharedBridge);
	~MainDialog() override;

	// Builds the form, menus and controls; the shared-objects constructor leaves this to the first show.
	void ensureBuilt();

	// The room a dock gives the panel: the layout that fits it (compact, picture controls below, no logo).
	Q_INVOKABLE void fitTo(QSize room);
	QSize sizeHint() const override;

	// The settings file's switch that opens the bridge to other computers (off when absent or unreadable).
	static bool bridgeOpenToNetworkSetting();

signals:
	// Simple or advanced view chosen: the dock fits itself to it.
	void viewChanged();

public slots:
	void showAdvanceView();
	void hideAdvanceView();
	void setStatusVisible(bool visible);

protected:
	// Escape hides a floating panel; a panel inside a dock leaves closing to the dock.
	void reject() override;

	// For tests and benchmarks that run simulated cameras: the port the cameras answer on (52381) and the
	// link-check period (8000 ms).
	void setCameraPort(int port);
	void setLinkCheckInterval(int milliseconds);
	// No connection attempt in progress and nothing waiting for or coming from any camera.
	bool cameraIdle() const;
	CameraRig &cameras() const { return *rig; }

private:
	void slotClicked(int slot);
	void selectionChanged(int slot);
	void sessionStateChanged(int slot, CameraSession::State state);
	void showSelected(bool reconnected);
	void setControlsEnabled(bool enabled);
	void loadSlotLabels();
	void markSlot(int slot);
	void showConnectFailed(int slot);

	std::unique_ptr<Ui::MainDialog> ui;
	std::unique_ptr<EditStamps> edits;
	CameraRig *rig = nullptr;
	bool ownRig = false;
	ViscaTransfer *bridge = nullptr;
	QButtonGroup *slotButtons = nullptr;
	MotionControls *motion = nullptr;
	PresetControls *presets = nullptr;
	PictureControls *picture = nullptr;
	PanelMenus *menus = nullptr;
	PanelReflow *reflow = nullptr;
	// The selected camera was connected and stopped answering: it comes back by itself.
	bool lost = false;
	bool built = false;
	// The open "failed to connect" box and the slot it is about: it closes when that camera answers again.
	QPointer<QWidget> failedBox;
	int failedSlot = 0;
};
