#pragma once

#include "plugin/scenes/SceneRules.h"

#include <QObject>

#include <obs-frontend-api.h>

#include <array>
#include <atomic>
#include <optional>

class CameraRig;
class PanelSettings;
class SlotSources;

// Follows where each slot's source is seen (on program, on the studio-mode preview) and tells the rig, and drives
// the cameras' tally lamps as each slot's "CameraNTally" key asks: on every change, and again after a camera
// reconnects. OBS reports from its own threads are gathered into one update on the interface thread.
class TallyWatcher : public QObject {
	Q_OBJECT

public:
	TallyWatcher(CameraRig &rig, PanelSettings &settings, SlotSources &sources, QObject *parent = nullptr);
	~TallyWatcher() override;

	// Stops listening to OBS (it is quitting).
	void detach();

	static QString tallyKey(int slot);

	// Brings the rig's on-air states and the lamps up to date now (interface thread).
	void update();

private:
	static void onFrontendEvent(enum obs_frontend_event event, void *data);
	static void onSourceSignal(void *data, calldata_t *call);
	// From any thread: one update follows, however many ask before it runs.
	void requestUpdate();

	CameraRig &m_rig;
	PanelSettings &m_settings;
	SlotSources &m_sources;
	bool m_attached = false;
	std::atomic<bool> m_pending{false};
	// What each camera's lamps were last sent; nothing while unknown (not yet sent, or the camera reconnected).
	std::array<std::optional<SceneRules::Lamps>, CameraRig::slotCount> m_sent{};
};
