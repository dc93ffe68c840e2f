#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

// Every literal image path in the sources, style sheets and forms must name a compiled, valid image. Paths put
// together at run time are left to the widget tests.
class ResourcePathsTest : public QObject {
	Q_OBJECT

private slots:
	void referencedPathExists_data()
	{
		static const QRegularExpression pattern(":/?resource/images/[^\"'()<>\\r\\n]*?\\.(?:svg|png)");
		QTest::addColumn<QString>("path");
		const QDir root(PTZ_SOURCE_DIR);
		QStringList paths;
		QDirIterator it(root.path(), {"*.ui", "*.cpp", "*.h", "*.qss"}, QDir::Files,
				QDirIterator::Subdirectories);
		while (it.hasNext()) {
			QFile source(it.next());
			const QString relative = root.relativeFilePath(source.fileName());
			// Build folders hold generated copies of the same paths.
			if (relative.startsWith("build") || relative.startsWith(".") || relative.contains("/.") ||
			    !source.open(QIODevice::ReadOnly))
				continue;
			for (int line = 1; !source.atEnd(); ++line) {
				auto matches = pattern.globalMatch(QString::fromUtf8(source.readLine()));
				while (matches.hasNext()) {
					paths << matches.next().captured(0);
					QTest::addRow("%s:%d %s", qPrintable(relative), line, qPrintable(paths.last()))
						<< paths.last();
				}
			}
		}
		// A scan that finds nothing would let every row pass vacuously: one failing row instead.
		for (const char *known : {":/resource/images/ON.svg", ":/resource/images/Simple Mode/Zoom+_p.svg"})
			if (!paths.contains(known))
				QTest::addRow("scan missed %s", known) << QString("missing from the scan");
	}
	void referencedPathExists()
	{
		QFETCH(QString, path);
		// ":resource/..." (no slash) names the same resource as ":/resource/...".
		QVERIFY2(QFile::exists(path), qPrintable(path + " is not in the compiled resources"));
		QVERIFY2(!path.endsWith(".svg") || QSvgRenderer(path).isValid(), qPrintable(path + " is no valid SVG"));
	}
};

QTEST_MAIN(ResourcePathsTest)
#include "ResourcePathsTest.moc"
