#pragma once

// Shared by the panel tests: a panel with the test-only settings opened up that connects itself to a simulated
// camera, the warning boxes shown, settings-file helpers and a main() that starts libobs for the hotkeys. The panel
// talks to its camera on a worker thread: checks wait for it to settle instead of relying on blocking calls.

#include "MainDialog.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"
#include "visca/CameraSimulator.h"

#include <obs.h>

#include <QAction>
#include <QApplication>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

inline QJsonObject readSettings()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	return settings;
}

// Writes the file as another program would, then has the panel's settings read it again.
inline void writeSettings(const QJsonObject &settings)
{
	Utils::writeJsonFile(settings, Utils::settingsDirectory());
	PanelSettings::instance().reload();
}

// The texts of the warning boxes on screen, sorted; none may be modal.
inline QStringList warnings()
{
	QStringList texts;
	for (QWidget *widget : QApplication::topLevelWidgets()) {
		auto *box = qobject_cast<QMessageBox *>(widget);
		if (box != nullptr && box->isVisible())
			texts << box->text() + (box->isModal() ? " (modal)" : "");
	}
	texts.sort();
	return texts;
}

using StateTweak = std::function<void(CameraSimulator::State &)>;

inline std::unique_ptr<CameraSimulator> startCamera(const QString &model, const QString &ip, bool silent = false,
						    const StateTweak &tweak = {})
{
	CameraSimulator::Options options;
	options.model = model.toStdString();
	options.bindAddress = ip.toStdString();
	options.port = 52381;
	options.silent = silent;
	auto camera = std::make_unique<CameraSimulator>(options);
	if (!camera->start()) {
		std::fprintf(stderr, "simulated camera %s on %s did not start: %s\n", qPrintable(model), qPrintable(ip),
			     camera->errorString().c_str());
		return nullptr;
	}
	if (tweak) {
		CameraSimulator::State state = camera->state();
		tweak(state);
		camera->setState(state);
	}
	return camera;
}

class TestPanel : public MainDialog {
public:
	TestPanel() : MainDialog(nullptr) {}
	using MainDialog::setLinkCheckInterval;

	// Waits until no selection is in progress and the camera's worker has delivered everything.
	bool settle(int timeoutMs = 10000)
	{
		return QTest::qWaitFor([this] { return cameraIdle(); }, timeoutMs);
	}

	QPushButton *button(const QString &name) const { return findChild<QPushButton *>(name); }
	void click(const QString &name) const
	{
		QTest::mousePress(button(name), Qt::LeftButton);
		QTest::mouseRelease(button(name), Qt::LeftButton);
	}
	QAction *action(const QString &text) const
	{
		const QList<QAction *> all = findChildren<QAction *>();
		const auto found = std::find_if(all.begin(), all.end(), [&](QAction *a) { return a->text() == text; });
		return found == all.end() ? nullptr : *found;
	}
	// The checked slots, then whether the camera area, the advanced frame and the limit entry (in the locale's
	// text) are enabled, which go with the connection: "Camera1Button on on on".
	QString connection() const
	{
		QStringList out;
		for (QPushButton *slot : findChildren<QPushButton *>(QRegularExpression("^Camera[1-8]Button$"))) {
			if (slot->isChecked())
				out << slot->objectName();
		}
		for (bool on : {findChild<QWidget *>("CameraControlBox")->isEnabled(),
				findChild<QWidget *>("AdvanceFrame")->isEnabled(),
				action(obs_module_text("PanTiltLimit"))->isEnabled()})
			out << (on ? "on" : "off");
		return out.join(' ');
	}

	void connectSlot(int slot, const QString &address) const
	{
		QJsonObject settings = readSettings();
		settings[QString("Camera%1IP").arg(slot)] = address;
		writeSettings(settings);
		click(QString("Camera%1Button").arg(slot));
	}
	// Shows the panel and connects slot 1 to a new simulated camera; what the camera got while connecting is kept
	// apart.
	bool up(const QString &cameraModel, const QString &address, const StateTweak &tweak = {})
	{
		ip = address;
		model = cameraModel;
		if (!(camera = startCamera(model, ip, false, tweak)))
			return false;
		show();
		connectSlot(1, ip);
		if (!settle())
			return false;
		atConnect = camera->payloads();
		camera->clear();
		return button("Camera1Button")->isChecked();
	}
	QString prefix() const { return ip + model; }
	QStringList sent() const
	{
		QStringList out;
		for (const QByteArray &payload : camera->payloads())
			out << QString::fromLatin1(payload.toHex(' '));
		return out;
	}

	std::unique_ptr<CameraSimulator> camera;
	QString ip;
	QString model;
	QList<QByteArray> atConnect;
};

// Settings in a temporary folder, libobs started for the hotkeys.
#define PANEL_TEST_MAIN(TestClass)                                                                                     \
	int main(int argc, char **argv)                                                                                \
	{                                                                                                              \
		QTemporaryDir home;                                                                                    \
		qputenv("HOME", home.path().toUtf8());                                                                 \
		qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());                                            \
		qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());                                        \
		if (!home.isValid() || !obs_startup("en-US", nullptr, nullptr)) {                                      \
			std::fprintf(stderr, "FAIL: no settings folder, or libobs did not start (no X display?)\n");   \
			return 1;                                                                                      \
		}                                                                                                      \
		int result = 0;                                                                                        \
		{                                                                                                      \
			QApplication app(argc, argv);                                                                  \
			TestClass test;                                                                                \
			result = QTest::qExec(&test, argc, argv);                                                      \
		}                                                                                                      \
		obs_shutdown();                                                                                        \
		return result;                                                                                         \
	}
