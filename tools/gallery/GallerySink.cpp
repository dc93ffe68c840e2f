#include "GallerySink.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QPixmap>
#include <QWidget>

const QColor GallerySink::panelBackground(0x47, 0x47, 0x47);

GallerySink::GallerySink(const QString &path) : dir(path) {}

QString GallerySink::filePath(const QString &name) const
{
	return dir.filePath(name + ".png");
}

bool GallerySink::save(const QString &name, QWidget *widget)
{
	widget->setAttribute(Qt::WA_DontShowOnScreen);
	widget->show();
	// Style sheets, layouts and the first paint all need a turn of the event loop.
	QApplication::processEvents();
	return saveImage(name, widget->grab().toImage());
}

bool GallerySink::saveOnPanel(const QString &name, QWidget *widget)
{
	QWidget frame;
	// A palette, not a style sheet: a style sheet would cascade into the widget under test.
	QPalette palette = frame.palette();
	palette.setColor(QPalette::Window, panelBackground);
	frame.setPalette(palette);
	frame.setAutoFillBackground(true);
	auto *layout = new QHBoxLayout(&frame);
	layout->setContentsMargins(8, 8, 8, 8);
	QWidget *oldParent = widget->parentWidget();
	layout->addWidget(widget);
	const bool ok = save(name, &frame);
	layout->removeWidget(widget);
	widget->setParent(oldParent);
	return ok;
}

bool GallerySink::saveImage(const QString &name, const QImage &image)
{
	const QString path = filePath(name);
	if (image.isNull() || !image.save(path, "PNG")) {
		++failed;
		return false;
	}
	files << path;
	return true;
}
