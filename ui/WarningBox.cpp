#include "settings/Utils.h"

#include <QMessageBox>

// Lives with the widgets so that the settings library needs no Qt Widgets.
void Utils::showWarningBox(QString text, QWidget *parent)
{
	auto *box = new QMessageBox(parent);
	box->setAttribute(Qt::WA_DeleteOnClose);
	box->setIcon(QMessageBox::Warning);
	box->setText(text);
	box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
	// Modal to its own window at most, never to the application, and nobody waits for it in a nested loop.
	if (parent != nullptr)
		box->open();
	else
		box->show();
}
