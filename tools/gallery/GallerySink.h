#pragma once

#include <QColor>
#include <QDir>
#include <QString>
#include <QStringList>

class QWidget;

// Writes grabs of widgets as PNG files into one folder and remembers what it wrote or failed to write.
class GallerySink {
public:
	explicit GallerySink(const QString &dir);

	// Shows widget offscreen, lets it lay out and paint, and writes <name>.png.
	bool save(const QString &name, QWidget *widget);
	// Same for a widget that normally sits inside the panel: grabbed on a frame of the panel's background.
	bool saveOnPanel(const QString &name, QWidget *widget);
	bool saveImage(const QString &name, const class QImage &image);

	QString filePath(const QString &name) const;
	const QStringList &written() const { return files; }
	int failures() const { return failed; }

	static const QColor panelBackground;

private:
	QDir dir;
	QStringList files;
	int failed = 0;
};
