#pragma once

#include "gamepad/DriveShaper.h"
#include "gamepad/GamepadSettings.h"
#include "gamepad/PadInput.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <map>

class CameraRig;
class PanelSettings;
class QTimer;

// Turns pad readings into camera operations on the interface thread: each pad's sticks become drives at
// proportional speeds for the camera it drives (the selected one, or the slot it is tied to), shaped per camera
// so that the network sees few datagrams and every stop; its buttons recall presets, step through the cameras,
// focus and send the camera home. Whoever reads the pads hands their readings here.
class GamepadController : public QObject {
	Q_OBJECT

public:
	struct Pad {
		QString guid;
		QString name;
		PadInput input;
		PadMapping mapping;
		int drivenSlot = 0; // the slot its sticks drive now (0: none)
	};
	// How long quitting waits, at most, for the stops to go out.
	static constexpr int quitStopWaitMs = 100;

	GamepadController(CameraRig &rig, PanelSettings &settings, QObject *parent = nullptr);
	~GamepadController() override;

	// The module's controller while it exists (for the settings dialog); null otherwise.
	static GamepadController *instance();

	// Readings, by the reader's id of each pad.
	void attach(int id, const QString &guid, const QString &name);
	void detach(int id);
	void update(int id, const PadInput &input);

	std::vector<int> padIds() const;
	const Pad *pad(int id) const;
	// The slot a pad drives when its sticks move: the one it is tied to, else the selected one (0: none).
	int targetSlot(const Pad &pad) const;

	StickResponse response() const { return m_response; }
	// Stored, and used from the next reading on.
	void setResponse(const StickResponse &response);
	void setMapping(int id, const PadMapping &mapping);

	// OBS is quitting: every move a pad started stops first; readings are ignored from now on.
	void shutdown();

signals:
	void padsChanged();
	void inputChanged(int id);

private:
	void drive(Pad &pad);
	void press(Pad &pad, int button);
	void release(Pad &pad, int button);
	void stopSlot(int slot);
	void send(int slot, const std::vector<DriveShaper::Command> &commands);
	void settleDue();
	void scheduleDue();
	void reloadSettings();
	DriveShaper &shaper(int slot) { return m_shapers[size_t(slot)]; }

	CameraRig &m_rig;
	QPointer<CameraRig> m_rigAlive; // null once the rig went first (the module's window closing)
	PanelSettings &m_settings;
	GamepadSettings m_store;
	StickResponse m_response;
	std::map<int, Pad> m_pads;
	std::array<DriveShaper, 9> m_shapers; // by slot, 1..8
	QElapsedTimer m_clock;
	QTimer *m_dueTimer = nullptr;
	bool m_quitting = false;
};
