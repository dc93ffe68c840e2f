#pragma once

#include <chrono>
#include <mutex>
#include <optional>

// One "Camera Preset" source's activations in the program output. OBS calls a source's activate at the video
// frame after it went live, while a scene change is reported on the interface thread as soon as it starts (OBS
// then already counts the sources of the new scene as active). Whichever comes first recalls and the other is
// absorbed, so each activation recalls once; a cut away and back within one frame, which OBS never reports,
// recalls too.
class ActivationGate {
public:
	using Clock = std::chrono::steady_clock;
	// A recall made ahead stands for OBS's activate call only if that call comes within this time (a frame
	// at the lowest frame rate, and room for a busy machine).
	static constexpr std::chrono::milliseconds aheadWindow{500};

	// OBS's activate call (video thread). True: recall now.
	bool activated(Clock::time_point now);
	// OBS's deactivate call.
	void deactivated();
	// A scene changed; activeInObs: OBS counts the source as active in the program output now (interface
	// thread). True: recall now.
	bool sceneChanged(bool activeInObs, Clock::time_point now);

private:
	bool aheadWithin(Clock::time_point now) const;

	std::mutex m_mutex;
	bool m_active = false;  // between OBS's activate and deactivate calls
	bool m_leaving = false; // seen inactive at a scene change before OBS's deactivate call
	std::optional<Clock::time_point> m_ahead;
};
