#pragma once

// Shared by the panel tests: a panel with the test-only settings opened up, a closer for the warning boxes,
// settings-file helpers, simulated cameras and a main() that starts libobs for the hotkeys. The panel talks to its
// camera on a worker thread: checks wait for it to settle instead of relying on blocking calls.

#include "MainDialog.h"
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
#include <QTimer>
#include <QVector>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

class TestPanel : public MainDialog {
public:
	TestPanel() : MainDialog(nullptr) {}
	using MainDialog::cameraIdle;
	using MainDialog::setLinkCheckInterval;

	// Waits until no selection is in progress and the camera's worker has delivered everything.
	bool settle(int timeoutMs = 10000)
	{
		return QTest::qWaitFor([this] { return cameraIdle(); }, timeoutMs);
	}

	QPushButton *button(const QString &name) const { return findChild<QPushButton *>(name); }
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
		for (QPushButton *slot : findChildren<QPushButton *>(QRegularExpression("^Camera[1-8]Button$"))) {
			if (slot->isChecked())
				checked << slot;
		}
		return checked;
	}
	// The camera area, the advanced frame and the limit entry go with the connection.
	QVector<bool> controlStates() const
	{
		return {findChild<QWidget *>("CameraControlBox")->isEnabled(),
			findChild<QWidget *>("AdvanceFrame")->isEnabled(), action("PanTiltLimit")->isEnabled()};
	}
};

// Closes every warning box shortly after it appears, keeping the texts; none may be modal.
class WarningCloser : public QObject {
public:
	WarningCloser()
	{
		timer.setInterval(20);
		connect(&timer, &QTimer::timeout, this, [this] {
			for (QWidget *widget : QApplication::topLevelWidgets()) {
				auto *box = qobject_cast<QMessageBox *>(widget);
				if (box == nullptr || !box->isVisible())
					continue;
				texts << box->text();
				if (box->isModal())
					texts << "modal";
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

inline void connectSlot(TestPanel &panel, int slot, const QString &ip)
{
	QJsonObject settings = readSettings();
	settings[QString("Camera%1IP").arg(slot)] = ip;
	writeSettings(settings);
	QTest::mouseClick(panel.button(QString("Camera%1Button").arg(slot)), Qt::LeftButton);
}

// A panel whose warning boxes are closed and counted, connected by up() in slot 1 to one simulated camera; what
// the camera got while connecting is kept apart.
struct Rig {
	TestPanel panel;
	WarningCloser warnings;
	std::unique_ptr<CameraSimulator> camera;
	QString ip;
	QString model;
	QList<QByteArray> atConnect;

	bool up(const QString &cameraModel, const QString &address, const StateTweak &tweak = {})
	{
		ip = address;
		model = cameraModel;
		if (!(camera = startCamera(model, ip, false, tweak)))
			return false;
		panel.show();
		connectSlot(panel, 1, ip);
		if (!panel.settle())
			return false;
		atConnect = camera->payloads();
		camera->clear();
		return panel.button("Camera1Button")->isChecked();
	}
	QString prefix() const { return ip + model; }
	QStringList sent() const
	{
		QStringList out;
		for (const QByteArray &payload : camera->payloads())
			out << QString::fromLatin1(payload.toHex(' '));
		return out;
	}
	template <typename T>
	T *child(const QString &name) const
	{
		return panel.findChild<T *>(name);
	}
	QPushButton *button(const QString &name) const { return panel.button(name); }
	void click(const QString &name) const
	{
		QTest::mousePress(button(name), Qt::LeftButton);
		QTest::mouseRelease(button(name), Qt::LeftButton);
	}
};

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
