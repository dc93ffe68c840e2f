#pragma once

#include <benchmark/benchmark.h>
#include <obs.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

// What both panel benchmarks need around their runs: a throwaway settings folder, an offscreen platform unless
// one is chosen, libobs for the panel's hotkeys and a QApplication. prepare runs once the application exists.
inline int runPanelBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {})
{
	QTemporaryDir home;
	if (!home.isValid()) {
		std::fprintf(stderr, "no temporary folder for the settings file\n");
		return 1;
	}
	qputenv("XDG_DATA_HOME", home.path().toUtf8());
	if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
		qputenv("QT_QPA_PLATFORM", "offscreen");
	if (!obs_startup("en-US", nullptr, nullptr)) {
		std::fprintf(stderr, "FAIL: libobs did not start (no X display? run under xvfb-run)\n");
		return 1;
	}
	{
		QApplication app(argc, argv);
		if (prepare)
			prepare();
		benchmark::Initialize(&argc, argv);
		benchmark::RunSpecifiedBenchmarks();
		benchmark::Shutdown();
	}
	obs_shutdown();
	return 0;
}
