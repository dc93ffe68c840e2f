// How long the interface thread stops answering while the panel talks to cameras: a 10 ms timer runs on it, and
// every gap between two ticks beyond one frame (16.7 ms) counts as a stall. Each row is one operator action
// against a simulated camera on 127.0.6.x (silent, ordinary or busy); the row ends when the panel has finished
// with the camera (no datagram for a while, or the state the action leads to). Counters: longest and total stall.

#include "BenchHost.h"
#include "DiscoveryDialog.h"
#include "MainDialog.h"
#include "settings/PanelSettings.h"
#include "visca/CameraSimulator.h"

#include <benchmark/benchmark.h>
#include <obs.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const double tickMs = 10.0;
const double frameMs = 1000.0 / 60.0;

class BenchPanel : public MainDialog {
public:
	using MainDialog::setLinkCheckInterval;
};

// Ticks on the interface thread and keeps the gaps.
class StallMeter {
public:
	StallMeter()
	{
		timer.setTimerType(Qt::PreciseTimer);
		timer.setInterval(int(tickMs));
		QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
		clock.start();
		last = 0;
		timer.start();
	}
	void tick()
	{
		const double now = clock.nsecsElapsed() / 1e6;
		const double gap = now - last;
		last = now;
		if (gap > frameMs) {
			longest = std::max(longest, gap - tickMs);
			total += gap - tickMs;
		}
	}
	double longest = 0;
	double total = 0;

private:
	QTimer timer;
	QElapsedTimer clock;
	double last;
};

// Runs the event loop until done() holds (checked every 5 ms) or maxMs ran out.
bool spinUntil(const std::function<bool()> &done, int maxMs)
{
	QElapsedTimer clock;
	clock.start();
	while (!done()) {
		if (clock.elapsed() > maxMs)
			return false;
		QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
		QTest::qSleep(1);
	}
	return true;
}

// True once the camera has received nothing new for quietMs.
std::function<bool()> quietFor(CameraSimulator &camera, int quietMs)
{
	auto count = std::make_shared<size_t>(camera.receivedCount());
	auto since = std::make_shared<QElapsedTimer>();
	since->start();
	return [&camera, count, since, quietMs] {
		const size_t now = camera.receivedCount();
		if (now != *count) {
			*count = now;
			since->restart();
		}
		return since->elapsed() >= quietMs;
	};
}

bool anyWarningOpen()
{
	for (QWidget *widget : QApplication::topLevelWidgets()) {
		if (qobject_cast<QMessageBox *>(widget) && widget->isVisible())
			return true;
	}
	return false;
}

struct Row {
	std::unique_ptr<CameraSimulator> camera;
	std::unique_ptr<BenchPanel> panel;

	bool start(const char *ip, int ackDelayMs = 0, bool silent = false)
	{
		CameraSimulator::Options options;
		options.model = "QK-H57P";
		options.bindAddress = ip;
		options.ackDelayMs = ackDelayMs;
		options.silent = silent;
		camera = std::make_unique<CameraSimulator>(options);
		if (!camera->start())
			return false;
		PanelSettings::instance().setSlot(1, ip, "Stage");
		panel = std::make_unique<BenchPanel>();
		panel->show();
		return true;
	}
	QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(name); }
	bool connected() const { return button("Camera1Button")->isChecked(); }
	// Clicks slot 1 and waits until the camera is connected and done with the read-back.
	bool connect()
	{
		QTest::mouseClick(button("Camera1Button"), Qt::LeftButton);
		return spinUntil([this] { return connected(); }, 5000) && spinUntil(quietFor(*camera, 300), 5000);
	}
	void goSilent()
	{
		CameraSimulator::Options faults = camera->options();
		faults.silent = true;
		camera->setFaults(faults);
	}
};

void report(benchmark::State &state, const StallMeter &meter)
{
	state.counters["longest_ms"] = meter.longest;
	state.counters["total_ms"] = meter.total;
}

// The noise floor: a connected panel and nothing happening (a busy machine shows its scheduling gaps here).
void BM_Idle(benchmark::State &state)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.206") || !row.connect())
			return state.SkipWithError("no connection");
		StallMeter meter;
		spinUntil([] { return false; }, 2000);
		report(state, meter);
	}
}

void BM_PadSilent(benchmark::State &state)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.200") || !row.connect())
			return state.SkipWithError("no connection");
		row.goSilent();
		StallMeter meter;
		QTest::mousePress(row.button("UpButton"), Qt::LeftButton);
		spinUntil([] { return false; }, 100);
		QTest::mouseRelease(row.button("UpButton"), Qt::LeftButton);
		spinUntil(quietFor(*row.camera, 800), 10000);
		report(state, meter);
	}
}

void BM_ZoomReleaseSilent(benchmark::State &state)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.201") || !row.connect())
			return state.SkipWithError("no connection");
		QTest::mousePress(row.button("ZoomPlusButton"), Qt::LeftButton);
		spinUntil(quietFor(*row.camera, 100), 2000);
		row.goSilent();
		StallMeter meter;
		QTest::mouseRelease(row.button("ZoomPlusButton"), Qt::LeftButton);
		spinUntil(quietFor(*row.camera, 800), 10000);
		report(state, meter);
	}
}

void BM_LinkCheckSilent(benchmark::State &state)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.202") || !row.connect())
			return state.SkipWithError("no connection");
		row.goSilent();
		StallMeter meter;
		row.panel->setLinkCheckInterval(100);
		if (!spinUntil([&row] { return !row.connected() && !anyWarningOpen(); }, 10000))
			return state.SkipWithError("the link check did not drop the camera");
		row.panel->setLinkCheckInterval(60000);
		report(state, meter);
	}
}

void BM_SelectSlot(benchmark::State &state, int ackDelayMs, bool silent)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.203", ackDelayMs, silent))
			return state.SkipWithError("no camera");
		StallMeter meter;
		QTest::mouseClick(row.button("Camera1Button"), Qt::LeftButton);
		if (silent) {
			spinUntil(quietFor(*row.camera, 800), 10000);
			spinUntil([] { return !anyWarningOpen(); }, 2000);
		} else if (!spinUntil([&row] { return row.connected(); }, 10000) ||
			   !spinUntil(quietFor(*row.camera, 2 * ackDelayMs + 300), 20000)) {
			return state.SkipWithError("no connection");
		}
		report(state, meter);
	}
}

void BM_WhiteBalanceManual(benchmark::State &state)
{
	for (auto _ : state) {
		Row row;
		if (!row.start("127.0.6.204") || !row.connect())
			return state.SkipWithError("no connection");
		QComboBox *box = row.panel->findChild<QComboBox *>("AWBModeBox");
		StallMeter meter;
		box->setCurrentIndex(box->findText("Manual"));
		spinUntil([] { return false; }, 1100); // the camera's settling pause comes first
		spinUntil(quietFor(*row.camera, 300), 5000);
		report(state, meter);
	}
}

void BM_Search(benchmark::State &state)
{
	for (auto _ : state) {
		// Nothing listens at the probe's destination: an empty search.
		DiscoveryDialog::SearchTarget target;
		target.probeDestination = QHostAddress("127.0.6.205");
		target.probePort = 3702;
		DiscoveryDialog dialog(nullptr, target);
		dialog.show();
		StallMeter meter;
		QTest::mousePress(dialog.findChild<QPushButton *>("SearchButton"), Qt::LeftButton);
		QTest::mouseRelease(dialog.findChild<QPushButton *>("SearchButton"), Qt::LeftButton);
		spinUntil([] { return false; }, 1600);
		report(state, meter);
	}
}

BENCHMARK(BM_Idle)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PadSilent)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomReleaseSilent)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkCheckSilent)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectSlot, silent, 0, true)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectSlot, answers_in_20ms, 20, false)
	->Iterations(1)
	->Repetitions(3)
	->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectSlot, answers_in_100ms, 100, false)
	->Iterations(1)
	->Repetitions(3)
	->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteBalanceManual)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
	// Warning boxes are closed as soon as they show; their nested loop (if any) keeps the ticks going.
	return runPanelBenchmarks(argc, argv, [] {
		auto *closer = new QTimer(qApp);
		QObject::connect(closer, &QTimer::timeout, [] {
			for (QWidget *widget : QApplication::topLevelWidgets()) {
				if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
					box->done(QMessageBox::Ok);
			}
		});
		closer->start(20);
	});
}
