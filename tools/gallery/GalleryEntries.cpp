// The gallery's pictures: one render function per widget or dialog, listed in galleryEntries() at the end.
// To add a widget, write a render function and add a line to the list.

#include "GalleryEntries.h"
#include "GallerySink.h"
#include "PanelGallery.h"
#include "DiscoveryGallery.h"

#include "AboutDialog.h"
#include "ORFocusVerticalSlider.h"
#include "ORPlusMinusButton.h"
#include "ORZoomVerticalSlider.h"
#include "PanTiltLimitSettingDialog.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

#include <algorithm>

namespace {

QPushButton *button(QWidget *parent, const char *name)
{
	return parent->findChild<QPushButton *>(name);
}

void renderPlusMinusButton(GallerySink &sink)
{
	ORPlusMinusButton list;
	list.setElements({{"1/30", 0x11}, {"1/60", 0x12}, {"1/100", 0x13}});
	list.setValue(0x12);
	sink.saveOnPanel("ORPlusMinusButton-list", &list);

	ORPlusMinusButton range;
	range.setRange(0, 14);
	range.setValue(7);
	sink.saveOnPanel("ORPlusMinusButton-range", &range);
	button(&range, "PlusButton")->setDown(true);
	sink.saveOnPanel("ORPlusMinusButton-pressed", &range);
	button(&range, "PlusButton")->setDown(false);
	range.setStepEnabled(false);
	sink.saveOnPanel("ORPlusMinusButton-stepdisabled", &range);

	ORPlusMinusButton fixed;
	fixed.setRange(5, 5);
	fixed.setValue(5);
	sink.saveOnPanel("ORPlusMinusButton-disabled", &fixed);
}

void renderZoomSlider(GallerySink &sink)
{
	ORZoomVerticalSlider zoom;
	zoom.setRange(0, 100);
	zoom.setValue(30);
	sink.saveOnPanel("ORZoomVerticalSlider-normal", &zoom);
	button(&zoom, "ZoomPlusButton")->setDown(true);
	sink.saveOnPanel("ORZoomVerticalSlider-pressed", &zoom);
	button(&zoom, "ZoomPlusButton")->setDown(false);
	zoom.setEnabled(false);
	sink.saveOnPanel("ORZoomVerticalSlider-disabled", &zoom);
}

void renderFocusSlider(GallerySink &sink)
{
	ORFocusVerticalSlider focus;
	focus.setRange(0, 100);
	focus.setValue(70);
	sink.saveOnPanel("ORFocusVerticalSlider-manual", &focus);
	button(&focus, "FocusMinusButton")->setDown(true);
	sink.saveOnPanel("ORFocusVerticalSlider-pressed", &focus);
	button(&focus, "FocusMinusButton")->setDown(false);
	button(&focus, "AFButton")->setChecked(true);
	sink.saveOnPanel("ORFocusVerticalSlider-auto", &focus);
	focus.setEnabled(false);
	sink.saveOnPanel("ORFocusVerticalSlider-disabled", &focus);
}

void renderLimitDialog(GallerySink &sink)
{
	PanTiltLimitSettingDialog dialog;
	dialog.setLimits("-120", "120", "60", "-20");
	sink.save("PanTiltLimitSettingDialog-off", &dialog);
	button(&dialog, "PanTiltLimitButton")->setChecked(true);
	button(&dialog, "PTZSpeedCompButton")->setChecked(true);
	sink.save("PanTiltLimitSettingDialog-on", &dialog);
	button(&dialog, "PTZSpeedCompButton")->setChecked(false);
	dialog.setSpeedCompEnabled(false);
	sink.save("PanTiltLimitSettingDialog-speedcompdisabled", &dialog);
}

void renderAboutDialog(GallerySink &sink)
{
	// In the plug-in the dialog inherits the panel's background through the panel's style sheet.
	QWidget panel;
	panel.setStyleSheet("background-color: #474747");
	AboutDialog dialog(&panel);
	sink.save("AboutDialog", &dialog);
}

// Every image of the resources on one sheet, twice its natural size, on the panel's background.
void renderArtwork(GallerySink &sink)
{
	QStringList paths;
	QDirIterator it(":/resource/images", QDirIterator::Subdirectories);
	while (it.hasNext()) {
		const QString path = it.next();
		if (it.fileInfo().isFile())
			paths << path;
	}
	std::sort(paths.begin(), paths.end());

	const int scale = 2, cell = 200, caption = 18, columns = 6;
	const int rows = (paths.size() + columns - 1) / columns;
	QImage sheet(columns * cell, rows * (cell + caption), QImage::Format_ARGB32);
	sheet.fill(GallerySink::panelBackground);
	QPainter painter(&sheet);
	painter.setRenderHint(QPainter::Antialiasing);
	QFont font("Arial");
	font.setPixelSize(11);
	painter.setFont(font);
	for (int i = 0; i < paths.size(); ++i) {
		QSvgRenderer svg(paths[i]);
		const QRect box((i % columns) * cell, (i / columns) * (cell + caption), cell, cell);
		QSize size = svg.defaultSize() * scale;
		size.scale(box.size() - QSize(10, 10), Qt::KeepAspectRatio);
		const QRect target(box.center() - QPoint(size.width() / 2, size.height() / 2), size);
		if (svg.isValid()) {
			svg.render(&painter, target);
		} else {
			painter.setPen(Qt::red);
			painter.drawText(box, Qt::AlignCenter, "invalid");
		}
		painter.setPen(Qt::white);
		painter.drawText(QRect(box.left(), box.bottom(), cell, caption), Qt::AlignCenter,
				 paths[i].mid(QStringLiteral(":/resource/images/").size()));
	}
	painter.end();
	sink.saveImage("artwork", sheet);

	// The two logos once more at their natural size, as the panel shows them.
	for (const char *logo :
	     {":/resource/images/Brenmoor-Main-logo.svg", ":/resource/images/Brenmoor-About us-logo.svg"}) {
		QSvgRenderer svg{QString(logo)};
		QImage image(svg.defaultSize(), QImage::Format_ARGB32);
		image.fill(GallerySink::panelBackground);
		QPainter logoPainter(&image);
		svg.render(&logoPainter);
		logoPainter.end();
		sink.saveImage(QFileInfo(logo).baseName().replace(' ', '_'), image);
	}
}

} // namespace

QList<GalleryEntry> galleryEntries()
{
	return {
		{"artwork", renderArtwork},
		{"ORPlusMinusButton", renderPlusMinusButton},
		{"ORZoomVerticalSlider", renderZoomSlider},
		{"ORFocusVerticalSlider", renderFocusSlider},
		{"PanTiltLimitSettingDialog", renderLimitDialog},
		{"AboutDialog", renderAboutDialog},
		{"MainDialog", renderMainDialog},
		{"PresetRenameDialog", renderPresetRenameDialog},
		{"DiscoveryDialog", renderDiscoveryDialog},
	};
}
