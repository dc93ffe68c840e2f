#include "settings/Utils.h"

#include <QMessageBox>

// Lives with the widgets so that the settings library needs no Qt Widgets.
void Utils::showWarningBox(QString text)
{
	QMessageBox box;
	box.setIcon(QMessageBox::Warning);
	box.setText(text);
	box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
	box.exec();
}
