#include "AboutDialog.h"
#include "settings/Utils.h"

#include <obs-module.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class SmallDialogsTest : public QObject {
	Q_OBJECT

private slots:
	void aboutTexts();
	void aboutSizeBounds_data();
	void aboutSizeBounds();
	void warningBox();
};

void SmallDialogsTest::aboutTexts()
{
	AboutDialog dialog;
	QCOMPARE(dialog.findChild<QLabel *>("VersionLabel")->text(), QString("V1.0.1"));
	QCOMPARE(dialog.windowTitle(), QString(obs_module_text("AboutUs")));
}

void SmallDialogsTest::aboutSizeBounds_data()
{
	QTest::addColumn<QSize>("requested");
	QTest::addColumn<QSize>("expected");

	QTest::newRow("as built") << QSize(675, 193) << QSize(675, 193);
	QTest::newRow("wider and taller") << QSize(1000, 400) << QSize(675, 195);
	QTest::newRow("narrower and lower") << QSize(300, 100) << QSize(675, 193);
}

void SmallDialogsTest::aboutSizeBounds()
{
	QFETCH(QSize, requested);
	QFETCH(QSize, expected);

	AboutDialog dialog;
	dialog.show();
	dialog.resize(requested);
	QCOMPARE(dialog.size(), expected);
}

void SmallDialogsTest::warningBox()
{
	QMessageBox *seen = nullptr;
	QString text;
	QMessageBox::Icon icon = QMessageBox::NoIcon;
	Qt::WindowFlags flags;
	QWidget *parent = reinterpret_cast<QWidget *>(1);
	// The box is modal: look at it from inside its own event loop, then close it.
	QTimer::singleShot(0, this, [&]() {
		seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
		if (!seen)
			return;
		text = seen->text();
		icon = seen->icon();
		flags = seen->windowFlags();
		parent = seen->parentWidget();
		seen->accept();
	});
	Utils::showWarningBox("Camera is gone");

	QVERIFY2(seen, "no modal message box was shown");
	QCOMPARE(text, QString("Camera is gone"));
	QCOMPARE(icon, QMessageBox::Warning);
	QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
	QCOMPARE(parent, nullptr);
}

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
