#include "ui/panel/PictureControls.h"
#include "ui_MainDialog.h"

#include "ui/panel/EditStamps.h"

#include "control/CameraRig.h"
#include "models/ViscaParamOps.h"
#include "settings/Utils.h"
#include "visca/DeveloperLog.h"

#include <QSignalBlocker>

namespace {

void fillCombo(QComboBox *box, const ParamTable &table)
{
	box->clear();
	for (const std::string &label : Utils::sortedKeysByValue(QMap<std::string, int>(table)))
		box->addItem(QString::fromStdString(label), QVariant());
}

} // namespace

PictureControls::PictureControls(Ui::MainDialog *ui, CameraRig &rig, EditStamps &edits, QObject *parent)
	: QObject(parent), ui(ui), rig(rig), edits(edits)
{
	connect(ui->ExposureModeBox, &QComboBox::currentTextChanged, this,
		[this](const QString &text) { modeChanged(this->ui->ExposureModeBox, Setting::ExposureMode, text); });
	bindStepper(ui->ShutterSpeedButton, Setting::Shutter);
	bindStepper(ui->IrisButton, Setting::Iris);
	bindStepper(ui->GainButton, Setting::Gain);
	connect(ui->LowLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/30", "1/25", "F2", "33dB"); });
	connect(ui->BackLightButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/120", nullptr, "F4.5", "21dB"); });
	connect(ui->IndoorButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/60", "1/50", "F3.2", "24dB"); });
	connect(ui->MotionButton, &QPushButton::pressed, this,
		[this] { quickExposure("1/180", nullptr, "F3.2", "27dB"); });

	connect(ui->AWBModeBox, &QComboBox::currentTextChanged, this,
		[this](const QString &text) { modeChanged(this->ui->AWBModeBox, Setting::WhiteBalanceMode, text); });
	bindStepper(ui->RGainButton, Setting::RedGain);
	bindStepper(ui->BGainButton, Setting::BlueGain);
	connect(ui->OnePushButton, &QPushButton::pressed, this, [this] {
		if (CameraSession *camera = session())
			camera->whiteBalanceOnePush();
	});

	connect(ui->ImageModeBox, &QComboBox::currentTextChanged, this,
		[this](const QString &text) { modeChanged(this->ui->ImageModeBox, Setting::ImageMode, text); });
	bindStepper(ui->SharpnessButton, Setting::Sharpness);
	bindStepper(ui->HueButton, Setting::Hue);
	bindStepper(ui->SaturationButton, Setting::Saturation);
	bindStepper(ui->GammaButton, Setting::Gamma);
	connect(ui->DigEffectBox, &QComboBox::currentTextChanged, this, [this](const QString &text) {
		this->edits.touch(this->ui->DigEffectBox);
		if (CameraSession *camera = session())
			camera->set(Setting::MirrorFlip, codeOf(this->ui->DigEffectBox, text));
	});
}

CameraSession *PictureControls::session() const
{
	return rig.selected();
}

int PictureControls::codeOf(QComboBox *box, const QString &label) const
{
	CameraSession *camera = session();
	const std::shared_ptr<ViscaParamOps> ops = camera ? camera->model() : nullptr;
	if (!ops)
		return 0;
	const ParamTable table = box == ui->ExposureModeBox ? ops->exposureModes()
				 : box == ui->AWBModeBox    ? ops->whiteBalanceModes()
				 : box == ui->ImageModeBox  ? ops->imageModes()
				 : box == ui->DigEffectBox  ? ops->digEffectModes()
							    : ParamTable();
	// Labels the model does not have give 0.
	const auto it = table.find(label.toStdString());
	return it == table.end() ? 0 : it->second;
}

void PictureControls::bindStepper(ORPlusMinusButton *stepper, Setting setting)
{
	connect(stepper, &ORPlusMinusButton::valueChanged, this, [this, stepper, setting](int value) {
		edits.touch(stepper);
		if (CameraSession *camera = session())
			camera->set(setting, value);
	});
}

void PictureControls::enableFor(QComboBox *box, int code)
{
	CameraSession *camera = session();
	const std::shared_ptr<ViscaParamOps> ops = camera ? camera->model() : nullptr;
	const bool supported = ops != nullptr;
	if (box == ui->ExposureModeBox) {
		const bool manual = supported && code == ViscaParamOps::exposureManualCode;
		for (QWidget *w : {static_cast<QWidget *>(ui->ShutterSpeedButton),
				   static_cast<QWidget *>(ui->IrisButton), static_cast<QWidget *>(ui->GainButton)})
			w->setEnabled(manual);
	} else if (box == ui->AWBModeBox) {
		const bool manual = supported && code == ViscaParamOps::whiteBalanceManualCode;
		ui->RGainButton->setStepEnabled(manual);
		ui->BGainButton->setStepEnabled(manual);
		ui->OnePushButton->setEnabled(supported && code == ViscaParamOps::whiteBalanceOnePushCode);
	} else if (box == ui->ImageModeBox) {
		const bool custom = supported && ops->customImageCode() >= 0 && code == ops->customImageCode();
		for (ORPlusMinusButton *stepper :
		     {ui->SharpnessButton, ui->SaturationButton, ui->HueButton, ui->GammaButton})
			stepper->setStepEnabled(custom);
	}
}

void PictureControls::modeChanged(QComboBox *box, Setting setting, const QString &text)
{
	const int code = codeOf(box, text);
	edits.touch(box);
	CameraSession *camera = session();
	if (camera != nullptr)
		camera->set(setting, code);
	enableFor(box, code);
	if (box == ui->ExposureModeBox) {
		readExposure();
	} else if (box == ui->ImageModeBox) {
		readImage();
	} else if (box == ui->AWBModeBox && code == ViscaParamOps::whiteBalanceManualCode && camera != nullptr) {
		// The camera needs a moment before it reports the gains of the manual mode.
		camera->wait(1000);
		readWhiteBalance();
	}
}

void PictureControls::applyModel(const ViscaParamOps &ops)
{
	const QSignalBlocker exposureBlock(ui->ExposureModeBox);
	const QSignalBlocker whiteBalanceBlock(ui->AWBModeBox);
	const QSignalBlocker imageBlock(ui->ImageModeBox);
	const QSignalBlocker digEffectBlock(ui->DigEffectBox);
	fillCombo(ui->ExposureModeBox, ops.exposureModes());
	fillCombo(ui->AWBModeBox, ops.whiteBalanceModes());
	fillCombo(ui->ImageModeBox, ops.imageModes());
	fillCombo(ui->DigEffectBox, ops.digEffectModes());

	ui->ShutterSpeedButton->setElements(QMap<std::string, int>(ops.shutterSpeeds()));
	ui->IrisButton->setElements(QMap<std::string, int>(ops.irisValues()));
	ui->GainButton->setElements(QMap<std::string, int>(ops.gainValues()));
	ui->RGainButton->setRange(ops.rGainMin(), ops.rGainMax());
	ui->BGainButton->setRange(ops.bGainMin(), ops.bGainMax());
	ui->SharpnessButton->setRange(ops.sharpnessMin(), ops.sharpnessMax());
	ui->SaturationButton->setRange(ops.saturationMin(), ops.saturationMax());
	ui->HueButton->setRange(ops.hueMin(), ops.hueMax());
	ui->GammaButton->setRange(ops.gammaMin(), ops.gammaMax());
}

// A mode answer selects every label of that code and applies its enabling rule.
void PictureControls::readMode(QComboBox *box, Value value)
{
	CameraSession *camera = session();
	if (camera == nullptr)
		return;
	const quint64 stamp = edits.stamp(box);
	camera->read(value, this, [this, box, stamp](bool answered, int code) {
		CameraSession *current = session();
		const std::shared_ptr<ViscaParamOps> ops = current ? current->model() : nullptr;
		if (!answered || !ops || edits.stamp(box) != stamp)
			return;
		const ParamTable table = box == ui->ExposureModeBox ? ops->exposureModes()
					 : box == ui->AWBModeBox    ? ops->whiteBalanceModes()
					 : box == ui->ImageModeBox  ? ops->imageModes()
								    : ops->digEffectModes();
		const QSignalBlocker block(box);
		for (const auto &entry : table) {
			if (entry.second != code)
				continue;
			box->setCurrentText(QString::fromStdString(entry.first));
			enableFor(box, code);
		}
	});
}

void PictureControls::readStepper(ORPlusMinusButton *stepper, Value value)
{
	CameraSession *camera = session();
	if (camera == nullptr)
		return;
	const quint64 stamp = edits.stamp(stepper);
	camera->read(value, this, [this, stepper, stamp](bool answered, int v) {
		if (answered && edits.stamp(stepper) == stamp) {
			const QSignalBlocker block(stepper);
			stepper->setValue(v);
		}
	});
}

void PictureControls::readExposure()
{
	readStepper(ui->ShutterSpeedButton, Value::Shutter);
	readStepper(ui->IrisButton, Value::Iris);
	readStepper(ui->GainButton, Value::Gain);
}

void PictureControls::readWhiteBalance()
{
	readStepper(ui->RGainButton, Value::RedGain);
	readStepper(ui->BGainButton, Value::BlueGain);
}

void PictureControls::readImage()
{
	readStepper(ui->SharpnessButton, Value::Sharpness);
	readStepper(ui->HueButton, Value::Hue);
	readStepper(ui->SaturationButton, Value::Saturation);
	readStepper(ui->GammaButton, Value::Gamma);
}

void PictureControls::readBack()
{
	if (session() == nullptr || !session()->model())
		return;
	readMode(ui->ExposureModeBox, Value::ExposureMode);
	readExposure();
	readMode(ui->AWBModeBox, Value::WhiteBalanceMode);
	readWhiteBalance();
	readMode(ui->ImageModeBox, Value::ImageMode);
	readImage();
	readMode(ui->DigEffectBox, Value::MirrorFlip);
}

void PictureControls::quickExposure(const char *shutter, const char *shutterAlt, const char *iris, const char *gain)
{
	// Manual exposure first, by its code: the label is the model's, in the operator's language.
	CameraSession *camera = session();
	const std::shared_ptr<ViscaParamOps> ops = camera ? camera->model() : nullptr;
	if (ops) {
		for (const auto &entry : ops->exposureModes()) {
			if (entry.second == ViscaParamOps::exposureManualCode)
				ui->ExposureModeBox->setCurrentText(QString::fromStdString(entry.first));
		}
	}
	struct Step {
		ORPlusMinusButton *stepper;
		const char *label;
		const char *alternative;
		Setting setting;
		const char *failure;
	};
	const Step steps[] = {
		{ui->ShutterSpeedButton, shutter, shutterAlt, Setting::Shutter, "It's failed to set shutter."},
		{ui->IrisButton, iris, nullptr, Setting::Iris, "It's failed to set iris."},
		{ui->GainButton, gain, nullptr, Setting::Gain, "It's failed to set gain."},
	};
	for (const Step &step : steps) {
		int code = step.stepper->valueOf(QString::fromUtf8(step.label));
		if (code == -1 && step.alternative != nullptr)
			code = step.stepper->valueOf(QString::fromUtf8(step.alternative));
		if (code == -1) {
			DeveloperLog::line("%s", step.failure);
			continue;
		}
		step.stepper->setValue(code);
		edits.touch(step.stepper);
		if (CameraSession *current = session())
			current->set(step.setting, code);
	}
}
