#include "QtCompat.h"

#include <QtTest>

#include <memory>

namespace {
// The address pattern of the camera assignment dialog.
const QString ipv4 = "\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b";
} // namespace

class QtCompatTest : public QObject {
	Q_OBJECT

private slots:
	void exactMatch_data();
	void exactMatch();
	void validator_data();
	void validator();
};

void QtCompatTest::exactMatch_data()
{
	QTest::addColumn<QString>("pattern");
	QTest::addColumn<QString>("text");
	QTest::addColumn<bool>("matches");

	QTest::newRow("address") << ipv4 << "192.168.1.10" << true;
	QTest::newRow("leading zeros") << ipv4 << "192.168.001.010" << true;
	QTest::newRow("octet above 255") << ipv4 << "192.168.1.256" << false;
	QTest::newRow("three octets") << ipv4 << "192.168.1" << false;
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

void QtCompatTest::validator_data()
{
	QTest::addColumn<QString>("pattern");
	QTest::addColumn<QString>("text");
	QTest::addColumn<int>("state");

	QTest::newRow("digits") << "^[0-9]*$"
				<< "123" << int(QValidator::Acceptable);
	QTest::newRow("empty digits") << "^[0-9]*$"
				      << "" << int(QValidator::Acceptable);
	QTest::newRow("letter") << "^[0-9]*$"
				<< "1a" << int(QValidator::Invalid);
	QTest::newRow("tilt up 95") << "^(90|[1-8]?[0-9])$"
				    << "95" << int(QValidator::Invalid);
	QTest::newRow("tilt down lone minus") << "^(0|-(30|[1-2]?[0-9]))$"
					      << "-" << int(QValidator::Intermediate);
}

void QtCompatTest::validator()
{
	QFETCH(QString, pattern);
	QFETCH(QString, text);
	QFETCH(int, state);

	QObject owner;
	QValidator *validator = makeRegExpValidator(pattern, &owner);
	QCOMPARE(validator->parent(), &owner);
	int pos = 0;
	QCOMPARE(int(validator->validate(text, pos)), state);
}

QTEST_MAIN(QtCompatTest)
#include "QtCompatTest.moc"
