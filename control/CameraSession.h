#pragma once

#include <QByteArray>
#include <QList>

#include "control/CameraConnection.h"
#include "control/TallyLamp.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class ViscaParamOps;

// One camera slot, for as long as the module runs: its connection (see CameraConnection), and every camera
// operation as a typed call that queues on the worker. The panel, hotkeys and remote requests all drive a camera
// through its session. Lives on the interface thread; nothing here waits on the network.
class CameraSession : public CameraConnection {
	Q_OBJECT

public:
	enum class Direction { Up, Down, Left, Right, UpLeft, UpRight, DownLeft, DownRight };
	// Value settings: each sends its command at once; a waiting one of the same setting gives way to the newest.
	enum class Setting {
		ZoomPosition,
		FocusPosition,
		AutoFocus,
		PresetSpeed,
		MirrorFlip,
		ExposureMode,
		Shutter,
		Iris,
		Gain,
		WhiteBalanceMode,
		RedGain,
		BlueGain,
		Sharpness,
		Hue,
		Saturation,
		Gamma,
		ImageMode,
		SpeedCompensation,
	};
	// Values read back from the camera.
	enum class Value {
		ZoomPosition,
		FocusPosition,
		AutoFocus,
		ExposureMode,
		Shutter,
		Iris,
		Gain,
		WhiteBalanceMode,
		RedGain,
		BlueGain,
		Sharpness,
		Hue,
		Saturation,
		Gamma,
		ImageMode,
		MirrorFlip,
	};
	Q_ENUM(Value)
	enum class Speed { Pan, Tilt, Zoom, Focus };
	enum class Limit { TiltUp, TiltDown, PanLeft, PanRight };
	// answered is false when the camera gave no valid answer (value is then 0).
	using Answer = std::function<void(bool answered, int value)>;
	// The camera's replies to a raw message (VISCA bytes each), with how it ended.
	using RawAnswer = std::function<void(Outcome outcome, const QList<QByteArray> &replies)>;

	explicit CameraSession(int slot, QObject *parent = nullptr);
	~CameraSession() override;

	int slot() const { return m_slot; }
	QString modelName() const;
	// Per-camera settings follow the address and the model: the address text followed by the model name.
	QString settingsPrefix() const;

	// Operations. Each queues on the camera's worker and returns false (queuing nothing) unless the camera is
	// connected. done, when given, is called here with the outcome; answer with the value read.
	bool move(Direction direction, Done done = {});
	bool stopMove(Done done = {});
	bool home(Done done = {});
	bool zoom(bool in, Done done = {});
	// Given a position reader, the position is asked for right after the stop.
	bool stopZoom(Answer position = {}, Done done = {});
	bool focus(bool near, Done done = {});
	bool stopFocus(Answer position = {}, Done done = {});
	bool set(Setting setting, int value, Done done = {});
	bool whiteBalanceOnePush(Done done = {});
	bool recallPreset(int number, Done done = {});
	bool storePreset(int number, Done done = {});
	// The preset speed by its label in the model's table; stored for this camera.
	bool setPresetSpeed(const QString &label, Done done = {});
	// Clamped to the model's range and kept for the drives that follow (nothing is sent); stored for this
	// camera. Gives the value used, or -1 when not connected.
	int setSpeed(Speed speed, int value);
	// Analog drives (a gamepad's sticks): pan and tilt each with its own direction (-1 left/down, 0 still, 1
	// right/up) and speed, in one command; zoom in or out at a speed. Speeds are clamped to the model's range;
	// the speeds kept for the panel's drives stay as they are. Nothing is paused after them: the caller paces.
	bool drive(int panDirection, int panSpeed, int tiltDirection, int tiltSpeed, Done done = {});
	bool zoomAt(bool in, int speed, Done done = {});
	// OBS is quitting: stops pan/tilt and/or zoom and gives the stops up to boundMs to go out before the session
	// is shut down (a drive in progress gives way at once). The one wait here, bounded, for quitting only.
	void finishMotion(bool panTilt, bool zoom, int boundMs);
	bool setLimit(Limit limit, int degrees);
	bool clearLimits();
	bool read(Value value, QObject *context, Answer answer);
	// One VISCA command or inquiry as given (see RawVisca::parse), in turn with the other operations; Completed
	// when the camera completed or answered it. answer is called once unless the camera is dropped first.
	bool sendRaw(const QByteArray &visca, RawAnswer answer);
	// The camera is left alone for a while (it needs time before some inquiries answer right).
	bool wait(int milliseconds);
	// One tally lamp on or off; a waiting change of the same lamp gives way to the newest.
	bool setTally(TallyLamp::Lamp lamp, bool on, Done done = {});

	// While locked (the camera is on program and the operator locked such cameras), drives, zooms, focus and
	// preset recalls are refused: they return false, queue nothing and emit refused(). Stops still go out.
	void setLocked(bool locked) { m_locked = locked; }
	bool locked() const { return m_locked; }

signals:
	void presetRecalled(int number);
	// Every valid answer of a read, for whoever shows the camera's values.
	void valueRead(CameraSession::Value value, int answer);
	// An operation was turned away because the camera is locked.
	void refused();

private:
	bool stopLens(bool zoom, Answer position, Done done);
	// True (and refused() emitted) when the lock turns the operation away.
	bool refuseLocked();

	const int m_slot;
	bool m_locked = false;
};
