#include "PanelDock.h"
#include "panel/PanelScrollArea.h"

#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <dlfcn.h>

namespace {

// OBS 30 and later: wraps the widget in its own dock; false when the id is taken.
using AddDockById = bool (*)(const char *id, const char *title, void *widget);
// OBS 29 to 31: takes a QDockWidget, returns its Docks-menu action.
using AddDock = void *(*)(void *dock);

void *frontEndSymbol(const char *name)
{
	// The front-end library is a dependency of OBS itself, so its functions are in the global scope, under
	// whatever file name this OBS gives the library.
	return dlsym(RTLD_DEFAULT, name);
}

// Where a dock that OBS never saved is parked until it is first shown; OBS's restore moves it elsewhere.
const QPoint unplaced(-30000, -30000);

} // namespace

PanelDock::PanelDock(QMainWindow *mainWindow, QWidget *panel, const QString &title, std::function<void()> prepare)
	: QObject(mainWindow), mainWindow(mainWindow), panel(panel), prepare(std::move(prepare))
{
	// The dock starts with an empty placeholder; the scroll area and the panel take its place when the dock first
	// shows, so OBS's start-up does not pay for styling widgets the operator may never open. The placeholder asks
	// for the panel's size: OBS places a new dock by its size on a first run.
	placeholder = new QWidget(mainWindow);
	auto *layout = new QVBoxLayout(placeholder);
	layout->setContentsMargins(0, 0, 0, 0);
	layout->addSpacerItem(
		new QSpacerItem(panel->width(), panel->height(), QSizePolicy::Ignored, QSizePolicy::Ignored));

	if (!addToHost(title)) {
		// No dock in this host: the panel stays a window of its own, as before docks.
		panel->setParent(mainWindow, Qt::Dialog | Qt::WindowStaysOnTopHint);
		delete placeholder;
		placeholder = nullptr;
		return;
	}
	dock->move(unplaced);
	registeredHint = dock->sizeHint();
	connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
		if (!visible)
			return;
		// OBS restored the dock open, or the Docks menu showed it.
		prepareContent();
		// The Docks menu can show the dock after the panel was closed inside it.
		if (this->panel && this->panel->isHidden())
			this->panel->show();
	});
}

void PanelDock::prepareContent()
{
	const bool moveIn = placeholder && panel;
	if (moveIn) {
		content = new PanelScrollArea(mainWindow);
		content->setObjectName("CameraControlScrollArea");
		panel->setWindowFlags(Qt::Widget);
		// As a window the panel got every key its widgets left (Escape closes it); embedded, a click on its
		// background has to give it the keyboard.
		panel->setFocusPolicy(Qt::ClickFocus);
		// Embedded, the panel has no window title of its own; tools that read the widget tree find it by this
		// name.
		panel->setAccessibleName(panel->windowTitle());
		content->setWidget(panel);
		dock->setWidget(content);
		// Made while OBS's window is up, the scroll area starts hidden and would show a turn of the event
		// loop later: the dock would take its size from an empty content.
		content->show();
		placeholder->deleteLater();
		placeholder = nullptr;
	}
	if (prepare)
		prepare();
	// Watched for "Close" once built.
	if (moveIn)
		panel->installEventFilter(this);
}

bool PanelDock::addToHost(const QString &title)
{
	const QByteArray titleText = title.toUtf8();
	if (auto addDockById = reinterpret_cast<AddDockById>(frontEndSymbol("obs_frontend_add_dock_by_id"))) {
		if (!addDockById(dockId, titleText.constData(), placeholder))
			return false;
		dock = qobject_cast<QDockWidget *>(placeholder->parentWidget());
		return dock != nullptr;
	}
	auto addDock = reinterpret_cast<AddDock>(frontEndSymbol("obs_frontend_add_dock"));
	if (!addDock)
		return false;
	dock = new QDockWidget(title, mainWindow);
	dock->setObjectName(dockId);
	dock->setWidget(placeholder);
	// A child dock of the main window takes part in the window layout OBS saves and restores.
	mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
	// Hidden first: floating a dock that is not explicitly hidden shows it, which creates its native window
	// and builds the panel during OBS's start-up.
	dock->hide();
	dock->setFloating(true);
	addDock(dock);
	return true;
}

void PanelDock::present()
{
	if (!panel)
		return;
	if (!dock) {
		if (prepare)
			prepare();
		panel->activateWindow();
		panel->show();
		panel->raise();
		return;
	}
	prepareContent();
	const bool firstTime = dock->isFloating() && (dock->pos() == unplaced || placedByReset());
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

bool PanelDock::placedByReset() const
{
	// On its very first run OBS places every dock that a module added: centred, at the size hint cut to two thirds
	// of the screen (Qt's rule for a window's default size, of the whole or of the available screen). A dock at
	// exactly that size has not been shown yet; any size the operator gives it is kept.
	const QScreen *screen = mainWindow->screen();
	if (!screen)
		return false;
	for (const QSize area : {screen->geometry().size(), screen->availableGeometry().size()}) {
		const QSize cut = registeredHint.boundedTo(QSize(area.width() * 2 / 3, area.height() * 2 / 3));
		if (cut != registeredHint && dock->size() == cut)
			return true;
	}
	return false;
}

void PanelDock::placeFirstTime()
{
	// Where the panel window used to open: centred over the main window, at the view's size.
	QSize size = dock->sizeHint();
	if (const QScreen *screen = mainWindow->screen())
		size = size.boundedTo(screen->availableGeometry().size());
	dock->resize(size);

	const QRect host = mainWindow->frameGeometry();
	dock->move(host.center() - QPoint(size.width() / 2, size.height() / 2));
}

void PanelDock::fitToPanel()
{
	if (!content)
		return;
	content->updateGeometry();
	const QSize size = dock->sizeHint();
	if (dock->isFloating()) {
		// A dock of OBS 29 (ours) leaves its title bar out of its size hint: the panel's room is what the dock
		// keeps around its content.
		QSize whole = size.expandedTo(content->sizeHint() + (dock->size() - content->size()));
		if (const QScreen *screen = dock->screen())
			whole = whole.boundedTo(screen->availableGeometry().size());
		dock->resize(whole);
		return;
	}
	const Qt::DockWidgetArea area = mainWindow->dockWidgetArea(dock);
	if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
		mainWindow->resizeDocks({dock.data()}, {size.width()}, Qt::Horizontal);
	else
		mainWindow->resizeDocks({dock.data()}, {size.height()}, Qt::Vertical);
}

void PanelDock::panelViewChanged()
{
	if (dock && dock->isVisible())
		QTimer::singleShot(0, this, &PanelDock::fitToPanel);
}

void PanelDock::panelClosed()
{
	// "Close" hides the panel itself (Escape does only while it floats as a window of its own); inside a dock that
	// means hiding the dock and keeping the panel ready for the next time the dock shows.
	if (dock)
		dock->hide();
	if (panel)
		panel->show();
}

bool PanelDock::eventFilter(QObject *watched, QEvent *event)
{
	if (watched == panel && dock) {
		if (event->type() == QEvent::Hide && panel->isHidden() && dock->isVisible())
			QTimer::singleShot(0, this, &PanelDock::panelClosed);
	}
	return QObject::eventFilter(watched, event);
}
