#include "models/ModelIdentifier.h"

#include "models/ModelRegistry.h"

#include "visca/CameraWorker.h"
#include "visca/JS4ViscaIPModule.h"
#include "visca/viscaIpModule.h"
#include "visca/DeveloperLog.h"

#include <QtDebug>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

namespace {

// A reply shorter than this cannot hold an answer with the three ID bytes at positions 10 to 12.
constexpr int minimumIdReplyLength = 18;

const unsigned char versionInquiry[] = {0x81, 0x09, 0x00, 0x02, 0xFF};
const unsigned char firstIdInquiry[] = {0x81, 0x01, 0x02, 0x03, 0xFF};
const unsigned char secondIdInquiry[] = {0x81, 0x09, 0x00, 0x02, 0x00, 0x03, 0xFF};

const char notMatchLine[] = "IP Not match custom------------------------\n";

} // namespace

ModelIdentifier::ModelIdentifier(int port) : m_registry(std::make_unique<ModelRegistry>()), m_port(port) {}

ModelIdentifier::~ModelIdentifier() = default;

CameraModelMap ModelIdentifier::identifyCamera(const QString &ip)
{
	// Both links go away with this call, on every path.
	auto plainLink = std::make_unique<viscaIpModule>();
	std::unique_ptr<viscaIpModule> js4Link = std::make_unique<JS4ViscaIPModule>();

	// The JS4 link's connect sends nothing; it only sets the address.
	js4Link->connectCamera(ip, m_port);

	std::string model;
	if (!probeJs4(*js4Link, model)) {
		if (!plainLink->connectCamera(ip, m_port)) {
			DeveloperLog::line("%s", notMatchLine);
			return {};
		}
		DeveloperLog::line("IP custom------------------------\n");
		if (probeFirstId(*plainLink, model)) {
			DeveloperLog::line(" tmpH32P connect camID = %s", model.c_str());
		} else if (probeSecondId(*plainLink, model)) {
			DeveloperLog::line(" tmpP77K connect ");
		} else {
			DeveloperLog::line("%s", notMatchLine);
			return {};
		}
	}

	CameraModelMap result;
	result[ip.toStdString()] = CameraModelEntry{model, m_registry->createParamOps(model)};
	return result;
}

void ModelIdentifier::identifyCameras(const std::vector<std::map<QString, QString>> &devices)
{
	m_results.clear();
	std::vector<std::pair<QString, QString>> listed;
	for (const auto &device : devices)
		listed.insert(listed.end(), device.begin(), device.end());

	// Each thread takes the next device of the list; every result keeps the place of its device. The threads
	// stop with the worker this search runs on (the dialog closing, OBS quitting).
	std::vector<CameraModelMap> found(listed.size());
	std::atomic<size_t> next{0};
	CameraWorker *worker = CameraWorker::current();
	std::vector<std::thread> threads;
	for (size_t i = 0; i < std::min(maxParallel, listed.size()); ++i) {
		threads.emplace_back([&, worker] {
			CameraWorker::adopt(worker);
			for (size_t at = next++; at < listed.size(); at = next++)
				found[at] = identifyCamera(listed[at].first);
		});
	}
	for (std::thread &thread : threads)
		thread.join();

	for (size_t at = 0; at < listed.size(); ++at) {
		if (found[at].empty())
			continue;
		for (auto &entry : found[at])
			entry.second.name = listed[at].second.toStdString();
		m_results.push_back(std::move(found[at]));
	}
}

std::vector<CameraModelMap> ModelIdentifier::identifiedCameras() const
{
	return m_results;
}

bool ModelIdentifier::probeJs4(viscaIpModule &link, std::string &model)
{
	QByteArray reply;
	link.sendRawInquiry(reply, versionInquiry, sizeof(versionInquiry));
	if (reply.isEmpty()) {
		DeveloperLog::line("JS4 parse failed , No data");
		return false;
	}
	if (reply.size() < minimumIdReplyLength) {
		DeveloperLog::line("JS4 parse failed, data Not Match");
		return false;
	}
	// 90 50 then the vendor code: 02 01 is the JS4's.
	if (static_cast<unsigned char>(reply.at(10)) != 0x02 || static_cast<unsigned char>(reply.at(11)) != 0x01)
		return false;
	model = "QK-JS4";
	return true;
}

bool ModelIdentifier::probeFirstId(viscaIpModule &link, std::string &model)
{
	QByteArray reply;
	link.sendRawInquiry(reply, firstIdInquiry, sizeof(firstIdInquiry));
	if (reply.isEmpty()) {
		DeveloperLog::line("H32P1 parse failed,Not Match,set default");
		return false;
	}
	if (reply.size() < minimumIdReplyLength) {
		DeveloperLog::line("H32P2 parse failed,Not Match,set default");
		return false;
	}
	model = modelNameForReply(reply, false);
	return true;
}

bool ModelIdentifier::probeSecondId(viscaIpModule &link, std::string &model)
{
	QByteArray reply;
	link.sendRawInquiry(reply, secondIdInquiry, sizeof(secondIdInquiry));
	if (reply.isEmpty()) {
		DeveloperLog::line("P77K parse failed  arr.isEmpty()");
		return false;
	}
	if (reply.size() < minimumIdReplyLength) {
		DeveloperLog::line("P77K parse failed inq.length() < 36");
		return false;
	}
	DeveloperLog::line(" inq   =  %s", reply.toHex().constData());
	model = modelNameForReply(reply, true);
	return true;
}

std::string ModelIdentifier::modelNameForReply(const QByteArray &reply, bool logCode) const
{
	// One character per byte; a byte above 0x7F becomes a character no record's code holds, hence "Unknown".
	QString code;
	for (int i = 10; i <= 12; ++i)
		code.append(QChar(static_cast<unsigned char>(reply.at(i))));
	if (logCode)
		DeveloperLog::line(" CamIdCode   =  %s", qUtf8Printable(code));
	return m_registry->modelNameForCode(code.toStdString());
}
