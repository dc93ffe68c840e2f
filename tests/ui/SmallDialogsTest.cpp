#include "settings/Utils.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

class SmallDialogsTest : public QObject {
	Q_OBJECT

private slots:
	// The box returns at once and blocks nothing: the panel's parent is OBS's main window.
	void warningBox()
	{
		QWidget owner;
		owner.show();
		Utils::showWarningBox("Camera is gone", &owner);
		auto *box = owner.findChild<QMessageBox *>();
		QVERIFY(box && box->isVisible());
		QCOMPARE(QString("%1, icon %2, on top %3, modality %4")
				 .arg(box->text())
				 .arg(box->icon())
				 .arg(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
				 .arg(box->windowModality()),
			 QString("Camera is gone, icon %1, on top 1, modality %2")
				 .arg(QMessageBox::Warning)
				 .arg(Qt::NonModal));
		QPointer<QMessageBox> closed(box);
		box->accept();
		QTRY_VERIFY(closed.isNull()); // deleted on close
	}
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
