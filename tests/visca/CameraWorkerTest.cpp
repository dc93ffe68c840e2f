// The camera worker against the simulator: order, merging, where results arrive, and stopping mid-wait.
#include "CameraWorker.h"
#include "LinkOperations.h"
#include "LinkTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

#include <future>

namespace {

using Link = CameraWorker::Link;

// A worker whose link aims at the camera, held at a gate until open() so that operations can pile up behind it.
struct GatedWorker {
	explicit GatedWorker(const CameraSimulator &camera)
	{
		const int port = camera.boundPort();
		const std::string address = camera.options().bindAddress;
		auto opened = gate.get_future().share();
		worker.post(CameraWorker::neverMerged, [=](Link &link) {
			link = aimed(Plain, address.c_str(), port);
			opened.wait();
		});
	}
	void open() { gate.set_value(); }
	// Opens the gate and runs the caller's event loop until the worker is idle or two seconds ran out.
	bool openAndFinish()
	{
		open();
		QElapsedTimer clock;
		clock.start();
		while (!worker.isIdle() && clock.elapsed() < 2000)
			QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
		return worker.isIdle();
	}
	CameraWorker worker;
	std::promise<void> gate;
};

QStringList payloadTexts(const CameraSimulator &camera)
{
	QStringList texts;
	for (const QByteArray &payload : camera.payloads())
		texts << hexText(payload);
	return texts;
}

} // namespace

const QString up = "81 01 06 01 0B 0B 03 01 FF", stop = "81 01 06 01 0B 0B 03 03 FF";

// Everything is posted while the worker is still busy, so the whole backlog is there at once: positions of a kind
// merge into the newest, drives, stops and stores all stay, in order.
TEST(CameraWorker, KeepsOrderAndMergesOnlyValueSettings)
{
	auto camera = startCamera("127.0.7.10");
	GatedWorker gated(*camera);
	// Kind 0 is never merged, 1 is the zoom position, 2 the focus position.
	const std::pair<int, const char *> posted[] = {{1, "setZoomPosition 1"},  {0, "moveUp"},
						       {1, "setZoomPosition 2"},  {0, "panTiltStop"},
						       {1, "setZoomPosition 3"},  {0, "setPresetNumber 5 storePreset"},
						       {2, "setFocusPosition 7"}, {1, "setZoomPosition 4"},
						       {2, "setFocusPosition 8"}};
	for (const auto &[kind, script] : posted)
		gated.worker.post(kind, [script = script](Link &link) { LinkOperations::runScript(*link, script); });
	ASSERT_TRUE(gated.openAndFinish());
	EXPECT_EQ(payloadTexts(*camera), (QStringList{up, stop, "81 01 04 3F 01 05 FF", "81 01 04 47 00 00 00 04 02 FF",
						      "81 01 04 48 00 00 00 08 FF"}));
}

// Each answer is read off the caller's thread and delivered on it, in order; a gone context gets nothing.
TEST(CameraWorker, ResultsArriveOnTheCallersThreadInOrder)
{
	auto camera = startCamera("127.0.7.11", [](O &o) { o.ackDelayMs = 5; });
	GatedWorker gated(*camera);
	QObject context;
	auto gone = std::make_unique<QObject>();
	QList<int> results;
	QSet<QThread *> threads;
	for (int n = 1; n <= 5; ++n) {
		gated.worker.post<int>(
			CameraWorker::neverMerged,
			[n](Link &link) {
				link->setZoomPosition(n * 16);
				const bool here = QThread::currentThread() == QCoreApplication::instance()->thread();
				return here ? -n : link->getZoomPosition();
			},
			n == 3 ? gone.get() : &context,
			[&](const int &value) {
				results << value;
				threads << QThread::currentThread();
			});
	}
	gone.reset();
	ASSERT_TRUE(gated.openAndFinish());
	EXPECT_EQ(results, (QList<int>{16, 32, 64, 80}));
	EXPECT_EQ(threads, QSet<QThread *>{QThread::currentThread()});
}

// A silent camera holds the first command in its reply wait; stopping drops the backlog and cuts the wait short
// (no repeat goes out).
TEST(CameraWorker, StopsMidWaitWithoutSendingTheBacklog)
{
	auto camera = startCamera("127.0.7.13", [](O &o) { o.silent = true; });
	GatedWorker gated(*camera);
	QObject context;
	bool delivered = false;
	for (int i = 0; i < 20; ++i)
		gated.worker.post<bool>(
			CameraWorker::neverMerged, [](Link &link) { return link->moveUp(); }, &context,
			[&](const bool &) { delivered = true; });
	gated.open();
	ASSERT_TRUE(camera->waitForDatagrams(1, 2000));
	gated.worker.stop();
	QCoreApplication::processEvents();
	EXPECT_FALSE(delivered);
	EXPECT_EQ(payloadTexts(*camera), QStringList{up}); // no second attempt, nothing of the backlog
}

// Drives (D) and stops (S) of one channel posted while the worker is busy, and what reaches the camera: a drive
// that never went out goes with the stop behind it, and a stop already waiting makes another one redundant.
TEST(CameraWorker, MotionBacklogNeverLeavesAStaleDrive)
{
	const std::pair<const char *, QStringList> rows[] = {
		{"D", {up}},     {"S", {stop}},  {"DS", {}},          {"DSDS", {}},       {"DSD", {up}},
		{"SDS", {stop}}, {"SS", {stop}}, {"DDS", {up, stop}}, {"SD", {stop, up}},
	};
	int n = 0;
	for (const auto &[posted, expected] : rows) {
		const std::string address = "127.0.7." + std::to_string(20 + n++);
		auto camera = startCamera(address.c_str());
		GatedWorker gated(*camera);
		for (const char *c = posted; *c != '\0'; ++c) {
			const bool isStop = *c == 'S';
			gated.worker.postMotion(1, isStop, [isStop](Link &link) {
				return isStop ? link->panTiltStop() : link->moveUp();
			});
		}
		ASSERT_TRUE(gated.openAndFinish()) << posted;
		EXPECT_EQ(payloadTexts(*camera), expected) << posted;
	}
}

// A stop cuts the reply wait of the drive in progress short: a silent camera gets the drive once, then the stop.
TEST(CameraWorker, StopCutsASilentDriveShort)
{
	auto camera = startCamera("127.0.7.40", [](O &o) { o.silent = true; });
	CameraWorker worker;
	const int port = camera->boundPort();
	worker.post(CameraWorker::neverMerged, [port](Link &link) { link = aimed(Plain, "127.0.7.40", port); });
	worker.postMotion(1, false, [](Link &link) { return link->moveUp(); });
	ASSERT_TRUE(camera->waitForDatagrams(1, 2000));
	worker.postMotion(1, true, [](Link &link) { return link->panTiltStop(); });
	ASSERT_TRUE(camera->waitForDatagrams(3, 2000));
	QThread::msleep(500);
	EXPECT_EQ(payloadTexts(*camera), (QStringList{up, stop, stop})); // the stop's own two attempts
}
