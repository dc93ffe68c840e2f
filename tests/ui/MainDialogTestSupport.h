#pragma once

// Shared by the panel tests: a panel with the test-only settings opened up, a closer for the modal warning
// boxes, settings-file helpers, simulated cameras and a main() that starts libobs for the hotkeys.

#include "MainDialog.h"
#include "settings/Utils.h"
#include "visca/CameraSimulator.h"

#include <obs.h>

#include <QAction>
#include <QApplication>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

class TestPanel : public MainDialog {
public:
	TestPanel() : MainDialog(nullptr) {}
	using MainDialog::setCameraPort;
	using MainDialog::setLinkCheckInterval;

	template <typename T>
	T *child(const char *name) const
	{
		return findChild<T *>(QString::fromUtf8(name));
	}
	QPushButton *button(const char *name) const { return child<QPushButton>(name); }

	QAction *action(const QString &text) const
	{
		for (QAction *candidate : findChildren<QAction *>()) {
			if (candidate->text() == text)
				return candidate;
		}
		return nullptr;
	}

	QList<QPushButton *> checkedSlots() const
	{
		QList<QPushButton *> checked;
		for (int n = 1; n <= 8; ++n) {
			QPushButton *slot = button(QString("Camera%1Button").arg(n).toUtf8().constData());
			if (slot->isChecked())
				checked << slot;
		}
		return checked;
	}
};

// Closes every modal message box shortly after it appears (the panel waits in exec()), keeping the texts.
class WarningCloser : public QObject {
public:
	WarningCloser()
	{
		timer.setInterval(20);
		connect(&timer, &QTimer::timeout, this, [this] {
			if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
				texts << box->text();
				box->done(QMessageBox::Ok);
			}
		});
		timer.start();
	}
	int count() const { return texts.size(); }

	QStringList texts;

private:
	QTimer timer;
};

inline QJsonObject readSettings()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	return settings;
}

inline void writeSettings(const QJsonObject &settings)
{
	Utils::writeJsonFile(settings, Utils::settingsDirectory());
}

inline std::unique_ptr<CameraSimulator> startCamera(const std::string &model, const std::string &ip,
						    bool silent = false)
{
	CameraSimulator::Options options;
	options.model = model;
	options.bindAddress = ip;
	options.port = 52381;
	options.silent = silent;
	auto camera = std::make_unique<CameraSimulator>(options);
	if (!camera->start()) {
		std::fprintf(stderr, "simulated camera %s on %s did not start: %s\n", model.c_str(), ip.c_str(),
			     camera->errorString().c_str());
		return nullptr;
	}
	return camera;
}

// Assigns ip to a slot in the settings file and clicks the slot's button.
inline void connectSlot(TestPanel &panel, int slot, const QString &ip)
{
	QJsonObject settings = readSettings();
	settings[QString("Camera%1IP").arg(slot)] = ip;
	writeSettings(settings);
	QTest::mouseClick(panel.button(QString("Camera%1Button").arg(slot).toUtf8().constData()), Qt::LeftButton);
}

// Settings in a temporary folder, libobs started for the hotkeys, widgets off screen.
#define PANEL_TEST_MAIN(TestClass)                                                                                     \
	int main(int argc, char **argv)                                                                                \
	{                                                                                                              \
		QTemporaryDir home;                                                                                    \
		if (!home.isValid()) {                                                                                 \
			std::fprintf(stderr, "no temporary folder for the settings file\n");                           \
			return 1;                                                                                      \
		}                                                                                                      \
		qputenv("HOME", home.path().toUtf8());                                                                 \
		qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());                                            \
		qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());                                        \
		if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                    \
			qputenv("QT_QPA_PLATFORM", "offscreen");                                                       \
		if (!obs_startup("en-US", nullptr, nullptr)) {                                                         \
			std::fprintf(stderr, "FAIL: libobs did not start (no X display? run under xvfb-run)\n");       \
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
