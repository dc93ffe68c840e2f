// The panel and its dialogs in every shipped language, styled with OBS's own theme: the texts on the widgets are
// the locale's; in a dock at its first size, at its narrowest and at its largest, and in each dialog, no two
// visible controls overlap, each lies inside its frames, and no text is clipped by its cell (a cell too narrow
// elides it and keeps the full text as the tool tip).

#include "MainDialogTestSupport.h"

#include "AboutDialog.h"
#include "DiscoveryDialog.h"
#include "ModuleTranslator.h"
#include "PanTiltLimitSettingDialog.h"
#include "PresetRenameDialog.h"
#include "panel/PanelScrollArea.h"
#include "plugin/ModuleText.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>

namespace {

const QString localeDir = QStringLiteral(PTZ_SOURCE_DIR "/data/locale/");
// The theme of Debian's OBS (the obs-studio package), or the one PTZ_OBS_THEME names (a later OBS's, compiled).
const QString obsTheme = qEnvironmentVariableIsSet("PTZ_OBS_THEME")
				 ? qEnvironmentVariable("PTZ_OBS_THEME")
				 : QStringLiteral("/usr/share/obs/obs-studio/themes/Yami.qss");

// As the host loads it: English first, the chosen language over it.
void useLocale(const QString &locale)
{
	lookup_t *table = text_lookup_create(QString(localeDir + "en-US.ini").toUtf8().constData());
	text_lookup_add(table, QString(localeDir + locale + ".ini").toUtf8().constData());
	moduleTextSetTable(table);
}

QString text(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}

// The text a cell was given: its tool tip when it had to elide.
template <typename Cell>
QString fullText(const Cell *cell)
{
	return cell->toolTip().isEmpty() ? cell->text() : cell->toolTip();
}

// "name: text" for every visible text wider than its room, elided ones excepted.
QStringList clipped(QWidget *window)
{
	QStringList out;
	const auto check = [&](const QWidget *owner, const QString &shown, int room) {
		const bool elided = shown.endsWith(QChar(0x2026)) && !owner->toolTip().isEmpty();
		if (owner->isVisibleTo(window) && QFontMetrics(owner->font()).horizontalAdvance(shown) > room &&
		    !elided)
			out << owner->objectName() + ": " + shown;
	};
	for (QLabel *label : window->findChildren<QLabel *>()) {
		if (label->textFormat() != Qt::RichText)
			check(label, label->text(), label->contentsRect().width() - 2 * label->margin());
	}
	for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
		check(button, button->text(), button->width() - 2);
	for (QGroupBox *box : window->findChildren<QGroupBox *>())
		check(box, box->title(), box->width() - 40); // the title starts 20 px in
	// Fields and boxes tall enough for a line of their text.
	for (QWidget *field : window->findChildren<QWidget *>()) {
		if ((qobject_cast<QComboBox *>(field) || qobject_cast<QLineEdit *>(field)) &&
		    field->isVisibleTo(window) && !qobject_cast<QComboBox *>(field->parentWidget()) &&
		    field->height() < field->minimumSizeHint().height())
			out << field->objectName() + " too low";
	}
	for (QComboBox *box : window->findChildren<QComboBox *>()) {
		for (int i = 0; i < box->count(); ++i)
			check(box, box->itemText(i), box->width() - 25 - 4); // beside the drop-down area
	}
	// A menu is at least as wide as its button and as wide as its entries need (it takes its width on showing).
	for (QPushButton *button : window->findChildren<QPushButton *>()) {
		if (QMenu *menu = button->menu()) {
			emit menu->aboutToShow();
			if (menu->maximumWidth() < menu->sizeHint().width())
				out << "menu of " + button->objectName();
		}
	}
	return out;
}

// The controls an operator sees: buttons, texts and pictures, boxes, fields and sliders.
QList<QWidget *> controls(QWidget *window)
{
	QList<QWidget *> out;
	for (QWidget *widget : window->findChildren<QWidget *>()) {
		const auto *label = qobject_cast<QLabel *>(widget);
		const bool control =
			qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
			qobject_cast<QLineEdit *>(widget) || qobject_cast<QSlider *>(widget) ||
			(label && (!label->text().isEmpty() || !label->pixmap(Qt::ReturnByValue).isNull()));
		if (control && widget->isVisibleTo(window) && !widget->size().isEmpty() &&
		    !qobject_cast<QComboBox *>(widget->parentWidget()))
			out << widget;
	}
	return out;
}

QRect placeIn(const QWidget *widget, const QWidget *window)
{
	return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// "a/b" for every two visible controls that overlap, "a outside b" for a control that leaves one of its frames.
QStringList misplaced(QWidget *window)
{
	QStringList out;
	const QList<QWidget *> all = controls(window);
	for (int i = 0; i < all.size(); ++i) {
		const QRect a = placeIn(all[i], window);
		for (int j = i + 1; j < all.size(); ++j) {
			if (all[i]->isAncestorOf(all[j]) || all[j]->isAncestorOf(all[i]))
				continue;
			if (a.intersected(placeIn(all[j], window)).width() > 0 &&
			    a.intersected(placeIn(all[j], window)).height() > 0)
				out << all[i]->objectName() + "/" + all[j]->objectName();
		}
		for (QWidget *frame = all[i]->parentWidget(); frame && frame != window; frame = frame->parentWidget()) {
			if (!placeIn(frame, window).contains(a))
				out << all[i]->objectName() + " outside " + frame->objectName();
		}
	}
	return out;
}

} // namespace

class PanelLocaleTest : public QObject {
	Q_OBJECT

private slots:
	void initTestCase()
	{
		QVERIFY2(QFile::exists(obsTheme), qPrintable(obsTheme + " missing: run scripts/setup.sh (obs-studio)"));
		qApp->setStyleSheet("file:///" + obsTheme);
	}
	void init() { writeSettings(QJsonObject()); }
	void cleanup() { moduleTextSetTable(nullptr); }

	void panelAndDialogs_data()
	{
		QTest::addColumn<QString>("locale");
		for (const QString &file : QDir(localeDir).entryList({"*.ini"}, QDir::Files))
			QTest::newRow(qPrintable(file.chopped(4))) << file.chopped(4);
	}
	void panelAndDialogs()
	{
		useLocale(QTest::currentDataTag());
		const QString longName = "Western close-up of the pulpit";
		writeSettings(QJsonObject{{"1", longName}});
		ModuleTranslator translator;
		QCoreApplication::installTranslator(&translator); // as the host does while the panel is built
		TestPanel panel;
		QCoreApplication::removeTranslator(&translator);
		QVERIFY(panel.up("QK-H57P", "127.0.6.70"));
		QAction *advanced = panel.action(text("AdvanceMode"));
		QVERIFY2(advanced, "no View entry with the locale's text");
		advanced->trigger();
		QTest::qWait(50);
		QVERIFY(panel.findChild<QWidget *>("AdvanceFrame")->isVisible());
		// Form texts (through the translator), code texts and model tables all come from the locale.
		QCOMPARE(panel.findChild<QGroupBox *>("ExposureBox")->title(), text("Exposure"));
		QCOMPARE(fullText(panel.findChild<QLabel *>("ShutterSpeedLabel")), text("Shutterspeed"));
		QCOMPARE(panel.windowTitle(), text("PluginTitle"));
		QCOMPARE(fullText(panel.findChild<QPushButton *>("Preset1Button")), longName);
		// The quick-exposure and on/off buttons carry the locale's words over word-less images.
		QCOMPARE(fullText(panel.findChild<QPushButton *>("BackLightButton")), text("BackLight"));
		QVERIFY(panel.findChild<QComboBox *>("AWBModeBox")->findText(text("OnePush")) >= 0);
		QStringList tooWide = clipped(&panel);
		// The keyboard goes through the controls in reading order.
		const QStringList landmarks = {"Camera1Button",    "Camera8Button", "UpperLeftButton",
					       "LowerRightButton", "Preset1Button", "Preset9Button",
					       "CallButton",       "PanSpeedEdit",  "ExposureModeBox",
					       "AWBModeBox",       "DigEffectBox"};
		QStringList visited;
		QWidget *step = &panel;
		for (int i = 0; i < 400 && visited.size() < landmarks.size(); ++i) {
			step = step->nextInFocusChain();
			if (landmarks.contains(step->objectName()) && !visited.contains(step->objectName()) &&
			    (step->focusPolicy() & Qt::TabFocus) && step->isEnabled())
				visited << step->objectName();
		}
		QVERIFY2(visited == landmarks, qPrintable(visited.join(' ')));

		// In a dock (which owns a panel of its own): the size a new dock opens at, the narrowest dock, a
		// maximised window; each view.
		PanelScrollArea dock;
		QCoreApplication::installTranslator(&translator);
		auto *docked = new TestPanel;
		QCoreApplication::removeTranslator(&translator);
		QAction *views[] = {docked->action(text("SimpleMode")), docked->action(text("AdvanceMode"))};
		QVERIFY(views[0] && views[1]);
		dock.setWidget(docked);
		dock.show();
		const QSize first = dock.sizeHint();
		for (const QSize room : {first, QSize(340, first.height()), QSize(1600, 1000)}) {
			for (QAction *view : views) {
				dock.resize(room);
				view->trigger();
				QTest::qWait(20);
				const QString where = QStringLiteral(" (%1 at %2x%3)")
							      .arg(view->text())
							      .arg(room.width())
							      .arg(room.height());
				for (const QString &fault : misplaced(docked) + clipped(docked))
					tooWide << fault + where;
				if (dock.horizontalScrollBar()->isVisible())
					tooWide << "scrolls sideways" + where;
			}
		}

		PanTiltLimitSettingDialog limits;
		PresetRenameDialog rename;
		DiscoveryDialog assign;
		AboutDialog about;
		const std::pair<QDialog *, const char *> windows[] = {{&limits, "PanTiltLimitSetting"},
								      {&rename, "PresetRename"},
								      {&assign, "CameraAssign"},
								      {&about, "AboutUs"}};
		for (const auto &[window, title] : windows) {
			window->show();
			QTest::qWait(20);
			QCOMPARE(window->windowTitle(), text(title));
			tooWide += clipped(window) + misplaced(window);
		}
		QCOMPARE(fullText(rename.findChild<QPushButton *>("ApplyButton")), text("Apply"));
		QCOMPARE(fullText(limits.findChild<QPushButton *>("PTZSpeedCompButton")), text("SwitchOff"));
		QCOMPARE(assign.findChild<QComboBox *>("CameraComboBox")->itemText(7), text("Camera8"));
		QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join("; ")));
	}
};

PANEL_TEST_MAIN(PanelLocaleTest)
#include "tst_panel_locale.moc"
