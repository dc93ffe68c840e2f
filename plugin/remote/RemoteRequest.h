#pragma once

#include "control/CameraSession.h"

#include <QJsonObject>
#include <QString>

#include <functional>
#include <vector>

class CameraRig;

// A remote request's answer: every one carries "ok", and "error" text when it is false.
struct RemoteReply {
	bool ok = false;
	QString error;
	QJsonObject data;

	static RemoteReply success(const QJsonObject &data = {});
	static RemoteReply failure(const QString &error, const QJsonObject &data = {});
	QJsonObject toJson() const;
};

// Called once with the answer, on the interface thread.
using Respond = std::function<void(const RemoteReply &)>;

// One vendor request: run on the interface thread with the request's data; answers through respond, at once or
// when the camera has finished. Never waits.
struct RemoteRequest {
	const char *type;
	std::function<void(CameraRig &rig, const QJsonObject &arguments, const Respond &respond)> run;
};

// The requests by subject.
std::vector<RemoteRequest> cameraRequests();
std::vector<RemoteRequest> motionRequests();
std::vector<RemoteRequest> presetRequests();
std::vector<RemoteRequest> viscaRequests();
