#include "viscaIpModule.h"

#include "CameraWorker.h"
#include "DeveloperLog.h"
#include "ViscaFrame.h"

namespace {

// VISCA bytes of an inquiry answer: 90 50 0p FF, or 90 50 0p 0q 0r 0s FF.
const int shortAnswer = 4;
const int longAnswer = 7;

// One hexadecimal digit per byte, most significant first.
void putDigits(unsigned char *out, unsigned int value)
{
	ViscaFrame::putSequence(out, value);
}

int clampPosition(float x, unsigned int highBound, unsigned int lowBound)
{
	if (!(x > lowBound))
		return static_cast<int>(lowBound);
	if (x >= highBound)
		return static_cast<int>(highBound);
	return static_cast<int>(x + 1);
}

} // namespace

viscaIpModule::viscaIpModule(QObject *parent) : QObject(parent) {}

viscaIpModule::~viscaIpModule() = default;

// --- shared shapes ---------------------------------------------------------------------------------

bool viscaIpModule::setByte(unsigned char code, int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, code, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setLowByte(unsigned char code, int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, code, 0x00, 0x00, 0x00, static_cast<unsigned char>(value),
				       0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setDigitPair(unsigned char code, int value)
{
	unsigned char visca[] = {0x81, 0x01, 0x04, code, 0x00, 0x00, 0, 0, 0xFF};
	visca[6] = static_cast<unsigned char>(value >> 4);
	visca[7] = static_cast<unsigned char>(value & 0x0F);
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::inquireDigit(unsigned char code, int answerLength, int position)
{
	const unsigned char visca[] = {0x81, 0x09, 0x04, code, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), answerLength), position);
}

int viscaIpModule::inquireFourDigits(unsigned char code)
{
	const unsigned char visca[] = {0x81, 0x09, 0x04, code, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return (replyDigit(reply, 10) << 12) | (replyDigit(reply, 11) << 8) | (replyDigit(reply, 12) << 4) |
	       replyDigit(reply, 13);
}

int viscaIpModule::inquireDigitPair(unsigned char code)
{
	const unsigned char visca[] = {0x81, 0x09, 0x04, code, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 12) * 16 + replyDigit(reply, 13);
}

// --- connection ------------------------------------------------------------------------------------

bool viscaIpModule::connectCamera(const QString &ip, int port)
{
	setCamera(ip, port);
	return replyDigit(probeAddressSet(), 10) == 2;
}

bool viscaIpModule::isCameraAlive()
{
	return !probeAddressSet().isEmpty();
}

// --- picture settings with per-family variants -------------------------------------------------------

bool viscaIpModule::setHue(int value)
{
	return setLowByte(0x4F, value);
}

int viscaIpModule::getHue()
{
	return inquireDigit(0x4F, longAnswer, 13);
}

bool viscaIpModule::setSaturation(int value)
{
	return setLowByte(0x49, value);
}

int viscaIpModule::getSaturation()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x49, 0xFF};
	const QByteArray reply = runInquiry(visca, sizeof(visca), longAnswer);
	return replyDigit(reply, 11) * 16 + replyDigit(reply, 13);
}

bool viscaIpModule::setSharpness(int value)
{
	return setDigitPair(0x42, value);
}

int viscaIpModule::getSharpness()
{
	return inquireDigit(0x42, longAnswer, 13);
}

bool viscaIpModule::setPresetSpeed(int speed)
{
	const unsigned char visca[] = {0x81, 0x01, 0x06, 0x20, static_cast<unsigned char>(speed), 0xFF};
	return runCommand(visca, sizeof(visca));
}

// --- motion ------------------------------------------------------------------------------------------

bool viscaIpModule::moveWith(unsigned char panDirection, unsigned char tiltDirection)
{
	unsigned char visca[] = {0x81, 0x01, 0x06, 0x01, 0, 0, panDirection, tiltDirection, 0xFF};
	visca[4] = static_cast<unsigned char>(m_panSpeed);
	visca[5] = static_cast<unsigned char>(m_tiltSpeed);
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::panTiltHome()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x04, 0xFF};
	return runCommand(visca, sizeof(visca));
}

// --- zoom and focus ----------------------------------------------------------------------------------

bool viscaIpModule::zoomTele()
{
	return setByte(0x07, 0x20 | m_zoomSpeed);
}

bool viscaIpModule::zoomWide()
{
	return setByte(0x07, 0x30 | m_zoomSpeed);
}

bool viscaIpModule::zoomStop()
{
	CameraWorker::sleepFor(50);
	return setByte(0x07, 0x00);
}

bool viscaIpModule::setZoomPosition(int position)
{
	unsigned char visca[] = {0x81, 0x01, 0x04, 0x47, 0, 0, 0, 0, static_cast<unsigned char>(m_zoomSpeed), 0xFF};
	putDigits(visca + 4, static_cast<unsigned int>(position));
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getZoomPosition()
{
	static const unsigned char clear[] = {0x81, 0x01, 0x00, 0x01, 0xFF};
	runCommand(clear, sizeof(clear));
	return inquireFourDigits(0x47);
}

bool viscaIpModule::focusNear()
{
	return setByte(0x08, 0x30 | m_focusSpeed);
}

bool viscaIpModule::focusFar()
{
	return setByte(0x08, 0x20 | m_focusSpeed);
}

bool viscaIpModule::focusStop()
{
	CameraWorker::sleepFor(50);
	return setByte(0x08, 0x00);
}

bool viscaIpModule::setFocusPosition(int position)
{
	unsigned char visca[] = {0x81, 0x01, 0x04, 0x48, 0, 0, 0, 0, 0xFF};
	putDigits(visca + 4, static_cast<unsigned int>(position));
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getFocusPosition()
{
	return inquireFourDigits(0x48);
}

bool viscaIpModule::setAutoFocus(bool on)
{
	return setByte(0x38, on ? 0x02 : 0x03);
}

bool viscaIpModule::isAutoFocus()
{
	return inquireDigit(0x38, shortAnswer, 10) == 2;
}

// --- presets -----------------------------------------------------------------------------------------

bool viscaIpModule::recallPreset()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x02, static_cast<unsigned char>(m_presetNumber), 0xFF};
	return runCommandOnce(visca, sizeof(visca));
}

bool viscaIpModule::storePreset()
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x01, static_cast<unsigned char>(m_presetNumber), 0xFF};
	return runCommand(visca, sizeof(visca));
}

// --- exposure, white balance and picture -------------------------------------------------------------

bool viscaIpModule::setExposureMode(int value)
{
	return setByte(0x39, value);
}

int viscaIpModule::getExposureMode()
{
	return inquireDigit(0x39, shortAnswer, 10);
}

bool viscaIpModule::setShutter(int value)
{
	return setDigitPair(0x4A, value);
}

int viscaIpModule::getShutter()
{
	return inquireDigitPair(0x4A);
}

bool viscaIpModule::setIris(int value)
{
	return setLowByte(0x4B, value);
}

int viscaIpModule::getIris()
{
	return inquireDigit(0x4B, longAnswer, 13);
}

bool viscaIpModule::setGain(int value)
{
	return setDigitPair(0x4C, value);
}

int viscaIpModule::getGain()
{
	return inquireDigit(0x4C, longAnswer, 13);
}

bool viscaIpModule::setWhiteBalanceMode(int value)
{
	return setByte(0x35, value);
}

int viscaIpModule::getWhiteBalanceMode()
{
	return inquireDigit(0x35, shortAnswer, 10);
}

bool viscaIpModule::whiteBalanceOnePush()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x04, 0x10, 0x05, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setRedGain(int value)
{
	return setDigitPair(0x43, value);
}

int viscaIpModule::getRedGain()
{
	return inquireDigitPair(0x43);
}

bool viscaIpModule::setBlueGain(int value)
{
	return setDigitPair(0x44, value);
}

int viscaIpModule::getBlueGain()
{
	return inquireDigitPair(0x44);
}

bool viscaIpModule::setGamma(int value)
{
	return setByte(0x5B, value);
}

int viscaIpModule::getGamma()
{
	return inquireDigit(0x5B, shortAnswer, 10);
}

bool viscaIpModule::setImageMode(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x04, 0x3F, 0x04, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}

int viscaIpModule::getImageMode()
{
	static const unsigned char visca[] = {0x81, 0x09, 0x04, 0x3F, 0x04, 0xFF};
	return replyDigit(runInquiry(visca, sizeof(visca), shortAnswer), 10);
}

bool viscaIpModule::setMirror(int value)
{
	return setByte(0x61, value);
}

bool viscaIpModule::setFlip(int value)
{
	return setByte(0x66, value);
}

bool viscaIpModule::setMirrorFlip(int mode)
{
	switch (mode) {
	case 0:
		setMirror(0x03);
		CameraWorker::sleepFor(80);
		return setFlip(0x03);
	case 1:
		setFlip(0x03);
		CameraWorker::sleepFor(80);
		return setMirror(0x02);
	case 2:
		setMirror(0x03);
		CameraWorker::sleepFor(80);
		return setFlip(0x02);
	case 3:
		setMirror(0x02);
		CameraWorker::sleepFor(80);
		return setFlip(0x02);
	default:
		return false;
	}
}

int viscaIpModule::getMirrorFlip()
{
	const int m = inquireDigit(0x61, shortAnswer, 10);
	const bool mirrorAnswered = m_transport.lastInquiryAnswered();
	const int f = inquireDigit(0x66, shortAnswer, 10);
	m_transport.setLastInquiryAnswered(m_transport.lastInquiryAnswered() && mirrorAnswered);
	switch (m * 10 + f) {
	case 22:
		return 3;
	case 23:
		return 1;
	case 32:
		return 2;
	default:
		return 0;
	}
}

// --- pan/tilt limits ---------------------------------------------------------------------------------

bool viscaIpModule::sendLimit(unsigned char corner, int pan, int tilt)
{
	unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x00, corner, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
	putDigits(visca + 6, static_cast<unsigned int>(pan));
	putDigits(visca + 10, static_cast<unsigned int>(tilt));
	return runCommand(visca, sizeof(visca));
}

void viscaIpModule::setPanLeftLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = 65535 + static_cast<float>(span / 170.0) * static_cast<float>(degrees);
	m_downLeftPan = clampPosition(x, highBound, lowBound);
	sendLimit(0x00, m_downLeftPan, m_downLeftTilt);
}

void viscaIpModule::setTiltDownLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const unsigned int q = span / 30;
	const float x = 65535 + static_cast<float>(q) * static_cast<float>(degrees);
	m_downLeftTilt = clampPosition(x, highBound, lowBound);
	sendLimit(0x00, m_downLeftPan, m_downLeftTilt);
}

void viscaIpModule::setPanRightLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = static_cast<float>(span / 170.0) * static_cast<float>(degrees);
	m_upRightPan = clampPosition(x, highBound, lowBound);
	sendLimit(0x01, m_upRightPan, m_upRightTilt);
}

void viscaIpModule::setTiltUpLimit(int degrees, unsigned int highBound, unsigned int lowBound)
{
	const unsigned int span = highBound - lowBound + 1;
	const float x = static_cast<float>(span / 90.0) * static_cast<float>(degrees);
	m_upRightTilt = clampPosition(x, highBound, lowBound);
	sendLimit(0x01, m_upRightPan, m_upRightTilt);
}

bool viscaIpModule::clearDownLeftLimit()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x01, 0x00, 0x07, 0x0F,
					      0x0F, 0x0F, 0x07, 0x0F, 0x0F, 0x0F, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::clearUpRightLimit()
{
	static const unsigned char visca[] = {0x81, 0x01, 0x06, 0x07, 0x01, 0x01, 0x07, 0x0F,
					      0x0F, 0x0F, 0x07, 0x0F, 0x0F, 0x0F, 0xFF};
	return runCommand(visca, sizeof(visca));
}

bool viscaIpModule::setSpeedCompensation(int value)
{
	const unsigned char visca[] = {0x81, 0x01, 0x06, 0x1F, 0x01, static_cast<unsigned char>(value), 0xFF};
	return runCommand(visca, sizeof(visca));
}
