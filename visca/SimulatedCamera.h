#pragma once

#include <QByteArray>

#include <string>
#include <vector>

// The simulated camera itself, without a socket: its state, and how it decodes the link's commands into state
// changes and its inquiries into answers. Not thread-safe: its owner serialises the calls.
class SimulatedCamera {
public:
	enum class IdInquiry { Version, First, Second };

	// Camera state as the commands left it; values as the commands carried them.
	struct State {
		int panSpeed = 0;
		int tiltSpeed = 0;
		int panDirection = 3;  // 01 left, 02 right, 03 stop
		int tiltDirection = 3; // 01 up, 02 down, 03 stop
		int homeCount = 0;
		int zoomPosition = 0;
		int focusPosition = 0;
		int zoomDrive = 0;  // last byte of 81 01 04 07 xx FF
		int focusDrive = 0; // last byte of 81 01 04 08 xx FF
		bool autoFocus = true;
		int exposureMode = 0;
		int shutter = 0;
		int iris = 0;
		int gain = 0;
		int whiteBalanceMode = 0;
		int onePushCount = 0;
		int redGain = 0;
		int blueGain = 0;
		int gamma = 0;
		int imageMode = 0;
		int hue = 0;
		int saturation = 0;
		int sharpness = 0;
		int mirror = 3; // 02 on, 03 off
		int flip = 3;
		int presetSpeed = 0;
		int recalledPreset = 0;
		int storedPreset = 0;
		int speedCompensation = 0;
		bool redLamp = false;
		bool greenLamp = false;
		int downLeftPan = 65535;
		int downLeftTilt = 65535;
		int upRightPan = 0;
		int upRightTilt = 0;
		int clearDownLeftCount = 0;
		int clearUpRightCount = 0;
		int interfaceClearCount = 0;
		int commandCount = 0; // commands acknowledged
		int inquiryCount = 0; // inquiries answered
	};

	explicit SimulatedCamera(const std::string &model);

	const State &state() const { return m_state; }
	void setState(const State &state) { m_state = state; }

	// The table of models and their ID codes ("QK-JS4" reports none: empty string).
	static std::vector<std::string> knownModels();
	static bool isKnownModel(const std::string &model);
	static std::string idCodeForModel(const std::string &model);

	// Which identification inquiry these VISCA bytes are; false for any other message.
	static bool isIdInquiry(const QByteArray &visca, IdInquiry &which);
	// The model family's answer to an identification inquiry.
	QByteArray identify(IdInquiry which) const;
	// The state's answer 90 50 ... FF to an inquiry of the link, counted; 90 60 02 FF to any other.
	QByteArray answerInquiry(const QByteArray &visca);
	// Applies a command 81 01 ... FF to the state; gives the log line a lamp change makes, else empty.
	std::string apply(const QByteArray &visca);

private:
	std::string m_model;
	State m_state;
};
