#include "AboutDialog.h"
#include "settings/Utils.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class SmallDialogsTest : public QObject {
	Q_OBJECT

private slots:
	void about_data()
	{
		QTest::addColumn<QSize>("requested");
		QTest::addColumn<QSize>("expected");
		QTest::newRow("as built") << QSize(675, 193) << QSize(675, 193);
		QTest::newRow("wider and taller") << QSize(1000, 400) << QSize(675, 195);
		QTest::newRow("narrower and lower") << QSize(300, 100) << QSize(675, 193);
	}
	void about()
	{
		QFETCH(QSize, requested);
		QFETCH(QSize, expected);
		AboutDialog dialog;
		dialog.show();
		dialog.resize(requested);
		QCOMPARE(dialog.size(), expected);
		QCOMPARE(dialog.findChild<QLabel *>("VersionLabel")->text(), QString("V1.0.1"));
	}

	void warningBox()
	{
		QString seen = "no modal message box was shown";
		// The box is modal: look at it from inside its own event loop, then close it.
		QTimer::singleShot(0, this, [&]() {
			if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
				seen = QString("%1, icon %2, on top %3, parent %4")
					       .arg(box->text())
					       .arg(box->icon())
					       .arg(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
					       .arg(box->parentWidget() != nullptr);
				box->accept();
			}
		});
		Utils::showWarningBox("Camera is gone");
		QCOMPARE(seen, QString("Camera is gone, icon %1, on top 1, parent 0").arg(QMessageBox::Warning));
	}
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
