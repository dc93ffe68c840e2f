#include "plugin/remote/RemoteArguments.h"

#include "control/CameraRig.h"

#include <QJsonArray>

namespace {

void getCameras(CameraRig &rig, const QJsonObject &, const Respond &respond)
{
	QJsonArray cameras;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		const CameraSession *session = rig.session(slot);
		cameras.append(QJsonObject{{"camera", slot},
					   {"name", rig.slotName(slot)},
					   {"address", session->address()},
					   {"model", session->modelName()},
					   {"state", RemoteArguments::stateName(session->state())},
					   {"selected", rig.selectedSlot() == slot}});
	}
	respond(RemoteReply::success({{"cameras", cameras}}));
}

// As a click on the slot: a camera without an address or one that does not answer is not selected.
void selectCamera(CameraRig &rig, const QJsonObject &arguments, const Respond &respond)
{
	QString error;
	int slot = 0;
	if (!RemoteArguments(arguments).integer("camera", 1, CameraRig::slotCount, slot, error)) {
		respond(RemoteReply::failure(
			arguments.contains(QStringLiteral("camera")) ? QStringLiteral("unknown camera") : error));
		return;
	}
	switch (rig.session(slot)->state()) {
	case CameraSession::State::NoAddress:
		respond(RemoteReply::failure(QStringLiteral("no address")));
		return;
	case CameraSession::State::NotAnswering:
		respond(RemoteReply::failure(QStringLiteral("camera not answering")));
		return;
	default:
		rig.select(slot);
		respond(RemoteReply::success({{"camera", slot}}));
	}
}

} // namespace

std::vector<RemoteRequest> cameraRequests()
{
	return {{"GetCameras", getCameras}, {"SelectCamera", selectCamera}};
}
