#include "SimulatedCamera.h"

#include "ViscaBytes.h"

#include <utility>

namespace {

// The model table as cameras report it: name, three-character ID code ("" for the camera that has none).
const std::pair<const char *, const char *> modelCodes[] = {
	{"QK-H57P", "VMI"},       {"QK-H57PN", "VZF"},       {"QK-H57P-BRN", "VZS"},    {"QK-H57PN-BRN", "VOF"},
	{"QK-H45P", "VBR"},       {"QK-H45PN", "VRO"},       {"QK-H45PN-BRN", "VRY"},   {"ZR714-IP", "VSX"},
	{"QK-WD909P", "VBW"},     {"QK-WD909P-BRN", "VMT"},  {"QK-WD909PN-BRN", "VOT"}, {"QK-WD508P", "VKD"},
	{"QK-WD508P-BRN", "VNB"}, {"QK-WD508PN-BRN", "VRH"}, {"QK-WD406P", "VKL"},      {" ZR-318-30X", "VLO"},
	{"QK-H32P", "VIL"},       {"QK-H32PN", "VIL"},       {"ZR712-IP", "VHB"},       {"QK-H33P", "VLS"},
	{"QK-JS4", ""},
};

const char *const firstInquiryFamily[] = {"QK-H32P", "QK-H32PN", "ZR712-IP", "QK-H33P"};
const char js4Model[] = "QK-JS4";

enum class Family { First, Second, Js4 };

Family familyOf(const std::string &model)
{
	if (model == js4Model)
		return Family::Js4;
	for (const char *name : firstInquiryFamily) {
		if (model == name)
			return Family::First;
	}
	return Family::Second;
}

using ViscaBytes::at;
using ViscaBytes::bytes;
using ViscaBytes::startsWith;

// Four one-digit bytes from position i, most significant first.
int digits4(const QByteArray &a, int i)
{
	return ((at(a, i) & 0x0F) << 12) | ((at(a, i + 1) & 0x0F) << 8) | ((at(a, i + 2) & 0x0F) << 4) |
	       (at(a, i + 3) & 0x0F);
}

// Two bytes p q carrying the high and low digit of a value.
int pq(const QByteArray &a, int i)
{
	return (at(a, i) << 4) + at(a, i + 1);
}

QByteArray answer(const QByteArray &data)
{
	return bytes({0x90, 0x50}) + data + bytes({0xFF});
}

QByteArray pqAnswer(int value)
{
	return answer(bytes({0x00, 0x00, (value >> 4) & 0x0F, value & 0x0F}));
}

QByteArray digitsAnswer(int value)
{
	return answer(bytes({(value >> 12) & 0x0F, (value >> 8) & 0x0F, (value >> 4) & 0x0F, value & 0x0F}));
}

QByteArray idAnswer(const std::string &code)
{
	QByteArray data = QByteArray::fromStdString(code);
	data.append(QByteArray(7 - data.size(), '\0'));
	return answer(data);
}

const QByteArray errorSyntax = bytes({0x90, 0x60, 0x02, 0xFF});
const QByteArray versionInquiry = bytes({0x81, 0x09, 0x00, 0x02, 0xFF});
const QByteArray firstIdInquiry = bytes({0x81, 0x01, 0x02, 0x03, 0xFF});
const QByteArray secondIdInquiry = bytes({0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF});

} // namespace

SimulatedCamera::SimulatedCamera(const std::string &model) : m_model(model) {}

std::vector<std::string> SimulatedCamera::knownModels()
{
	std::vector<std::string> names;
	for (const auto &entry : modelCodes)
		names.emplace_back(entry.first);
	return names;
}

bool SimulatedCamera::isKnownModel(const std::string &model)
{
	for (const auto &entry : modelCodes) {
		if (model == entry.first)
			return true;
	}
	return false;
}

std::string SimulatedCamera::idCodeForModel(const std::string &model)
{
	for (const auto &entry : modelCodes) {
		if (model == entry.first)
			return entry.second;
	}
	return std::string();
}

bool SimulatedCamera::isIdInquiry(const QByteArray &visca, IdInquiry &which)
{
	if (visca == versionInquiry)
		which = IdInquiry::Version;
	else if (visca == firstIdInquiry)
		which = IdInquiry::First;
	else if (visca == secondIdInquiry)
		which = IdInquiry::Second;
	else
		return false;
	return true;
}

QByteArray SimulatedCamera::identify(IdInquiry which) const
{
	const Family family = familyOf(m_model);
	switch (which) {
	case IdInquiry::Version:
		return answer(bytes({family == Family::Js4 ? 0x02 : 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
	case IdInquiry::First:
		return family == Family::First ? idAnswer(idCodeForModel(m_model)) : errorSyntax;
	case IdInquiry::Second:
		break;
	}
	return family == Family::Second ? idAnswer(idCodeForModel(m_model)) : errorSyntax;
}

QByteArray SimulatedCamera::answerInquiry(const QByteArray &visca)
{
	const State &s = m_state;
	QByteArray reply;
	if (visca.size() == 5 && startsWith(visca, {0x81, 0x09, 0x04})) {
		switch (at(visca, 3)) {
		case 0x47:
			reply = digitsAnswer(s.zoomPosition);
			break;
		case 0x48:
			reply = digitsAnswer(s.focusPosition);
			break;
		case 0x38:
			reply = answer(bytes({s.autoFocus ? 0x02 : 0x03}));
			break;
		case 0x39:
			reply = answer(bytes({s.exposureMode}));
			break;
		case 0x4A:
			reply = pqAnswer(s.shutter);
			break;
		case 0x4B:
			reply = pqAnswer(s.iris);
			break;
		case 0x4C:
			reply = pqAnswer(s.gain);
			break;
		case 0x35:
			reply = answer(bytes({s.whiteBalanceMode}));
			break;
		case 0x43:
			reply = pqAnswer(s.redGain);
			break;
		case 0x44:
			reply = pqAnswer(s.blueGain);
			break;
		case 0x5B:
			reply = answer(bytes({s.gamma}));
			break;
		case 0x4F:
			reply = pqAnswer(s.hue);
			break;
		case 0x49:
			// The link reads the high digit at data byte 1 and the low digit at data byte 3.
			reply = answer(bytes({0x00, (s.saturation >> 4) & 0x0F, 0x00, s.saturation & 0x0F}));
			break;
		case 0x42:
			reply = pqAnswer(s.sharpness);
			break;
		case 0x61:
			reply = answer(bytes({s.mirror}));
			break;
		case 0x66:
			reply = answer(bytes({s.flip}));
			break;
		default:
			break;
		}
	} else if (visca == bytes({0x81, 0x09, 0x04, 0x3F, 0x04, 0xFF})) {
		reply = answer(bytes({s.imageMode}));
	} else if (visca.size() == 6 && startsWith(visca, {0x81, 0x09, 0x0E, 0x24})) {
		switch (at(visca, 4)) {
		case 0x44:
			reply = pqAnswer(s.hue);
			break;
		case 0x43:
			reply = pqAnswer(s.saturation);
			break;
		case 0x40:
			reply = pqAnswer(s.sharpness);
			break;
		default:
			break;
		}
	}
	if (reply.isEmpty())
		return errorSyntax;
	m_state.inquiryCount++;
	return reply;
}

std::string SimulatedCamera::apply(const QByteArray &v)
{
	State &s = m_state;
	s.commandCount++;
	const int n = v.size();
	if (startsWith(v, {0x81, 0x01, 0x06, 0x01}) && n == 9) {
		s.panSpeed = at(v, 4);
		s.tiltSpeed = at(v, 5);
		s.panDirection = at(v, 6);
		s.tiltDirection = at(v, 7);
	} else if (v == bytes({0x81, 0x01, 0x06, 0x04, 0xFF})) {
		s.homeCount++;
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x07}) && n == 6) {
		s.zoomDrive = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x47}) && n == 10) {
		s.zoomPosition = digits4(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x08}) && n == 6) {
		s.focusDrive = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x48}) && n == 9) {
		s.focusPosition = digits4(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x38}) && n == 6) {
		s.autoFocus = at(v, 4) == 0x02;
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x3F}) && n == 7) {
		if (at(v, 4) == 0x01)
			s.storedPreset = at(v, 5);
		else if (at(v, 4) == 0x02)
			s.recalledPreset = at(v, 5);
		else if (at(v, 4) == 0x04)
			s.imageMode = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x04, 0x10, 0x05})) {
		s.onePushCount++;
	} else if (startsWith(v, {0x81, 0x01, 0x04}) && n == 6) {
		const int value = at(v, 4);
		switch (at(v, 3)) {
		case 0x39:
			s.exposureMode = value;
			break;
		case 0x35:
			s.whiteBalanceMode = value;
			break;
		case 0x5B:
			s.gamma = value;
			break;
		case 0x61:
			s.mirror = value;
			break;
		case 0x66:
			s.flip = value;
			break;
		default:
			break;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x04}) && n == 9) {
		const int value = pq(v, 6);
		switch (at(v, 3)) {
		case 0x4A:
			s.shutter = value;
			break;
		case 0x4B:
			s.iris = value;
			break;
		case 0x4C:
			s.gain = value;
			break;
		case 0x43:
			s.redGain = value;
			break;
		case 0x44:
			s.blueGain = value;
			break;
		case 0x4F:
			s.hue = value;
			break;
		case 0x49:
			s.saturation = value;
			break;
		case 0x42:
			s.sharpness = value;
			break;
		default:
			break;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x20}) && n == 6) {
		s.presetSpeed = at(v, 4);
	} else if (startsWith(v, {0x81, 0x01, 0x7E, 0x03, 0x02}) && n == 7) {
		s.presetSpeed = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x07}) && n == 15) {
		const bool upRight = at(v, 5) == 0x01;
		if (at(v, 4) == 0x00) {
			(upRight ? s.upRightPan : s.downLeftPan) = digits4(v, 6);
			(upRight ? s.upRightTilt : s.downLeftTilt) = digits4(v, 10);
		} else {
			(upRight ? s.clearUpRightCount : s.clearDownLeftCount)++;
		}
	} else if (startsWith(v, {0x81, 0x01, 0x06, 0x1F, 0x01}) && n == 7) {
		s.speedCompensation = at(v, 5);
	} else if (startsWith(v, {0x81, 0x01, 0x0E, 0x24}) && n == 8) {
		const int value = pq(v, 5);
		if (at(v, 4) == 0x44)
			s.hue = value;
		else if (at(v, 4) == 0x43)
			s.saturation = value;
		else if (at(v, 4) == 0x40)
			s.sharpness = value;
	} else if (v == bytes({0x81, 0x01, 0x00, 0x01, 0xFF})) {
		s.interfaceClearCount++;
	} else if ((startsWith(v, {0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00}) ||
		    startsWith(v, {0x81, 0x01, 0x7E, 0x04, 0x1A, 0x00})) &&
		   n == 8 && (at(v, 6) == 0x02 || at(v, 6) == 0x03)) {
		const bool red = at(v, 3) == 0x01;
		const bool on = at(v, 6) == 0x02;
		(red ? s.redLamp : s.greenLamp) = on;
		return std::string("lamp ") + (red ? "red " : "green ") + (on ? "on" : "off");
	}
	return std::string();
}
