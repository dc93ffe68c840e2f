#include "settings/Utils.h"

#include <QMessageBox>

// Lives with the widgets so that the settings library needs no Qt Widgets.
QWidget *Utils::showWarningBox(QString text, QWidget *parent)
{
	auto *box = new QMessageBox(parent);
	// Never modal, and nobody waits for it: the panel is a child of OBS's main window, so even a box modal to the
	// panel alone would block the main window's menus.
	box->setModal(false);
	box->setAttribute(Qt::WA_DeleteOnClose);
	box->setIcon(QMessageBox::Warning);
	box->setText(text);
	box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
	box->show();
	return box;
}
