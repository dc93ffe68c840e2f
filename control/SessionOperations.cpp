#include "control/SessionOperations.h"

#include "visca/CameraWorker.h"
#include "visca/viscaIpModule.h"

namespace SessionOperations {

int mergeKind(CameraSession::Setting setting)
{
	using S = CameraSession::Setting;
	switch (setting) {
	case S::ExposureMode:
	case S::WhiteBalanceMode:
	case S::ImageMode:
	case S::SpeedCompensation:
		return CameraWorker::neverMerged;
	default:
		return 1 + static_cast<int>(setting);
	}
}

bool apply(viscaIpModule &link, CameraSession::Setting setting, int v)
{
	using S = CameraSession::Setting;
	switch (setting) {
	case S::ZoomPosition:
		return link.setZoomPosition(v);
	case S::FocusPosition:
		return link.setFocusPosition(v);
	case S::AutoFocus:
		return link.setAutoFocus(v != 0);
	case S::PresetSpeed:
		return link.setPresetSpeed(v);
	case S::MirrorFlip:
		return link.setMirrorFlip(v);
	case S::ExposureMode:
		return link.setExposureMode(v);
	case S::Shutter:
		return link.setShutter(v);
	case S::Iris:
		return link.setIris(v);
	case S::Gain:
		return link.setGain(v);
	case S::WhiteBalanceMode:
		return link.setWhiteBalanceMode(v);
	case S::RedGain:
		return link.setRedGain(v);
	case S::BlueGain:
		return link.setBlueGain(v);
	case S::Sharpness:
		return link.setSharpness(v);
	case S::Hue:
		return link.setHue(v);
	case S::Saturation:
		return link.setSaturation(v);
	case S::Gamma:
		return link.setGamma(v);
	case S::ImageMode:
		return link.setImageMode(v);
	case S::SpeedCompensation:
		return link.setSpeedCompensation(v);
	}
	return false;
}

int inquire(viscaIpModule &link, CameraSession::Value value)
{
	using V = CameraSession::Value;
	switch (value) {
	case V::ZoomPosition:
		return link.getZoomPosition();
	case V::FocusPosition:
		return link.getFocusPosition();
	case V::AutoFocus:
		return link.isAutoFocus() ? 1 : 0;
	case V::ExposureMode:
		return link.getExposureMode();
	case V::Shutter:
		return link.getShutter();
	case V::Iris:
		return link.getIris();
	case V::Gain:
		return link.getGain();
	case V::WhiteBalanceMode:
		return link.getWhiteBalanceMode();
	case V::RedGain:
		return link.getRedGain();
	case V::BlueGain:
		return link.getBlueGain();
	case V::Sharpness:
		return link.getSharpness() & 0xFF;
	case V::Hue:
		return link.getHue() & 0xFF;
	case V::Saturation:
		return link.getSaturation() & 0xFF;
	case V::Gamma:
		return link.getGamma();
	case V::ImageMode:
		return link.getImageMode();
	case V::MirrorFlip:
		return link.getMirrorFlip();
	}
	return 0;
}

void setLinkSpeed(viscaIpModule &link, int index, int value)
{
	switch (index) {
	case 0:
		link.setPanSpeed(value);
		break;
	case 1:
		link.setTiltSpeed(value);
		break;
	case 2:
		link.setZoomSpeed(value);
		break;
	default:
		link.setFocusSpeed(value);
		break;
	}
}

} // namespace SessionOperations
