#include "PanelGallery.h"
#include "GallerySink.h"

#include "MainDialog.h"
#include "panel/PanelScrollArea.h"
#include "PresetRenameDialog.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"
#include "visca/CameraSimulator.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

const char *const cameraAddress = "127.0.6.200";

// Points the settings file at a temporary folder for as long as it lives, so the gallery never touches the
// user's own settings; its settings are the ones the panel and dialogs use meanwhile.
class TemporarySettings {
public:
	TemporarySettings()
		: previous(qgetenv("XDG_DATA_HOME")), hadPrevious(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
	{
		qputenv("XDG_DATA_HOME", folder.path().toUtf8());
		settings = std::make_unique<PanelSettings>(Utils::settingsDirectory());
		PanelSettings::setInstance(settings.get());
	}
	~TemporarySettings()
	{
		PanelSettings::setInstance(nullptr);
		if (hadPrevious)
			qputenv("XDG_DATA_HOME", previous);
		else
			qunsetenv("XDG_DATA_HOME");
	}
	bool isValid() const { return folder.isValid(); }
	PanelSettings *operator->() { return settings.get(); }

private:
	QTemporaryDir folder;
	QByteArray previous;
	bool hadPrevious;
	std::unique_ptr<PanelSettings> settings;
};

// Close any warning box that shows up (a failed connection).
class WarningBoxCloser {
public:
	WarningBoxCloser()
	{
		timer.setInterval(50);
		QObject::connect(&timer, &QTimer::timeout, [] {
			for (QWidget *widget : QApplication::topLevelWidgets()) {
				auto *box = qobject_cast<QMessageBox *>(widget);
				if (box != nullptr && box->isVisible()) {
					QTextStream(stderr) << "warning box: " << box->text() << '\n';
					box->done(QMessageBox::Ok);
				}
			}
		});
		timer.start();
	}

private:
	QTimer timer;
};

QAction *findAction(MainDialog &panel, const char *key)
{
	const QString text = QString::fromUtf8(obs_module_text(key));
	for (QAction *action : panel.findChildren<QAction *>()) {
		if (action->text() == text)
			return action;
	}
	return nullptr;
}

void saveBothViews(GallerySink &sink, MainDialog &panel, const QString &state)
{
	findAction(panel, "SimpleMode")->trigger();
	sink.save("MainDialog-simple-" + state, &panel);
	findAction(panel, "AdvanceMode")->trigger();
	sink.save("MainDialog-advanced-" + state, &panel);
	findAction(panel, "SimpleMode")->trigger();
}

} // namespace

void renderMainDialog(GallerySink &sink)
{
	TemporarySettings settingsFolder;
	if (!settingsFolder.isValid())
		return;
	WarningBoxCloser closer;
	settingsFolder->setValues(QJsonObject{{"Camera1IP", cameraAddress},
					      {"Camera1NickName", "Stage"},
					      {"Camera2NickName", "Pulpit"},
					      {"1", "Wide"},
					      {"2", "Choir"}});

	CameraSimulator::Options options;
	options.model = "QK-H57P";
	options.bindAddress = cameraAddress;
	CameraSimulator camera(options);
	if (!camera.start()) {
		QTextStream(stderr) << "simulated camera did not start: "
				    << QString::fromStdString(camera.errorString()) << '\n';
		return;
	}
	CameraSimulator::State state = camera.state();
	state.exposureMode = 3; // manual, so the exposure steppers are live
	state.shutter = 15;
	state.iris = 10;
	state.gain = 8;
	state.whiteBalanceMode = 5;
	state.redGain = 0x40;
	state.blueGain = 0x30;
	state.imageMode = 1;
	state.zoomPosition = 0x2000;
	state.focusPosition = 0x300;
	state.autoFocus = false;
	camera.setState(state);

	// The camera is up before the panel's cameras start, so that it connects at once.
	MainDialog panel;
	saveBothViews(sink, panel, "disconnected");
	QElapsedTimer clock;
	clock.start();
	QPushButton *slot = panel.findChild<QPushButton *>("Camera1Button");
	while (slot->toolTip() != QString::fromUtf8(obs_module_text("CameraStateConnected")) && clock.elapsed() < 5000)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

	slot->click();
	// The controls enable at once; the read-back answers follow from the camera's worker.
	clock.restart();
	QWidget *controls = panel.findChild<QWidget *>("CameraControlBox");
	while (!controls->isEnabled() && clock.elapsed() < 5000)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
	const qint64 connectedAt = clock.elapsed();
	while (clock.elapsed() < connectedAt + 500)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
	panel.findChild<QPushButton *>("Preset2Button")->setChecked(true);
	saveBothViews(sink, panel, "connected");

	// In a dock: at its narrowest, short and tall, and at a maximised height.
	PanelScrollArea dock;
	panel.setWindowFlags(Qt::Widget);
	dock.setWidget(&panel);
	const struct {
		const char *name;
		QSize size;
	} rooms[] = {{"narrow-short", {340, 560}}, {"narrow-tall", {340, 1000}}, {"wide", {1200, 900}}};
	for (const auto &room : rooms) {
		dock.resize(room.size);
		findAction(panel, "SimpleMode")->trigger();
		sink.save(QStringLiteral("MainDialog-docked-%1-simple").arg(room.name), &dock);
		findAction(panel, "AdvanceMode")->trigger();
		sink.save(QStringLiteral("MainDialog-docked-%1-advanced").arg(room.name), &dock);
	}
	findAction(panel, "SimpleMode")->trigger();
	dock.takeWidget();
	panel.setParent(nullptr);
}

void renderPresetRenameDialog(GallerySink &sink)
{
	TemporarySettings settingsFolder;
	if (!settingsFolder.isValid())
		return;
	settingsFolder->setValues(QJsonObject{{"1", "Wide"}, {"3", "Lectern"}});
	PresetRenameDialog dialog;
	sink.save("PresetRenameDialog", &dialog);
}
