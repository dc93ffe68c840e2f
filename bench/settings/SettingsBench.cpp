#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString folder;

// A settings file of about the given size: eight slots, then the per-camera keys that cameras long gone left
// behind (each address and model keeps its own), up to the size.
QString settingsFolder(qint64 size)
{
	const QString dir = folder + QStringLiteral("/%1").arg(size);
	QJsonObject object;
	for (int slot = 1; slot <= 8; ++slot) {
		object[QStringLiteral("Camera%1IP").arg(slot)] = QStringLiteral("192.168.0.%1").arg(100 + slot);
		object[QStringLiteral("Camera%1NickName").arg(slot)] = QStringLiteral("Camera %1").arg(slot);
	}
	const qint64 lineSize = QByteArray("    \"10.0.123.234QK-H57PPanSpeed\": \"7\",\n").size();
	const qint64 lines = (size - QJsonDocument(object).toJson().size()) / lineSize;
	for (qint64 n = 0; n < lines; ++n)
		object[QStringLiteral("10.%1.%2.%3QK-H57PPanSpeed").arg(n / 65536).arg(n / 256 % 256).arg(n % 256)] =
			"7";
	Utils::writeJsonFile(object, dir);
	return dir;
}

void fileSizeCounter(benchmark::State &state, const QString &dir)
{
	state.counters["file_bytes"] = double(QFileInfo(dir + "/BrenmoorOBSPlugin.json").size());
}

// What each use cost before: read and parse the whole file, take one key.
void BM_SlotAddressReadFromFile(benchmark::State &state)
{
	const QString dir = settingsFolder(state.range(0));
	for (auto _ : state) {
		QJsonObject settings;
		Utils::readJsonFile(settings, dir);
		benchmark::DoNotOptimize(settings.value("Camera3IP").toString());
	}
	fileSizeCounter(state, dir);
}

void BM_SlotAddressFromPanelSettings(benchmark::State &state)
{
	const QString dir = settingsFolder(state.range(0));
	PanelSettings settings(dir);
	if (settings.slotAddress(3).isEmpty()) {
		state.SkipWithError("the settings file was not read");
		return;
	}
	for (auto _ : state)
		benchmark::DoNotOptimize(settings.slotAddress(3));
	fileSizeCounter(state, dir);
}

// The one read that PanelSettings does at start (and again when the file changes from outside).
void BM_PanelSettingsLoad(benchmark::State &state)
{
	const QString dir = settingsFolder(state.range(0));
	for (auto _ : state) {
		PanelSettings settings(dir);
		benchmark::DoNotOptimize(settings.slotAddress(3));
	}
}

// Sizes: a file as operators have them (eight cameras, a few per-camera keys) and one at the read cap.
const int smallFile = 2 * 1024;
const int cappedFile = 1024 * 1024;

BENCHMARK(BM_SlotAddressReadFromFile)->Arg(smallFile)->Arg(cappedFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SlotAddressFromPanelSettings)->Arg(smallFile)->Arg(cappedFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelSettingsLoad)->Arg(cappedFile)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	QTemporaryDir dir;
	if (!dir.isValid()) {
		std::fprintf(stderr, "no temporary folder for the settings files\n");
		return 1;
	}
	folder = dir.path();
	Utils::setLogSink([](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
