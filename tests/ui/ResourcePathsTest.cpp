#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

namespace {

struct Reference {
	QString where; // file:line
	QString path;  // as written
};

// Every literal image path in the sources, style sheets and forms. Paths put together at run time are not
// seen here; the widget tests cover those.
QList<Reference> referencedPaths()
{
	static const QRegularExpression pattern(":/?resource/images/[^\"'()<>\\r\\n]*?\\.(?:svg|png)");
	const QDir root(PTZ_SOURCE_DIR);
	QList<Reference> found;
	QDirIterator it(root.path(), {"*.ui", "*.cpp", "*.h", "*.qss"}, QDir::Files, QDirIterator::Subdirectories);
	while (it.hasNext()) {
		const QString file = it.next();
		const QString relative = root.relativeFilePath(file);
		// Build folders hold generated copies of the same paths.
		if (relative.startsWith("build") || relative.startsWith(".") || relative.contains("/."))
			continue;
		QFile source(file);
		if (!source.open(QIODevice::ReadOnly))
			continue;
		int line = 0;
		while (!source.atEnd()) {
			const QString text = QString::fromUtf8(source.readLine());
			++line;
			auto matches = pattern.globalMatch(text);
			while (matches.hasNext())
				found << Reference{QString("%1:%2").arg(relative).arg(line),
						   matches.next().captured(0)};
		}
	}
	return found;
}

} // namespace

class ResourcePathsTest : public QObject {
	Q_OBJECT

private slots:
	void scanSeesTheForms();
	void referencedPathExists_data();
	void referencedPathExists();
	void imageIsValidSvg_data();
	void imageIsValidSvg();
};

void ResourcePathsTest::scanSeesTheForms()
{
	QVERIFY2(QDir(PTZ_SOURCE_DIR).exists("ui/resources.qrc"), PTZ_SOURCE_DIR);
	QStringList paths;
	for (const Reference &ref : referencedPaths())
		paths << ref.path;
	// A scan that finds nothing would make the next test pass vacuously.
	QVERIFY(paths.contains(":/resource/images/ON.svg"));
	QVERIFY(paths.contains(":/resource/images/Simple Mode/Zoom+_p.svg"));
	QVERIFY(paths.contains(":/resource/images/Brenmoor-About us-logo.svg"));
}

void ResourcePathsTest::referencedPathExists_data()
{
	QTest::addColumn<QString>("path");
	for (const Reference &ref : referencedPaths())
		QTest::newRow(qPrintable(ref.where + " " + ref.path)) << ref.path;
}

void ResourcePathsTest::referencedPathExists()
{
	QFETCH(QString, path);
	// ":resource/..." (no slash) names the same resource as ":/resource/...".
	QVERIFY2(QFile::exists(path), qPrintable(path + " is not in the compiled resources"));
}

void ResourcePathsTest::imageIsValidSvg_data()
{
	QTest::addColumn<QString>("path");
	QDirIterator it(":/resource/images", QDir::Files, QDirIterator::Subdirectories);
	while (it.hasNext()) {
		const QString path = it.next();
		QTest::newRow(qPrintable(path)) << path;
	}
}

void ResourcePathsTest::imageIsValidSvg()
{
	QFETCH(QString, path);
	QSvgRenderer svg(path);
	QVERIFY(svg.isValid());
	QVERIFY(!svg.defaultSize().isEmpty());
}

QTEST_MAIN(ResourcePathsTest)
#include "ResourcePathsTest.moc"
