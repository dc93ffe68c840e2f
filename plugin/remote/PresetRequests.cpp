#include "plugin/remote/RemoteArguments.h"

#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

#include <QJsonArray>

namespace {

constexpr int highestPreset = 19;

void callPreset(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	const RemoteArguments arguments(given);
	QString error;
	int preset = 0;
	CameraSession *camera = arguments.connectedCamera(rig, error);
	if (camera == nullptr || !arguments.integer("preset", 1, highestPreset, preset, error)) {
		respond(RemoteReply::failure(error));
		return;
	}
	rig.recallPreset(camera->slot(), preset, CameraRig::Origin::Request, RemoteArguments::answerWhenDone(respond));
}

void storePreset(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	const RemoteArguments arguments(given);
	QString error;
	int preset = 0;
	CameraSession *camera = arguments.connectedCamera(rig, error);
	if (camera == nullptr || !arguments.integer("preset", 1, highestPreset, preset, error)) {
		respond(RemoteReply::failure(error));
		return;
	}
	camera->storePreset(preset, RemoteArguments::answerWhenDone(respond));
}

// Names of presets 1-9 (shared by the cameras) and the preset speed stored for this camera (null when none).
void getPresets(CameraRig &rig, const QJsonObject &given, const Respond &respond)
{
	QString error;
	const CameraSession *camera = RemoteArguments(given).camera(rig, error);
	if (camera == nullptr) {
		respond(RemoteReply::failure(error));
		return;
	}
	const PanelSettings &settings = PanelSettings::instance();
	QJsonArray presets;
	for (int number = 1; number <= PanelSettings::presetNameCount; ++number)
		presets.append(QJsonObject{{"preset", number}, {"name", settings.presetName(number)}});
	const QString prefix = camera->settingsPrefix();
	const bool hasSpeed = camera->state() == CameraSession::State::Connected &&
			      settings.hasCameraValue(prefix, PanelSettings::CameraField::PresetSpeed);
	respond(RemoteReply::success(
		{{"camera", camera->slot()},
		 {"presets", presets},
		 {"presetSpeed",
		  hasSpeed ? QJsonValue(settings.cameraValue(prefix, PanelSettings::CameraField::PresetSpeed))
			   : QJsonValue()}}));
}

} // namespace

std::vector<RemoteRequest> presetRequests()
{
	return {{"CallPreset", callPreset}, {"StorePreset", storePreset}, {"GetPresets", getPresets}};
}
