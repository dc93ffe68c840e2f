#include "plugin/remote/RemoteArguments.h"

#include "control/RawVisca.h"
#include "models/ViscaParamOps.h"

namespace {

using Direction = CameraSession::Direction;

// A stop the worker found redundant (one already on its way) has done its job.
CameraSession::Done answerStop(const Respond &respond)
{
	return [respond](CameraSession::Outcome outcome) {
		RemoteArguments::answerWhenDone(respond)(
			outcome == CameraSession::Outcome::Dropped ? CameraSession::Outcome::Completed : outcome);
	};
}

// An optional speed argument within the model's range, kept for the drives that follow.
bool applySpeed(CameraSession &camera, const RemoteArguments &arguments, const char *name, CameraSession::Speed speed,
		int low, int high, QString &error)
{
	int value = 0;
	if (arguments.integer(name, low, high, value, error, false))
		camera.setSpeed(speed, value);
	return error.isEmpty();
}

void moveCamera(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	static const QStringList directions = {"up",      "down",     "left",      "right", "upLeft",
					       "upRight", "downLeft", "downRight", "stop",  "home"};
	const RemoteArguments arguments(given);
	QString error;
	CameraSession *camera = arguments.connectedCamera(rig, error);
	const int direction = camera ? arguments.choice("direction", directions, error) : -1;
	if (direction >= 0 && camera->model()) {
		const ViscaParamOps &ops = *camera->model();
		if (applySpeed(*camera, arguments, "panSpeed", CameraSession::Speed::Pan, ops.panSpeedMin(),
			       ops.panSpeedMax(), error))
			applySpeed(*camera, arguments, "tiltSpeed", CameraSession::Speed::Tilt, ops.tiltSpeedMin(),
				   ops.tiltSpeedMax(), error);
	}
	if (!error.isEmpty()) {
		respond(RemoteReply::failure(error));
		return;
	}
	if (direction < 8)
		camera->move(static_cast<Direction>(direction), RemoteArguments::answerWhenDone(respond));
	else if (direction == 8)
		camera->stopMove(answerStop(respond));
	else
		camera->home(RemoteArguments::answerWhenDone(respond));
}

void zoomCamera(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	const RemoteArguments arguments(given);
	QString error;
	CameraSession *camera = arguments.connectedCamera(rig, error);
	const int action = camera ? arguments.choice("action", {"in", "out", "stop"}, error) : -1;
	if (action >= 0)
		applySpeed(*camera, arguments, "speed", CameraSession::Speed::Zoom, 0, 7, error);
	if (!error.isEmpty()) {
		respond(RemoteReply::failure(error));
		return;
	}
	if (action == 2)
		camera->stopZoom({}, answerStop(respond));
	else
		camera->zoom(action == 0, RemoteArguments::answerWhenDone(respond));
}

void focusCamera(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	const RemoteArguments arguments(given);
	QString error;
	CameraSession *camera = arguments.connectedCamera(rig, error);
	const int action =
		camera ? arguments.choice("action", {"near", "far", "stop", "auto", "manual", "onePush"}, error) : -1;
	if (action < 0) {
		respond(RemoteReply::failure(error));
		return;
	}
	switch (action) {
	case 0:
	case 1:
		camera->focus(action == 0, RemoteArguments::answerWhenDone(respond));
		break;
	case 2:
		camera->stopFocus({}, answerStop(respond));
		break;
	case 3:
	case 4:
		camera->set(CameraSession::Setting::AutoFocus, action == 3 ? 1 : 0,
			    RemoteArguments::answerWhenDone(respond));
		break;
	default: {
		// One-push autofocus trigger: CAM_Focus One Push Trigger.
		static const QByteArray trigger = QByteArray::fromHex("8101041801FF");
		camera->sendRaw(trigger, [respond](CameraSession::Outcome outcome, const QList<QByteArray> &) {
			RemoteArguments::answerWhenDone(respond)(outcome);
		});
		break;
	}
	}
}

} // namespace

std::vector<RemoteRequest> motionRequests()
{
	return {{"MoveCamera", moveCamera}, {"ZoomCamera", zoomCamera}, {"FocusCamera", focusCamera}};
}
