#pragma once

#include <QDockWidget>
#include <QObject>
#include <QPointer>

#include <functional>

class QMainWindow;
class PanelScrollArea;
class QWidget;

// Puts the panel into an OBS dock. OBS 30 and later take a plain widget under a fixed id
// (obs_frontend_add_dock_by_id); OBS 29 takes a QDockWidget (obs_frontend_add_dock, gone in OBS 32). Both are
// looked up at run time, so the module loads into every OBS from 29 on. OBS saves and restores the dock
// (docked or floating, position, size) with its own window layout.
class PanelDock : public QObject {
	Q_OBJECT

public:
	static constexpr const char *dockId = "BrenmoorCameraControlDock";

	// Takes over panel (reparented into a scroll area inside the dock when the dock first shows); title is the
	// dock's window title. prepare runs each time before the panel shows (the panel builds its form on the first).
	PanelDock(QMainWindow *mainWindow, QWidget *panel, const QString &title, std::function<void()> prepare = {});

	// False when this OBS offers neither dock function.
	bool registered() const { return dock != nullptr; }
	QDockWidget *dockWidget() const { return dock; }

	// The Tools entry: shows the dock and brings it to the front; the first time ever it floats over the
	// main window at the size of the panel's current view.
	void present();
	// The panel changed its view: the dock takes the view's size (later, once the panel's layout has settled).
	void panelViewChanged();

protected:
	bool eventFilter(QObject *watched, QEvent *event) override;

private:
	bool addToHost(const QString &title);
	void prepareContent();
	bool placedByReset() const;
	void placeFirstTime();
	void fitToPanel();
	void panelClosed();

	QMainWindow *mainWindow;
	QPointer<QWidget> panel;
	std::function<void()> prepare;
	QWidget *placeholder = nullptr;
	PanelScrollArea *content = nullptr;
	QPointer<QDockWidget> dock;
	// The dock's size hint when OBS took it, the one OBS's first-run placement uses.
	QSize registeredHint;
};
