// Time to identify one camera of each family and a silent address. Identification waits up to about
// 350 ms per reply, four waits at most (about 1.4 s); a silent address costs two of them.
#include "models/ModelIdentifier.h"

#include "visca/CameraSimulator.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void silenceLog(QtMsgType, const QMessageLogContext &, const QString &) {}

// model: the simulated camera's model; empty: a silent camera that records and never answers.
void identify(benchmark::State &state, const std::string &model, const std::string &address)
{
	CameraSimulator::Options options;
	options.bindAddress = address;
	options.port = 0;
	options.model = model.empty() ? "QK-H57P" : model;
	options.silent = model.empty();
	CameraSimulator camera(options);
	if (!camera.start()) {
		state.SkipWithError(("simulated camera did not start: " + camera.errorString()).c_str());
		return;
	}
	ModelIdentifier identifier(camera.boundPort());
	const QString ip = QString::fromStdString(address);
	size_t identified = 0;
	for (auto _ : state) {
		const CameraModelMap result = identifier.identifyCamera(ip);
		identified += result.size();
		camera.clear();
	}
	if (identified != (model.empty() ? 0u : static_cast<size_t>(state.iterations())))
		state.SkipWithError("identification gave an unexpected result");
}

} // namespace

BENCHMARK_CAPTURE(identify, H57p_QK_H57P, std::string("QK-H57P"), std::string("127.0.2.201"));
BENCHMARK_CAPTURE(identify, H32P_QK_H32P, std::string("QK-H32P"), std::string("127.0.2.202"));
BENCHMARK_CAPTURE(identify, WD406P_QK_WD406P, std::string("QK-WD406P"), std::string("127.0.2.203"));
BENCHMARK_CAPTURE(identify, WD909P_QK_WD909P, std::string("QK-WD909P"), std::string("127.0.2.204"));
BENCHMARK_CAPTURE(identify, JS4_QK_JS4, std::string("QK-JS4"), std::string("127.0.2.205"));
BENCHMARK_CAPTURE(identify, Silent, std::string(), std::string("127.0.2.206"));

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	qInstallMessageHandler(silenceLog);
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
