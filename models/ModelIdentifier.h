#pragma once

#include "models/CameraModelEntry.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

class ModelRegistry;
class viscaIpModule;

// Finds out which model answers at an address, with two temporary links that live for one identifyCamera call.
// Made for one use (one slot selection, one discovery search); blocks the calling thread while it waits.
class ModelIdentifier {
public:
	static constexpr int defaultPort = 52381;
	// Devices identified at once by identifyCameras: a silent one holds its thread for two reply waits.
	static constexpr size_t maxParallel = 8;

	// port: the cameras' VISCA port; only tools and tests use another one.
	explicit ModelIdentifier(int port = defaultPort);
	~ModelIdentifier();

	ModelIdentifier(const ModelIdentifier &) = delete;
	ModelIdentifier &operator=(const ModelIdentifier &) = delete;

	// One entry, IP text → (model name, new parameter object), when identified; empty otherwise.
	CameraModelMap identifyCamera(const QString &ip);
	// Identifies the devices (IP text → announced name), up to maxParallel at once on threads of their own,
	// and keeps those that pass in list order, named by their announced names.
	void identifyCameras(const std::vector<std::map<QString, QString>> &devices);
	std::vector<CameraModelMap> identifiedCameras() const;

private:
	bool probeJs4(viscaIpModule &link, std::string &model);
	bool probeFirstId(viscaIpModule &link, std::string &model);
	bool probeSecondId(viscaIpModule &link, std::string &model);
	std::string modelNameForReply(const QByteArray &reply, bool logCode) const;

	std::vector<CameraModelMap> m_results;
	std::unique_ptr<ModelRegistry> m_registry;
	int m_port;
};
