// Eight configured cameras (one silent) on 127.0.9.1-8, each a `ptzctl simulate` process: per round, the time from
// the rig's start until every answering camera is connected, the longest stall of the thread the rig lives on
// meanwhile (a 5 ms timer ticking there), and this process's processor time over 16 s of watching (two link
// checks). Prints the medians of the rounds. usage: ptz_rig_bench [ROUNDS]
#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int silentSlot = 3;

double processorSeconds()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values.empty() ? 0 : values[values.size() / 2];
}

// Runs the event loop (sleeping while there is nothing to do) for a while.
void spin(int milliseconds)
{
	QEventLoop loop;
	QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
	loop.exec();
}

struct Round {
	double connectMs = -1;
	double longestStallMs = 0;
	double idleShare = 0;
};

Round oneRound()
{
	Round round;
	QTemporaryDir folder;
	PanelSettings settings(folder.path());
	PanelSettings::setInstance(&settings);
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot)
		settings.setSlot(slot, QStringLiteral("127.0.9.%1").arg(slot), QString());

	CameraRig rig(settings);
	QElapsedTimer tick;
	QTimer meter;
	meter.setTimerType(Qt::PreciseTimer);
	meter.setInterval(5);
	qint64 last = 0;
	QObject::connect(&meter, &QTimer::timeout, [&] {
		const qint64 now = tick.nsecsElapsed();
		round.longestStallMs = std::max(round.longestStallMs, (now - last) / 1e6 - 5);
		last = now;
	});
	const auto answering = [&rig] {
		for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
			if (slot != silentSlot && rig.session(slot)->state() != CameraSession::State::Connected)
				return false;
		}
		return true;
	};
	tick.start();
	meter.start();
	QElapsedTimer clock;
	clock.start();
	rig.start();
	while (!answering() && clock.elapsed() < 5000)
		spin(1);
	if (answering())
		round.connectMs = clock.nsecsElapsed() / 1e6;
	spin(1000);
	meter.stop();

	const double before = processorSeconds();
	clock.restart();
	spin(16000);
	round.idleShare = (processorSeconds() - before) / (clock.nsecsElapsed() / 1e9);
	rig.shutdown();
	PanelSettings::setInstance(nullptr);
	return round;
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
	std::vector<std::unique_ptr<QProcess>> cameras;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		auto camera = std::make_unique<QProcess>();
		QStringList args{"simulate", "--model", "QK-H57P", "--bind", QStringLiteral("127.0.9.%1").arg(slot)};
		if (slot == silentSlot)
			args << "--silent";
		camera->start(PTZCTL_PATH, args);
		if (!camera->waitForStarted(5000)) {
			std::fprintf(stderr, "ptzctl simulate did not start\n");
			return 1;
		}
		cameras.push_back(std::move(camera));
	}
	spin(500);
	std::vector<double> connect, stall, idle;
	for (int n = 0; n < rounds; ++n) {
		const Round round = oneRound();
		connect.push_back(round.connectMs);
		stall.push_back(round.longestStallMs);
		idle.push_back(round.idleShare);
	}
	std::printf("eight cameras, one silent, medians of %d rounds: every answering camera connected %.1f ms after "
		    "start; longest stall of the rig's thread meanwhile %.1f ms; processor time while watching %.3f %% "
		    "of one core\n",
		    rounds, median(connect), median(stall), median(idle) * 100);
	for (auto &camera : cameras) {
		camera->terminate();
		camera->waitForFinished(3000);
	}
	return 0;
}
