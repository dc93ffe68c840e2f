#include "PanelDock.h"
#include "PanelScrollArea.h"

#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QResizeEvent>
#include <QTimer>

#include <dlfcn.h>

namespace {

// OBS 30 and later: wraps the widget in its own dock; false when the id is taken.
using AddDockById = bool (*)(const char *id, const char *title, void *widget);
// OBS 29 to 31: takes a QDockWidget, returns its Docks-menu action.
using AddDock = void *(*)(void *dock);

void *frontEndSymbol(const char *name)
{
	// The module links the front-end library, so it is loaded already; look only there.
	static void *library = dlopen("libobs-frontend-api.so.0", RTLD_LAZY | RTLD_NOLOAD);
	return dlsym(library ? library : RTLD_DEFAULT, name);
}

// Where a dock that OBS never saved is parked until it is first shown; OBS's restore moves it elsewhere.
const QPoint unplaced(-30000, -30000);

} // namespace

PanelDock::PanelDock(QMainWindow *mainWindow, QWidget *panel, const QString &title, std::function<void()> prepare)
	: QObject(mainWindow), mainWindow(mainWindow), panel(panel), prepare(std::move(prepare))
{
	content = new PanelScrollArea(mainWindow);
	content->setObjectName("CameraControlScrollArea");
	panel->setWindowFlags(Qt::Widget);
	// As a window the panel got every key its widgets left (Escape closes it); embedded, a click on its
	// background has to give it the keyboard.
	panel->setFocusPolicy(Qt::ClickFocus);
	// Embedded, the panel has no window title of its own; tools that read the widget tree find it by this name.
	panel->setAccessibleName(panel->windowTitle());
	content->setWidget(panel);

	if (!addToHost(title)) {
		// No dock in this host: the panel stays a window of its own, as before docks.
		panel->setParent(mainWindow, Qt::Dialog | Qt::WindowStaysOnTopHint);
		delete content;
		content = nullptr;
		return;
	}
	dock->move(unplaced);
	panel->installEventFilter(this);
	connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
		// OBS restored the dock open, or the Docks menu showed it.
		if (visible && this->prepare)
			this->prepare();
		// The Docks menu can show the dock after the panel was closed inside it.
		if (visible && this->panel && this->panel->isHidden())
			this->panel->show();
	});
}

bool PanelDock::addToHost(const QString &title)
{
	const QByteArray titleText = title.toUtf8();
	if (auto addDockById = reinterpret_cast<AddDockById>(frontEndSymbol("obs_frontend_add_dock_by_id"))) {
		if (!addDockById(dockId, titleText.constData(), content))
			return false;
		dock = qobject_cast<QDockWidget *>(content->parentWidget());
		return dock != nullptr;
	}
	auto addDock = reinterpret_cast<AddDock>(frontEndSymbol("obs_frontend_add_dock"));
	if (!addDock)
		return false;
	dock = new QDockWidget(title, mainWindow);
	dock->setObjectName(dockId);
	dock->setWidget(content);
	// A child dock of the main window takes part in the window layout OBS saves and restores.
	mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
	dock->setFloating(true);
	dock->hide();
	addDock(dock);
	return true;
}

void PanelDock::present()
{
	if (!panel)
		return;
	if (prepare)
		prepare();
	if (!dock) {
		panel->activateWindow();
		panel->show();
		panel->raise();
		return;
	}
	const bool firstTime = dock->isFloating() && dock->pos() == unplaced;
	panel->show();
	dock->show();
	// Placed once shown: before, the dock's frame and title bar have no size yet.
	if (firstTime)
		placeFirstTime();
	dock->raise();
	if (dock->isFloating())
		dock->activateWindow();
	if (!panel->isAncestorOf(QApplication::focusWidget()))
		panel->setFocus(Qt::OtherFocusReason);
}

void PanelDock::placeFirstTime()
{
	// Where the panel window used to open: centred over the main window, at the view's size.
	const QSize size = dock->sizeHint();
	dock->resize(size);
	const QRect host = mainWindow->frameGeometry();
	dock->move(host.center() - QPoint(size.width() / 2, size.height() / 2));
}

void PanelDock::fitToPanel()
{
	content->updateGeometry();
	const QSize size = dock->sizeHint();
	if (dock->isFloating()) {
		dock->resize(size);
		return;
	}
	const Qt::DockWidgetArea area = mainWindow->dockWidgetArea(dock);
	if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
		mainWindow->resizeDocks({dock.data()}, {size.width()}, Qt::Horizontal);
	else
		mainWindow->resizeDocks({dock.data()}, {size.height()}, Qt::Vertical);
}

void PanelDock::panelClosed()
{
	// "Close" and Escape hide the panel itself; inside a dock that means hiding the dock and keeping the panel
	// ready for the next time the dock shows.
	if (dock)
		dock->hide();
	if (panel)
		panel->show();
}

bool PanelDock::eventFilter(QObject *watched, QEvent *event)
{
	if (watched == panel && dock) {
		if (event->type() == QEvent::Resize && dock->isVisible() &&
		    static_cast<QResizeEvent *>(event)->oldSize().isValid())
			QTimer::singleShot(0, this, &PanelDock::fitToPanel);
		else if (event->type() == QEvent::Hide && panel->isHidden() && dock->isVisible())
			QTimer::singleShot(0, this, &PanelDock::panelClosed);
	}
	return QObject::eventFilter(watched, event);
}
