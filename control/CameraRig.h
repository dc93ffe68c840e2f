#pragma once

#include "control/CameraSession.h"

#include <QObject>

#include <array>

class PanelSettings;

// The eight camera sessions, created with the module and living as long as it: each slot's camera is connected
// in the background, watched and reconnected, whichever slot the panel shows. The one way to the cameras for the
// panel, hotkeys and remote requests; one of them is the selected camera.
class CameraRig : public QObject {
	Q_OBJECT

public:
	static constexpr int slotCount = 8;
	// Who asked for an operation, for those who report it.
	enum class Origin { Panel, HotKey, Request, Scene, Gamepad };
	Q_ENUM(Origin)
	// Where a slot's camera is seen in OBS: on program, on the studio-mode preview only, or neither.
	enum class OnAir { No, Preview, Program };
	Q_ENUM(OnAir)
	// The settings key of "lock cameras on program".
	static constexpr const char *lockOnProgramKey = "lockCamerasOnProgram";

	// Slot addresses come from settings and follow its changes.
	explicit CameraRig(PanelSettings &settings, QObject *parent = nullptr);
	~CameraRig() override;

	// Connects every slot that has an address and starts the link checks (once OBS has finished loading).
	void start();
	bool started() const { return m_started; }
	// Stops every camera's worker (OBS is quitting).
	void shutdown();

	// Slots count from 1; null outside 1..8.
	CameraSession *session(int slot) const;
	// The selected slot (0: none) and its session.
	int selectedSlot() const { return m_selected; }
	CameraSession *selected() const { return session(m_selected); }
	// Selects a slot's session whatever its state (0 clears the selection). The panel warns about slots that
	// are not connected; callers that should not select those check the state first.
	void select(int slot);
	// The slot's name for people: its nickname, or empty when it has none.
	QString slotName(int slot) const;

	// Recalls a preset on a slot's camera (false when it is not connected); presetRecalled follows once the
	// camera completed it.
	bool recallPreset(int slot, int number, Origin by, CameraSession::Done done = {});

	// Set by whoever watches OBS's program and preview; a camera on program is locked while the operator's lock
	// setting is on.
	void setOnAir(int slot, OnAir air);
	OnAir onAir(int slot) const;

	// For tools and tests with simulated cameras.
	void setCameraPort(int port);
	void setCheckInterval(int milliseconds);
	bool isIdle() const;

signals:
	void selectionChanged(int slot);
	void sessionStateChanged(int slot, CameraSession::State state);
	void presetRecalled(int slot, int number, CameraRig::Origin by);
	void onAirChanged(int slot, CameraRig::OnAir air);
	// An operation on the slot's camera was refused: it is on program and locked.
	void operationRefused(int slot);

private:
	void loadAddresses();
	void applyLocks();

	PanelSettings &m_settings;
	std::array<CameraSession *, slotCount> m_sessions{};
	std::array<OnAir, slotCount> m_onAir{};
	int m_selected = 0;
	bool m_started = false;
};
