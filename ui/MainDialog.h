#pragma once

#include "models/CameraModelEntry.h"

#include <QDialog>
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
class CameraHotKey;
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
// picture controls of the connected camera. Every camera exchange blocks the UI thread while it runs.
class MainDialog : public QDialog {
	Q_OBJECT

public:
	explicit MainDialog(QWidget *parent = nullptr);
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
	void selectCamera(QPushButton *button, QString slotKey);
	void setDisconnected();
	void checkConnection();
	void uncheckCameraButtons();
	bool runCameraCommand(std::function<void(int)> command, int argument);
	int runCameraQuery(std::function<int()> query);
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
	std::unique_ptr<viscaIpModule> link;
	// pan min, pan max, tilt min, tilt max, zoom min, zoom max, focus min, focus max
	std::array<int, 8> speedBounds = {};
	QMap<std::string, CameraModelEntry> models;
	QTimer *linkCheckTimer = nullptr;
	int connected = 0;
	QString cameraPrefix;
	std::function<void(int)> upCommand;
	std::function<void(int)> downCommand;
	std::function<void(int)> leftCommand;
	std::function<void(int)> rightCommand;
	std::function<void(int)> zoomTeleCommand;
	std::function<void(int)> zoomWideCommand;
	std::function<void(int)> presetCallCommand;
	std::function<void(int)> panTiltStopCommand;
	std::function<void(int)> zoomStopCommand;
	QAction *panTiltLimitAction = nullptr;
	CameraHotKey *hotKeys = nullptr;

	int cameraPort = 52381;
	ViscaTransfer *bridge = nullptr;
	QAction *bridgeNetworkAction = nullptr;
};
