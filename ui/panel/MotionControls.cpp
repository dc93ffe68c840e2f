#include "ui/panel/MotionControls.h"
#include "ui_MainDialog.h"

#include "ui/panel/EditStamps.h"

#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "settings/PanelSettings.h"
#include "ui/QtCompat.h"

#include <QPointer>
#include <QSignalBlocker>

namespace {

// Edit key of the focus mode, which shares its widget with the focus position.
const char focusModeKey = 0;

} // namespace

MotionControls::MotionControls(Ui::MainDialog *ui, CameraRig &rig, EditStamps &edits, QObject *parent)
	: QObject(parent), ui(ui), rig(rig), edits(edits)
{
	connectPad();
	connectZoomAndFocus();
	connectSpeeds();
}

CameraSession *MotionControls::session() const
{
	return rig.selected();
}

void MotionControls::connectPad()
{
	using Direction = CameraSession::Direction;
	const std::pair<QPushButton *, Direction> pad[] = {
		{ui->UpperLeftButton, Direction::UpLeft},   {ui->UpButton, Direction::Up},
		{ui->UpperRightButton, Direction::UpRight}, {ui->LefButton, Direction::Left},
		{ui->RightButton, Direction::Right},        {ui->LowerLeftButton, Direction::DownLeft},
		{ui->DownButton, Direction::Down},          {ui->LowerRightButton, Direction::DownRight}};
	for (const auto &[button, direction] : pad) {
		const Direction drive = direction;
		connect(button, &QPushButton::pressed, this, [this, drive] {
			if (CameraSession *camera = session())
				camera->move(drive);
		});
		connect(button, &QPushButton::released, this, [this] {
			if (CameraSession *camera = session())
				camera->stopMove();
		});
	}
	connect(ui->HomeButton, &QPushButton::pressed, this, [this] {
		if (CameraSession *camera = session())
			camera->home();
	});
}

void MotionControls::connectZoomAndFocus()
{
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::started, this, [this](ZoomType type) {
		edits.touch(ui->ZoomWidget);
		if (CameraSession *camera = session(); camera != nullptr && (type == ZoomPlus || type == ZoomMinus))
			camera->zoom(type == ZoomPlus);
	});
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::stopped, this, [this] {
		CameraSession *camera = session();
		if (camera == nullptr)
			return;
		const quint64 stamp = edits.stamp(ui->ZoomWidget);
		QPointer<MotionControls> self(this);
		camera->stopZoom([this, self, stamp](bool, int position) {
			if (self && edits.stamp(ui->ZoomWidget) == stamp) {
				const QSignalBlocker block(ui->ZoomWidget);
				ui->ZoomWidget->setValue(position);
			}
		});
	});
	connect(ui->ZoomWidget, &ORZoomVerticalSlider::valueChanged, this, [this](int value) {
		edits.touch(ui->ZoomWidget);
		if (CameraSession *camera = session())
			camera->set(CameraSession::Setting::ZoomPosition, value);
	});

	connect(ui->FocusWidget, &ORFocusVerticalSlider::started, this, [this](FocusType type) {
		edits.touch(ui->FocusWidget);
		if (CameraSession *camera = session(); camera != nullptr && (type == FocusPlus || type == FocusMinus))
			camera->focus(type == FocusPlus);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::stopped, this, [this] {
		CameraSession *camera = session();
		if (camera == nullptr)
			return;
		const quint64 stamp = edits.stamp(ui->FocusWidget);
		QPointer<MotionControls> self(this);
		camera->stopFocus([this, self, stamp](bool, int position) {
			if (self && edits.stamp(ui->FocusWidget) == stamp) {
				const QSignalBlocker block(ui->FocusWidget);
				ui->FocusWidget->setValue(position);
			}
		});
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::valueChanged, this, [this](int value) {
		edits.touch(ui->FocusWidget);
		if (CameraSession *camera = session())
			camera->set(CameraSession::Setting::FocusPosition, value);
	});
	connect(ui->FocusWidget, &ORFocusVerticalSlider::modeChanged, this, [this](AFMode mode) {
		edits.touch(&focusModeKey);
		if (CameraSession *camera = session())
			camera->set(CameraSession::Setting::AutoFocus, mode != ManualFocus ? 1 : 0);
	});
}

void MotionControls::connectSpeeds()
{
	const std::pair<QLineEdit *, CameraSession::Speed> fields[] = {
		{ui->PanSpeedEdit, CameraSession::Speed::Pan},
		{ui->TiltSpeedEdit, CameraSession::Speed::Tilt},
		{ui->ZoomSpeedEdit, CameraSession::Speed::Zoom},
		{ui->FocusSpeedEdit, CameraSession::Speed::Focus}};
	for (const auto &[edit, speed] : fields) {
		QLineEdit *field = edit;
		const CameraSession::Speed which = speed;
		field->setValidator(makeRegExpValidator("^[0-9]*$", field));
		connect(field, &QLineEdit::returnPressed, this, [this, field, which] {
			CameraSession *camera = session();
			if (camera == nullptr)
				return;
			const int used = camera->setSpeed(which, field->text().toInt(nullptr, 10));
			if (used >= 0)
				field->setText(QString::number(used));
		});
	}
}

void MotionControls::applyModel(const ViscaParamOps &ops)
{
	const QSignalBlocker zoomBlock(ui->ZoomWidget);
	const QSignalBlocker focusBlock(ui->FocusWidget);
	ui->ZoomWidget->setRange(ops.zoomMin(), ops.zoomMax());
	ui->FocusWidget->setRange(ops.focusMin(), ops.focusMax());
}

void MotionControls::loadSpeeds(const QString &settingsPrefix)
{
	using Field = PanelSettings::CameraField;
	const PanelSettings &settings = PanelSettings::instance();
	const std::pair<QLineEdit *, Field> fields[] = {{ui->PanSpeedEdit, Field::PanSpeed},
							{ui->TiltSpeedEdit, Field::TiltSpeed},
							{ui->ZoomSpeedEdit, Field::ZoomSpeed},
							{ui->FocusSpeedEdit, Field::FocusSpeed}};
	for (const auto &[edit, field] : fields)
		edit->setText(settings.cameraValue(settingsPrefix, field));
}

// Each answer lands in its control when it comes (signals blocked, so nothing goes back to the camera).
void MotionControls::readBack()
{
	CameraSession *camera = session();
	if (camera == nullptr)
		return;
	using Value = CameraSession::Value;
	const quint64 zoomStamp = edits.stamp(ui->ZoomWidget);
	camera->read(Value::ZoomPosition, this, [this, zoomStamp](bool answered, int position) {
		if (answered && edits.stamp(ui->ZoomWidget) == zoomStamp) {
			const QSignalBlocker block(ui->ZoomWidget);
			ui->ZoomWidget->setValue(position);
		}
	});
	const quint64 focusStamp = edits.stamp(ui->FocusWidget);
	camera->read(Value::FocusPosition, this, [this, focusStamp](bool answered, int position) {
		if (answered && edits.stamp(ui->FocusWidget) == focusStamp) {
			const QSignalBlocker block(ui->FocusWidget);
			ui->FocusWidget->setValue(position);
		}
	});
	const quint64 modeStamp = edits.stamp(&focusModeKey);
	camera->read(Value::AutoFocus, this, [this, modeStamp](bool answered, int autoFocus) {
		if (answered && edits.stamp(&focusModeKey) == modeStamp) {
			const QSignalBlocker block(ui->FocusWidget);
			ui->FocusWidget->setMode(autoFocus == 1 ? AutoFocus : ManualFocus);
		}
	});
}
