#include "QtCompat.h"

#include <QtTest>

namespace {
// The address pattern of the camera assignment dialog.
const QString ipv4 = "\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b";
} // namespace

class QtCompatTest : public QObject {
	Q_OBJECT

private slots:
	void exactMatch_data();
	void exactMatch();
};

void QtCompatTest::exactMatch_data()
{
	QTest::addColumn<QString>("pattern");
	QTest::addColumn<QString>("text");
	QTest::addColumn<bool>("matches");

	QTest::newRow("address") << ipv4 << "192.168.1.10" << true;
	QTest::newRow("octet above 255") << ipv4 << "192.168.1.256" << false;
	QTest::newRow("trailing space") << ipv4 << "192.168.1.10 " << false;
	QTest::newRow("inside longer text") << ipv4 << "x192.168.1.10" << false;
	QTest::newRow("case-sensitive") << "abc"
					<< "ABC" << false;
}

void QtCompatTest::exactMatch()
{
	QFETCH(QString, pattern);
	QFETCH(QString, text);
	QFETCH(bool, matches);
	QCOMPARE(regExpExactMatch(pattern, text), matches);
}

QTEST_MAIN(QtCompatTest)
#include "QtCompatTest.moc"
