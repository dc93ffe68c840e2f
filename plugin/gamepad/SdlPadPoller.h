#pragma once

#include "gamepad/PadInput.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// Reads game controllers through SDL2 on a thread of its own: only SDL's game-controller subsystem is started
// (on that thread, with SDL's signal handlers left out of OBS); pads come and go while it runs. Pads in use are
// read every pollInterval; pads left alone for restAfter every restInterval (each wake-up costs more than the
// reading); with no pad it only looks for new ones every idleInterval. Readings that changed are handed to the
// interface thread through the signals (queued).
class SdlPadPoller : public QObject {
	Q_OBJECT

public:
	static constexpr int pollInterval = 10;
	static constexpr int restInterval = 25;
	static constexpr int restAfter = 1000;
	static constexpr int idleInterval = 250;
	// Axis changes smaller than this (of 32767) are a resting stick's noise, not a move.
	static constexpr int axisNoise = 64;

	explicit SdlPadPoller(QObject *parent = nullptr);
	~SdlPadPoller() override; // stop()

	void start();
	// Ends the thread, closes the pads and SDL's subsystem; no signal is delivered afterwards.
	void stop();

signals:
	void attached(int id, const QString &guid, const QString &name);
	void detached(int id);
	void changed(int id, const PadInput &input);
	// SDL could not be started; text is SDL's.
	void failed(const QString &text);

private:
	void run();
	bool waitFor(int milliseconds);

	std::thread m_thread;
	std::mutex m_mutex;
	std::condition_variable m_wake;
	bool m_stop = false;
};
