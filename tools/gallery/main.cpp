#include "GalleryEntries.h"
#include "GallerySink.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char **argv)
{
	// The gallery never needs a display.
	if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
		qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	QTextStream err(stderr);
	QTextStream out(stdout);

	const QStringList args = QApplication::arguments().mid(1);
	if (args.isEmpty() || args.first().startsWith('-')) {
		err << "usage: ptzgallery OUTDIR [NAME...]\n  names:";
		for (const GalleryEntry &entry : galleryEntries())
			err << ' ' << entry.name;
		err << '\n';
		return 2;
	}
	if (!QDir().mkpath(args.first())) {
		err << "cannot create " << args.first() << '\n';
		return 1;
	}

	GallerySink sink(args.first());
	const QStringList only = args.mid(1);
	for (const GalleryEntry &entry : galleryEntries()) {
		if (only.isEmpty() || only.contains(entry.name))
			entry.render(sink);
	}
	for (const QString &file : sink.written())
		out << file << '\n';
	if (sink.failures() > 0) {
		err << sink.failures() << " picture(s) could not be written\n";
		return 1;
	}
	return 0;
}
