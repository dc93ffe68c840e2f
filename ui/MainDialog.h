#pragma once

#include "models/CameraModelEntry.h"

#include <QDialog>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QTimer;

class AboutDialog;
class ORPlusMinusButton;
class CameraHotKey;
class CameraWorker;
class DiscoveryDialog;
class PanTiltLimitSettingDialog;
class PresetRenameDialog;
class ViscaTransfer;
class ViscaParamOps;
class viscaIpModule;

namespace Ui {
class MainDialog;
}

// The camera control panel: eight camera slots, the motion pad, zoom and focus, presets, speeds and the
// picture controls of the connected camera. Camera exchanges, identification and the link check run on the camera's
// worker thread; their results come back here, so the interface never waits on a camera.
class MainDialog : public QDialog {
	Q_OBJECT

public:
	explicit MainDialog(QWidget *parent = nullptr);
	// The module makes the hotkeys and the bridge at load and builds the panel only when it is first shown; the
	// panel then uses those (not owned). Without them, it makes its own.
	MainDialog(QWidget *parent, CameraHotKey *sharedHotKeys, ViscaTransfer *sharedBridge);

	// Builds the form, menus and controls; the shared-objects constructor leaves this to the first show.
	void ensureBuilt();

	// The settings file's switch that opens the bridge to other computers (off when absent or unreadable).
	static bool bridgeOpenToNetworkSetting();
	~MainDialog() override;

public slots:
	void setMenuWidth();
	void showAdvanceView();
	void hideAdvanceView();
	void setStatusVisible(bool visible);
	void setIPAndName(int index, QString ip, QString name);

private slots:
	// Connected by name from the generated form.
	void on_Camera1Button_clicked();
	void on_Camera2Button_clicked();
	void on_Camera3Button_clicked();
	void on_Camera4Button_clicked();
	void on_Camera5Button_clicked();
	void on_Camera6Button_clicked();
	void on_Camera7Button_clicked();
	void on_Camera8Button_clicked();
	void on_Preset1Button_clicked();
	void on_Preset2Button_clicked();
	void on_Preset3Button_clicked();
	void on_Preset4Button_clicked();
	void on_Preset5Button_clicked();
	void on_Preset6Button_clicked();
	void on_Preset7Button_clicked();
	void on_Preset8Button_clicked();
	void on_Preset9Button_clicked();

protected:
	// For tests and benchmarks that run simulated cameras: the port the link opens (52381) and the link-check
	// period (8000 ms). Identification itself always probes 52381.
	void setCameraPort(int port);
	void setLinkCheckInterval(int milliseconds);
	// No selection in progress and nothing waiting for or coming from the camera.
	bool cameraIdle() const;

private:
	// Construction
	void bindCommands();
	void buildSettingsMenu();
	void buildViewMenu();
	void buildHelpMenu();
	void connectSignals();
	void connectMotionSignals();
	void connectPresetSignals();
	void connectPictureSignals();
	void installSpeedValidators();
	void startBridge();

	// Settings, menus and dialogs
	void loadSlotLabels();
	void connectHotKeys();
	void useHotKeysTriggered();
	void openBridgeToNetwork(bool open);
	void openDiscoveryDialog();
	void openLimitDialog();
	void openRenameDialog();
	void openAboutDialog();
	// Reads the settings file, sets one key and writes it back; logs and skips the write when the read fails.
	void storeSetting(const QString &key, const QString &value);

	// Camera connection
	using CameraCommand = std::function<void(viscaIpModule &, int)>;
	void selectCamera(QPushButton *button, QString slotKey);
	// Identifies the camera at ip and opens its link on the current worker; done gets the result here.
	void identifyAndOpen(const QString &ip, std::function<void(const CameraModelMap &)> done);
	void finishSelection(QPushButton *button, const QString &ip, const CameraModelMap &found, bool reconnected);
	void failSelection();
	void dropCamera();
	void reconnectLostCamera();
	void setDisconnected();
	void checkConnection();
	void uncheckCameraButtons();
	void showWarning(const char *key);
	// Hands a command to the camera's worker (a 50 ms pause follows it there); false without a camera. kind: see
	// CameraWorker::post.
	bool runCameraCommand(CameraCommand command, int argument, int kind = 0);
	// Asks the camera and hands a valid answer to apply, unless the operator changed the control (key) meanwhile.
	void readBack(const void *key, std::function<int(viscaIpModule &)> query, std::function<void(int)> apply);
	// The operator changed a control: read-back answers already asked for no longer apply to it.
	void touched(const void *key);
	ViscaParamOps *modelOps() const;

	// Motion
	void onHotKey(int key, bool pressed);
	void loadSpeeds();
	void applySpeed(int field, int value);
	void zoomStopAndReadBack();
	void focusStopAndReadBack();
	void onLimitTriggered(int type, int value);

	// Presets
	void loadPresetNames();
	void checkOnlyPreset(QPushButton *button, bool checked);
	int selectedPresetNumber() const;
	void storeOrCallPreset(bool store);
	void presetSpeedChanged(const QString &text);

	// Picture
	void applyModel(ViscaParamOps *ops);
	void refreshFromCamera();
	void applyExposureEnable(const QString &mode);
	void applyWhiteBalanceEnable(const QString &mode);
	void applyImageEnable(const QString &mode);
	void readBackExposure();
	void readBackWhiteBalance();
	void readBackImage();
	void readBackStepper(ORPlusMinusButton *stepper, int (viscaIpModule::*query)(), int mask = -1);
	void bindStepper(ORPlusMinusButton *stepper, int kind, bool (viscaIpModule::*setter)(int));
	void exposureModeChanged(const QString &text);
	void whiteBalanceModeChanged(const QString &text);
	void imageModeChanged(const QString &text);
	void digEffectChanged(const QString &text);
	void quickExposure(const char *shutter, const char *shutterAlt, const char *iris, const char *gain);

	std::unique_ptr<Ui::MainDialog> ui;
	QMenu *settingsMenu = nullptr;
	QMenu *viewMenu = nullptr;
	QMenu *helpMenu = nullptr;
	QPointer<DiscoveryDialog> discoveryDialog;
	QPointer<PanTiltLimitSettingDialog> limitDialog;
	QPointer<PresetRenameDialog> renameDialog;
	QPointer<AboutDialog> aboutDialog;
	// The selected camera's worker (connecting, connected or lost); superseded ones are retired.
	CameraWorker *worker = nullptr;
	bool selecting = false;
	bool checkRunning = false;
	QPushButton *currentButton = nullptr;
	QString currentSlotKey;
	// Set while a camera lost by the link check is being watched for its return.
	bool lost = false;
	QHash<const void *, quint64> edits;
	// pan min, pan max, tilt min, tilt max, zoom min, zoom max, focus min, focus max
	std::array<int, 8> speedBounds = {};
	QMap<std::string, CameraModelEntry> models;
	QTimer *linkCheckTimer = nullptr;
	int connected = 0;
	QString cameraPrefix;
	CameraCommand upCommand;
	CameraCommand downCommand;
	CameraCommand leftCommand;
	CameraCommand rightCommand;
	CameraCommand zoomTeleCommand;
	CameraCommand zoomWideCommand;
	CameraCommand presetCallCommand;
	CameraCommand panTiltStopCommand;
	CameraCommand zoomStopCommand;
	QAction *panTiltLimitAction = nullptr;
	bool built = false;
	CameraHotKey *hotKeys = nullptr;

	int cameraPort = 52381;
	ViscaTransfer *bridge = nullptr;
	QAction *bridgeNetworkAction = nullptr;
};
