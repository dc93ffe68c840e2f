#include "plugin/remote/RemoteArguments.h"

#include "control/RawVisca.h"

#include <QJsonArray>

namespace {

// One VISCA message to the slot's own camera (never to an address the request could name), with its replies. Each
// reply is an object {"hex": "90 41 FF"}: OBS's data arrays, through which answers travel, hold objects only.
void sendViscaCommand(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	QString error;
	CameraSession *camera = RemoteArguments(given).connectedCamera(rig, error);
	const QByteArray visca =
		camera ? RawVisca::parse(given.value(QStringLiteral("command")).toString(), error) : QByteArray();
	if (camera == nullptr || visca.isEmpty()) {
		respond(RemoteReply::failure(error));
		return;
	}
	camera->sendRaw(visca, [respond](CameraSession::Outcome outcome, const QList<QByteArray> &replies) {
		QJsonArray texts;
		for (const QByteArray &reply : replies)
			texts.append(QJsonObject{{"hex", QString::fromLatin1(reply.toHex(' ').toUpper())}});
		const QJsonObject data{{"replies", texts}};
		respond(outcome == CameraSession::Outcome::Completed
				? RemoteReply::success(data)
				: RemoteReply::failure(replies.isEmpty() ? QStringLiteral("camera did not answer")
									 : RemoteArguments::outcomeError(outcome),
						       data));
	});
}

} // namespace

std::vector<RemoteRequest> viscaRequests()
{
	return {{"SendViscaCommand", sendViscaCommand}};
}
