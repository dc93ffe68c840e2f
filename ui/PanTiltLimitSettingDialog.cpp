#include "PanTiltLimitSettingDialog.h"
#include "ui_PanTiltLimitSettingDialog.h"
#include "CellTextFitter.h"
#include "HostThemeReset.h"

#include "QtCompat.h"

#include <QLabel>
#include <QPushButton>
#include <QHBoxLayout>

#include <obs-module.h>

namespace {
QString moduleText(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}
} // namespace

PanTiltLimitSettingDialog::PanTiltLimitSettingDialog(QWidget *parent)
	: QDialog(parent), ui(new Ui::PanTiltLimitSettingDialog)
{
	qRegisterMetaType<CommandType>("CommandType");
	ui->setupUi(this);
	ensurePolished(); // so that the new sheet restyles the widgets the form has already styled
	setStyleSheet(withHostThemeReset(styleSheet()));

	setLimitEditsEnabled(0);
	// Degrees: tilt up 0..90, tilt down 0..-30, pan left 0..-170, pan right 0..170. Each field shows its unit
	// and has its range in the tool tip.
	const struct {
		QLineEdit *edit;
		int low;
		int high;
	} ranges[] = {{ui->TiltUpLimitEdit, 0, 90},
		      {ui->TiltDownLimitEdit, -30, 0},
		      {ui->PanLeftLimitEdit, -170, 0},
		      {ui->PanRightLimitEdit, 0, 170}};
	for (const auto &range : ranges) {
		range.edit->setToolTip(moduleText("LimitRange").arg(range.low).arg(range.high));
		auto *unit = new QLabel(QStringLiteral("\u00B0"), range.edit);
		unit->setObjectName(range.edit->objectName() + "Unit");
		unit->setStyleSheet("background: transparent; color: black;");
		unit->setAlignment(Qt::AlignCenter);
		constexpr int unitWidth = 12;
		unit->setGeometry(range.edit->width() - unitWidth - 2, 0, unitWidth, range.edit->height());
		range.edit->setTextMargins(0, 0, unitWidth, 0);
	}
	ui->TiltUpLimitEdit->setValidator(makeRegExpValidator("^(90|[1-8]?[0-9])$", this));
	ui->TiltDownLimitEdit->setValidator(makeRegExpValidator("^(0|-(30|[1-2]?[0-9]))$", this));
	ui->PanLeftLimitEdit->setValidator(makeRegExpValidator("^(0|-(170|1[0-6][0-9]|[1-9]?[0-9]))$", this));
	ui->PanRightLimitEdit->setValidator(makeRegExpValidator("^(170|1[0-6][0-9]|[1-9]?[0-9])$", this));

	// The switches' words are the locale's, drawn over a word-less track.
	for (QPushButton *onOff : {ui->PanTiltLimitButton, ui->PTZSpeedCompButton}) {
		const auto showState = [onOff](bool checked) {
			onOff->setText(moduleText(checked ? "SwitchOn" : "SwitchOff"));
		};
		showState(onOff->isChecked());
		connect(onOff, &QPushButton::toggled, this, showState);
	}
	connect(ui->PanTiltLimitButton, &QPushButton::toggled, this, [this](bool checked) {
		setLimitEditsEnabled(checked ? 1 : 0);
		emit triggered(PanTiltLimit, checked ? 1 : 0);
	});
	connect(ui->PTZSpeedCompButton, &QPushButton::toggled, this,
		[this](bool checked) { emit triggered(PTZSpeedComp, checked ? 1 : 0); });

	// returnPressed only fires for text the validator accepts, so empty or partial entries send nothing.
	const struct {
		QLineEdit *edit;
		CommandType type;
	} fields[] = {
		{ui->TiltUpLimitEdit, TiltUpLimit},
		{ui->PanLeftLimitEdit, PanLeftLimit},
		{ui->TiltDownLimitEdit, TiltDownLimit},
		{ui->PanRightLimitEdit, PanRightLimit},
	};
	for (const auto &field : fields) {
		QLineEdit *edit = field.edit;
		const CommandType type = field.type;
		connect(edit, &QLineEdit::returnPressed, this,
			[this, edit, type]() { emit triggered(type, edit->text().toInt(nullptr, 10)); });
	}

	setWindowTitle(moduleText("PanTiltLimitSetting"));
	ui->PanTiltLimitLabel->setText(moduleText("PanTiltLimit"));
	ui->TiltUpLimitLabel->setText(moduleText("TiltUpLimit"));
	ui->TiltDownLimitLabel->setText(moduleText("TiltDownLimit"));
	ui->PanLeftLimitLabel->setText(moduleText("PanLeftLimit"));
	ui->PanRightLimitLabel->setText(moduleText("PanRightLimit"));
	ui->PTZSpeedCompLabel->setText(moduleText("PTZSpeedComp"));
	// A way out besides the title bar's.
	auto *close = new QPushButton(moduleText("Close"), this);
	close->setObjectName("CloseButton");
	close->setAutoDefault(false); // Enter in a field is for the field
	close->setStyleSheet("QPushButton { background: #606060; color: #FFFFFF; border-radius: 5px;"
			     " font: normal normal bold 14px Arial; padding: 3px 14px; }"
			     "QPushButton:pressed { background: #7bb0b7; }");
	auto *closeRow = new QHBoxLayout;
	closeRow->addStretch(1);
	closeRow->addWidget(close);
	ui->verticalLayout->addLayout(closeRow);
	connect(close, &QPushButton::clicked, this, &QDialog::close);
	new CellTextFitter(this);
	ensurePolished();
	setFixedSize(layout()->minimumSize().expandedTo(size()));
}

PanTiltLimitSettingDialog::~PanTiltLimitSettingDialog()
{
	delete ui;
}

void PanTiltLimitSettingDialog::setLimits(QString panLeft, QString panRight, QString tiltUp, QString tiltDown)
{
	ui->PanLeftLimitEdit->setText(panLeft);
	ui->PanRightLimitEdit->setText(panRight);
	ui->TiltUpLimitEdit->setText(tiltUp);
	ui->TiltDownLimitEdit->setText(tiltDown);
}

void PanTiltLimitSettingDialog::setSpeedCompEnabled(bool enabled)
{
	ui->PTZSpeedCompButton->setEnabled(enabled);
}

void PanTiltLimitSettingDialog::setLimitEditsEnabled(int enabled)
{
	if (enabled != 0 && enabled != 1)
		return;
	ui->TiltUpLimitEdit->setEnabled(enabled == 1);
	ui->TiltDownLimitEdit->setEnabled(enabled == 1);
	ui->PanLeftLimitEdit->setEnabled(enabled == 1);
	ui->PanRightLimitEdit->setEnabled(enabled == 1);
}
