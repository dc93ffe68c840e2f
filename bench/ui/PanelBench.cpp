// Panel timings against simulated cameras: how long after a pad press the drive datagram reaches the camera,
// how long a slot click takes until the controls are live (camera identified, link open) for each family, and
// what one step of an operator dragging the dock's edge costs the interface thread.

#include "BenchHost.h"
#include "MainDialog.h"
#include "panel/PanelScrollArea.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "visca/CameraSimulator.h"

#include <benchmark/benchmark.h>
#include <obs.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The panel connects on its camera worker: the controls enable once the camera is identified and its link open.
bool waitConnected(MainDialog &panel)
{
	QWidget *controls = panel.findChild<QWidget *>("CameraControlBox");
	return QTest::qWaitFor([controls] { return controls->isEnabled(); }, 10000);
}

// The read-back after connecting has ended when the camera hears nothing for 100 ms.
bool quiet(CameraSimulator &camera)
{
	const size_t before = camera.receivedCount();
	QTest::qWait(100);
	return camera.receivedCount() == before;
}

struct Setup {
	std::unique_ptr<CameraSimulator> camera;
	std::unique_ptr<MainDialog> panel;
};

bool connectPanel(Setup &setup, const char *model, const char *ip)
{
	CameraSimulator::Options options;
	options.model = model;
	options.bindAddress = ip;
	setup.camera = std::make_unique<CameraSimulator>(options);
	if (!setup.camera->start())
		return false;
	PanelSettings::instance().setSlot(1, ip, "Stage");
	setup.panel = std::make_unique<MainDialog>();
	setup.panel->show();
	QPushButton *slot = setup.panel->findChild<QPushButton *>("Camera1Button");
	QTest::mouseClick(slot, Qt::LeftButton);
	return waitConnected(*setup.panel) && QTest::qWaitFor([&setup] { return quiet(*setup.camera); }, 5000);
}

void BM_PadPressToDriveDatagram(benchmark::State &state)
{
	Setup setup;
	if (!connectPanel(setup, "QK-H57P", "127.0.6.240")) {
		state.SkipWithError("the panel did not connect to the simulated camera");
		return;
	}
	QPushButton *up = setup.panel->findChild<QPushButton *>("UpButton");
	for (auto _ : state) {
		setup.camera->clear();
		Clock::time_point arrived;
		std::thread waiter([&] {
			setup.camera->waitForDatagrams(1, 2000);
			arrived = Clock::now();
		});
		const Clock::time_point pressed = Clock::now();
		QTest::mousePress(up, Qt::LeftButton);
		waiter.join();
		state.SetIterationTime(std::chrono::duration<double>(arrived - pressed).count());
		QTest::mouseRelease(up, Qt::LeftButton);
		// The stop and the pause after it are over before the next press.
		setup.camera->waitForDatagrams(2, 2000);
		QTest::qWait(100);
	}
}
BENCHMARK(BM_PadPressToDriveDatagram)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50)->Repetitions(5);

// One resize of the dock (the panel fits itself, lays out and paints), the advanced view shown: between two
// widths of the same layout, and between widths that change it (picture controls below, compact sizes).
void BM_DockResize(benchmark::State &state)
{
	const int widths[2] = {static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
	PanelScrollArea dock;
	auto *panel = new MainDialog;
	dock.setWidget(panel);
	dock.show();
	for (QAction *action : panel->findChildren<QAction *>()) {
		if (action->text() == QString::fromUtf8(obs_module_text("AdvanceMode")))
			action->trigger();
	}
	QApplication::processEvents();
	int step = 0;
	for (auto _ : state) {
		dock.resize(widths[++step % 2], 800);
		QApplication::processEvents();
		dock.repaint();
	}
}
BENCHMARK(BM_DockResize)
	->Args({900, 960})
	->Args({340, 960})
	->Unit(benchmark::kMillisecond)
	->Iterations(40)
	->Repetitions(5);

void BM_ConnectCamera(benchmark::State &state, const char *model, const char *ip)
{
	Setup setup;
	if (!connectPanel(setup, model, ip)) {
		state.SkipWithError("the panel did not connect to the simulated camera");
		return;
	}
	QPushButton *slot = setup.panel->findChild<QPushButton *>("Camera1Button");
	for (auto _ : state) {
		QTest::mouseClick(slot, Qt::LeftButton); // disconnect
		const Clock::time_point clicked = Clock::now();
		QTest::mouseClick(slot, Qt::LeftButton);
		const bool connected = waitConnected(*setup.panel);
		state.SetIterationTime(std::chrono::duration<double>(Clock::now() - clicked).count());
		// The read-back goes on after the controls are live; it ends before the next round.
		if (!connected || !QTest::qWaitFor([&setup] { return quiet(*setup.camera); }, 5000)) {
			state.SkipWithError("connection failed");
			break;
		}
	}
}
BENCHMARK_CAPTURE(BM_ConnectCamera, H57P, "QK-H57P", "127.0.6.241")
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10)
	->Repetitions(5);
BENCHMARK_CAPTURE(BM_ConnectCamera, WD909P, "QK-WD909P", "127.0.6.242")
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10)
	->Repetitions(5);
BENCHMARK_CAPTURE(BM_ConnectCamera, WD406P, "QK-WD406P", "127.0.6.243")
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10)
	->Repetitions(5);
BENCHMARK_CAPTURE(BM_ConnectCamera, H32P, "QK-H32P", "127.0.6.244")
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10)
	->Repetitions(5);
BENCHMARK_CAPTURE(BM_ConnectCamera, JS4, "QK-JS4", "127.0.6.245")
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10)
	->Repetitions(5);

} // namespace

int main(int argc, char **argv)
{
	return runPanelBenchmarks(argc, argv);
}
