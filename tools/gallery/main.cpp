#include "GalleryEntries.h"
#include "GallerySink.h"

#include "ModuleTranslator.h"
#include "plugin/ModuleText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPalette>
#include <QRegularExpression>
#include <QTextStream>

namespace {

// Sets the application palette from the theme's "OBSTheme { role: rgb(r,g,b); ... }" block, as the host does
// when it loads a theme, so that palette(...) in the sheet resolves to the theme's colours.
void applyThemePalette(const QString &sheet)
{
	const QRegularExpressionMatch block = QRegularExpression("OBSTheme\\s*\\{([^}]*)\\}").match(sheet);
	if (!block.hasMatch())
		return;
	static const QHash<QString, QPalette::ColorRole> roles = {{"window", QPalette::Window},
								  {"windowText", QPalette::WindowText},
								  {"base", QPalette::Base},
								  {"alternateBase", QPalette::AlternateBase},
								  {"text", QPalette::Text},
								  {"button", QPalette::Button},
								  {"buttonText", QPalette::ButtonText},
								  {"brightText", QPalette::BrightText},
								  {"light", QPalette::Light},
								  {"mid", QPalette::Mid},
								  {"dark", QPalette::Dark},
								  {"shadow", QPalette::Shadow},
								  {"highlight", QPalette::Highlight},
								  {"highlightText", QPalette::HighlightedText},
								  {"link", QPalette::Link},
								  {"linkVisited", QPalette::LinkVisited}};
	QPalette palette = QApplication::palette();
	QRegularExpressionMatchIterator it = QRegularExpression("(\\w+)\\s*:\\s*rgb\\((\\d+),\\s*(\\d+),\\s*(\\d+)\\)")
						     .globalMatch(block.captured(1));
	while (it.hasNext()) {
		const QRegularExpressionMatch entry = it.next();
		if (roles.contains(entry.captured(1)))
			palette.setColor(roles[entry.captured(1)],
					 QColor(entry.captured(2).toInt(), entry.captured(3).toInt(),
						entry.captured(4).toInt()));
	}
	QApplication::setPalette(palette);
}

// Loads a host theme as the application style sheet, the way the host application does: as a file URL, so the
// theme's relative image paths resolve against its own folder.
bool loadAppStyleSheet(const QString &path)
{
	QFile file(path);
	if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
		return false;
	applyThemePalette(QString::fromUtf8(file.readAll()));
	qApp->setStyleSheet("file:///" + QFileInfo(path).absoluteFilePath());
	return true;
}

// Loads the module's texts as the host does: English first, the chosen language over it.
bool loadLocale(const QString &locale)
{
	const QString folder = QStringLiteral(PTZ_LOCALE_DIR "/");
	if (!QFileInfo::exists(folder + locale + ".ini"))
		return false;
	lookup_t *table = text_lookup_create(QString(folder + "en-US.ini").toUtf8().constData());
	text_lookup_add(table, QString(folder + locale + ".ini").toUtf8().constData());
	moduleTextSetTable(table);
	return true;
}

} // namespace

int main(int argc, char **argv)
{
	// The gallery never needs a display.
	if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
		qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	QTextStream err(stderr);
	QTextStream out(stdout);

	QStringList args = QApplication::arguments().mid(1);
	const int styleOption = args.indexOf("--app-style-sheet");
	if (styleOption >= 0 && styleOption + 1 < args.size()) {
		const QString theme = args.takeAt(styleOption + 1);
		args.removeAt(styleOption);
		if (!loadAppStyleSheet(theme)) {
			err << "cannot read " << theme << '\n';
			return 1;
		}
	}
	QString locale = "en-US";
	const int langOption = args.indexOf("--lang");
	if (langOption >= 0 && langOption + 1 < args.size()) {
		locale = args.takeAt(langOption + 1);
		args.removeAt(langOption);
	}
	if (!loadLocale(locale)) {
		err << "no locale file for " << locale << " in " << PTZ_LOCALE_DIR << '\n';
		return 1;
	}
	ModuleTranslator translator;
	QCoreApplication::installTranslator(&translator); // the host translates the panel's forms the same way
	if (args.isEmpty() || args.first().startsWith('-')) {
		err << "usage: ptzgallery [--app-style-sheet THEME.qss] [--lang LOCALE] OUTDIR [NAME...]\n  names:";
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
	moduleTextSetTable(nullptr);
	if (sink.failures() > 0) {
		err << sink.failures() << " picture(s) could not be written\n";
		return 1;
	}
	return 0;
}
