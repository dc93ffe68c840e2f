#pragma once

#include <cstdint>
#include <vector>

// The traffic a stick makes towards one camera. The stick changes every few milliseconds; the camera gets a
// drive only when a direction or a speed changed, at most one per channel every minInterval (the newest wanted
// motion wins, nothing piles up), and no new drive while the last one is still with the camera. The stop when
// the stick comes back goes out at once and is never held back. Times are milliseconds on any steady clock.
class DriveShaper {
public:
	static constexpr int64_t minInterval = 50;
	// A drive the camera never finished stops holding back the next one after this long.
	static constexpr int64_t finishWait = 1000;

	enum class Channel { PanTilt, Zoom };
	// One axis of a motion: direction -1, 0 (still) or 1, and its speed.
	struct Axis {
		int direction = 0;
		int speed = 0;
		bool operator==(const Axis &other) const;
	};
	// Pan/tilt: first is pan (1 right), second tilt (1 up). Zoom: first only (1 in).
	struct Motion {
		Axis first;
		Axis second;
		bool still() const { return first.direction == 0 && second.direction == 0; }
		bool operator==(const Motion &other) const { return first == other.first && second == other.second; }
		bool operator!=(const Motion &other) const { return !(*this == other); }
	};
	// What to send: a drive, or a stop when the motion is still.
	struct Command {
		Channel channel;
		Motion motion;
	};

	// The motion the stick asks for now; gives what goes out now.
	std::vector<Command> want(Channel channel, const Motion &motion, int64_t now);
	// Drives held back that are due by now.
	std::vector<Command> due(int64_t now);
	// When the next held-back drive is due, or -1 when none is held back.
	int64_t nextDue() const;
	// The camera finished the channel's last drive (answered or not).
	void driveFinished(Channel channel);
	// Stops for the channels that are moving; nothing is wanted afterwards.
	std::vector<Command> stopAll();
	bool moving(Channel channel) const;

private:
	struct State {
		Motion wanted;
		Motion sent;
		int64_t lastDrive = 0;
		bool driven = false; // lastDrive is valid
		bool inFlight = false;
	};
	void settle(Channel channel, int64_t now, std::vector<Command> &out);
	State &state(Channel channel) { return m_states[channel == Channel::Zoom ? 1 : 0]; }
	const State &state(Channel channel) const { return m_states[channel == Channel::Zoom ? 1 : 0]; }

	State m_states[2];
};
