#include "PanelReflow.h"
#include "ui_MainDialog.h"

#include <QLabel>
#include <QLayout>
#include <QRegularExpression>
#include <QStyle>

#include <utility>
#include <vector>

namespace {

// Compact minimum widths: what each control can give up in a narrow dock. Heights stay as designed.
struct CompactWidth {
	const char *pattern;
	int width;
};
const CompactWidth compactWidths[] = {
	{"^(Settings|View|Help)Button$", 60},
	{"^(SelectCameraBox|CameraControlBox|PTZSpeedBox|ExposureBox|WhilteBalanceBox|ImageBox)$", 0},
	{"^Camera[1-8]Button$", 56},
	{"^(Zoom|Focus)Widget$", 56},
	{"^(UpperLeft|Up|UpperRight|Lef|Home|Right|LowerLeft|Down|LowerRight)Button$", 44},
	{"^(Preset[1-9]|Store|Ten|Call)Button$", 60},
	// Labels: 1 rather than 0, which would fall back to the width of their whole text; they elide.
	{"^(Pan|Tilt|Zoom|Focus|Preset)SpeedLabel$", 1},
	{"^PresetSpeedBox$", 115},
	{"^(ExposureMode|ShutterSpeed|AWB|ImageMode|Sharpness|DigEffect|RGain|BGain)Label$", 1},
	{"^(ImageMode|DigEffect)Box$", 120},
};

// The picture grid: designed as two pairs per row, compact as one.
struct GridPlace {
	const char *name;
	int row, column, compactRow;
};
const GridPlace imagePlaces[] = {
	{"ImageModeLabel", 0, 0, 0},  {"ImageModeBox", 0, 1, 0},    {"SharpnessLabel", 1, 0, 1},
	{"SharpnessButton", 1, 1, 1}, {"SaturationLabel", 1, 2, 2}, {"SaturationButton", 1, 3, 2},
	{"HueLabel", 2, 0, 3},        {"HueButton", 2, 1, 3},       {"GammaLabel", 2, 2, 4},
	{"GammaButton", 2, 3, 4},     {"DigEffectLabel", 3, 0, 5},  {"DigEffectBox", 3, 1, 5},
};

} // namespace

PanelReflow::PanelReflow(Ui::MainDialog *ui, QWidget *panel) : QObject(panel), ui(ui), panel(panel)
{
	// The status line spans whatever the view is; its designed width would hold the panel open.
	ui->StatusFrame->setMinimumWidth(0);
	for (const CompactWidth &entry : compactWidths) {
		const QRegularExpression pattern(QString::fromLatin1(entry.pattern));
		for (QWidget *widget : panel->findChildren<QWidget *>(pattern)) {
			designedMinimum.insert(widget, widget->minimumSize());
			designedMaximum.insert(widget, widget->maximumSize());
			compactMinimum.insert(widget, entry.width);
		}
	}
	secondGainRow = new QHBoxLayout;
	secondGainRow->setObjectName("GainHLayout2");
	secondGainRow->setSpacing(ui->GainHLayout->spacing());
	ui->verticalLayout_3->addLayout(secondGainRow);
	// Right-aligned labels fill their cells and align their text: a label placed by its layout's alignment
	// keeps the width of its text as last shown, and a text once cut would stay cut.
	for (QLabel *label : {ui->ExposureModeLabel, ui->ShutterSpeedLabel, ui->IrisLabel, ui->GainLabel,
			      ui->SaturationLabel, ui->GammaLabel}) {
		label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
		ui->GridLayout->setAlignment(label, Qt::Alignment());
	}
	secondSpeedRow = new QHBoxLayout;
	secondSpeedRow->setObjectName("horizontalLayout_5");
	secondSpeedRow->setSpacing(ui->horizontalLayout_4->spacing());
	ui->verticalLayout_5->addLayout(secondSpeedRow);
	setCompact(false);
}

void PanelReflow::setAdvanced(bool advanced)
{
	const bool changed = advanced != advancedShown;
	advancedShown = advanced;
	ui->AdvanceFrame->setVisible(advanced);
	// What the view asks for is its designed layout, whatever room the old view had, in the host's style.
	panel->ensurePolished();
	apply(false, false, true);
	viewHint = QSize(advanced ? advancedWidth : simpleWidth, formHeight());
	// Side by side as long as both columns fit at their least designed widths.
	sideBySideWidth = advanced ? panel->layout()->minimumSize().width() : 0;
	fitTo(lastRoom);
	if (changed)
		emit viewChanged();
}

void PanelReflow::fitTo(QSize room)
{
	lastRoom = room;
	int width = room.isValid() ? room.width() : QWIDGETSIZE_MAX;
	const int columnWidth = std::max(advancedWidth - simpleWidth, simpleWidth);
	bool stack = false;
	for (int pass = 0; pass < 2; ++pass) {
		stack = advancedShown && width < sideBySideWidth;
		const bool narrow = !advancedShown ? width < simpleWidth : stack && width < columnWidth;
		apply(narrow, stack, true);
		if (!room.isValid() || formHeight() <= room.height())
			break;
		const int withLogo = formHeight();
		apply(narrow, stack, false);
		if (formHeight() >= withLogo)
			apply(narrow, stack, true); // the other column sets the height: the logo costs nothing
		// Still taller than the room: the scroll bar takes its width from the room.
		if (pass > 0 || formHeight() <= room.height())
			break;
		width -= panel->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, panel);
	}

	// Without its logo the panel takes the whole height of the room: no band under it.
	const int height = logoShown || !room.isValid() ? formHeight() : std::max(formHeight(), room.height());
	const QSize least(panel->layout()->minimumSize().width(), height);
	const int widest = !advancedShown ? simpleWidth : stack ? columnWidth : advancedWidth;
	panel->setMinimumSize(std::min(least.width(), widest), least.height());
	panel->setMaximumSize(std::max(least.width(), widest), least.height());
}

int PanelReflow::formHeight() const
{
	// A nested layout keeps its cached sizes until told: the logo's row, the wrapped rows.
	for (QLayout *layout : panel->findChildren<QLayout *>())
		layout->invalidate();
	panel->layout()->invalidate();
	return std::max(panel->layout()->minimumSize().height(), panel->layout()->sizeHint().height());
}

void PanelReflow::apply(bool compact, bool stacked, bool logo)
{
	if (compact != compactShown)
		setCompact(compact);
	if (stacked != stackedShown) {
		stackedShown = stacked;
		ui->ModeHLayout->setDirection(stacked ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
	}
	if (logo != logoShown) {
		logoShown = logo;
		ui->LogoLabel->setVisible(logo);
	}
}

void PanelReflow::setCompact(bool compact)
{
	compactShown = compact;
	for (auto it = designedMinimum.cbegin(); it != designedMinimum.cend(); ++it) {
		QWidget *widget = it.key();
		if (compact) {
			widget->setMinimumSize(std::min(compactMinimum.value(widget), it.value().width()),
					       it.value().height());
			widget->setMaximumSize(QWIDGETSIZE_MAX, designedMaximum.value(widget).height());
		} else {
			widget->setMinimumSize(it.value());
			widget->setMaximumSize(designedMaximum.value(widget));
		}
	}
	// The pad's gaps, the white-balance row's right margin and the wide rows that wrap.
	ui->PTZGridLayout->setSpacing(compact ? 6 : 13);
	ui->PTZGridLayout->setContentsMargins(compact ? 8 : 15, 14, compact ? 8 : 13, 14);
	ui->AWBModeVLayout->setContentsMargins(0, 0, compact ? 0 : 139, 0);
	// Narrow, the menu buttons fill their thirds of the row rather than keep the width of their (cut) words.
	for (QWidget *button : {ui->SettingsButton, ui->ViewButton, ui->HelpButton})
		ui->MenuGridLayout->setAlignment(button, compact ? Qt::Alignment() : Qt::AlignHCenter);
	ui->horizontalLayout_2->setDirection(compact ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
	// The speed and gain rows: two pairs to a row when narrow, the preset speed and one push on rows of their own.
	using Rows = std::vector<std::pair<QBoxLayout *, std::vector<QWidget *>>>;
	const Rows rows =
		compact ? Rows{{ui->horizontalLayout_3,
				{ui->PanSpeedLabel, ui->PanSpeedEdit, ui->TiltSpeedLabel, ui->TiltSpeedEdit}},
			       {ui->horizontalLayout_4,
				{ui->ZoomSpeedLabel, ui->ZoomSpeedEdit, ui->FocusSpeedLabel, ui->FocusSpeedEdit}},
			       {secondSpeedRow, {ui->PresetSpeedLabel, ui->PresetSpeedBox}},
			       {ui->GainHLayout, {ui->RGainLabel, ui->RGainButton, ui->BGainLabel, ui->BGainButton}},
			       {secondGainRow, {ui->OnePushButton}}}
			: Rows{{ui->horizontalLayout_3,
				{ui->PanSpeedLabel, ui->PanSpeedEdit, ui->TiltSpeedLabel, ui->TiltSpeedEdit,
				 ui->ZoomSpeedLabel, ui->ZoomSpeedEdit}},
			       {ui->horizontalLayout_4,
				{ui->FocusSpeedLabel, ui->FocusSpeedEdit, ui->PresetSpeedLabel, ui->PresetSpeedBox}},
			       {ui->GainHLayout,
				{ui->RGainLabel, ui->RGainButton, ui->BGainLabel, ui->BGainButton, ui->OnePushButton}}};
	QBoxLayout *const rowLayouts[] = {ui->horizontalLayout_3, ui->horizontalLayout_4, secondSpeedRow,
					  ui->GainHLayout, secondGainRow};
	for (const auto &row : rows) {
		for (QWidget *widget : row.second) {
			for (QBoxLayout *layout : rowLayouts)
				layout->removeWidget(widget);
		}
	}
	for (const auto &row : rows) {
		for (QWidget *widget : row.second)
			row.first->addWidget(widget);
	}
	for (const GridPlace &place : imagePlaces) {
		QWidget *widget = panel->findChild<QWidget *>(QString::fromLatin1(place.name));
		ui->gridLayout_5->removeWidget(widget);
		if (compact)
			ui->gridLayout_5->addWidget(widget, place.compactRow, place.column % 2);
		else
			ui->gridLayout_5->addWidget(widget, place.row, place.column);
	}
}
