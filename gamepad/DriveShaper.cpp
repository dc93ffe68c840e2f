#include "gamepad/DriveShaper.h"

#include <algorithm>

namespace {

DriveShaper::Motion normalised(DriveShaper::Motion motion)
{
	// A still axis has no speed: a speed change on it is no change.
	for (DriveShaper::Axis *axis : {&motion.first, &motion.second}) {
		if (axis->direction == 0)
			axis->speed = 0;
	}
	return motion;
}

} // namespace

bool DriveShaper::Axis::operator==(const Axis &other) const
{
	return direction == other.direction && speed == other.speed;
}

std::vector<DriveShaper::Command> DriveShaper::want(Channel channel, const Motion &motion, int64_t now)
{
	state(channel).wanted = normalised(motion);
	std::vector<Command> out;
	settle(channel, now, out);
	return out;
}

std::vector<DriveShaper::Command> DriveShaper::due(int64_t now)
{
	std::vector<Command> out;
	settle(Channel::PanTilt, now, out);
	settle(Channel::Zoom, now, out);
	return out;
}

void DriveShaper::settle(Channel channel, int64_t now, std::vector<Command> &out)
{
	State &s = state(channel);
	if (s.wanted == s.sent)
		return;
	if (s.wanted.still()) {
		s.sent = s.wanted;
		out.push_back({channel, s.sent});
		return;
	}
	if (s.driven && now - s.lastDrive < (s.inFlight ? finishWait : minInterval))
		return;
	s.sent = s.wanted;
	s.lastDrive = now;
	s.driven = true;
	s.inFlight = true;
	out.push_back({channel, s.sent});
}

int64_t DriveShaper::nextDue() const
{
	int64_t next = -1;
	for (const State &s : m_states) {
		if (s.wanted == s.sent || s.wanted.still())
			continue;
		const int64_t at = s.lastDrive + (s.inFlight ? finishWait : minInterval);
		next = next < 0 ? at : std::min(next, at);
	}
	return next;
}

void DriveShaper::driveFinished(Channel channel)
{
	state(channel).inFlight = false;
}

std::vector<DriveShaper::Command> DriveShaper::stopAll()
{
	std::vector<Command> out;
	for (Channel channel : {Channel::PanTilt, Channel::Zoom}) {
		State &s = state(channel);
		s.wanted = Motion();
		if (!s.sent.still()) {
			s.sent = Motion();
			out.push_back({channel, s.sent});
		}
	}
	return out;
}

bool DriveShaper::moving(Channel channel) const
{
	return !state(channel).sent.still();
}
