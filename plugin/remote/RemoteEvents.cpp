#include "plugin/remote/RemoteEvents.h"

#include "plugin/remote/RemoteArguments.h"

RemoteEvents::RemoteEvents(CameraRig &rig, Emit emitEvent) : QObject(&rig), m_emit(std::move(emitEvent))
{
	connect(&rig, &CameraRig::sessionStateChanged, this, [this](int slot, CameraSession::State state) {
		m_emit("CameraStateChanged", {{"camera", slot}, {"state", RemoteArguments::stateName(state)}});
	});
	connect(&rig, &CameraRig::selectionChanged, this, [this](int slot) {
		m_emit("CameraSelected", {{"camera", slot}});
	});
	connect(&rig, &CameraRig::presetRecalled, this, [this](int slot, int number, CameraRig::Origin by) {
		m_emit("PresetRecalled", {{"camera", slot}, {"preset", number}, {"by", originName(by)}});
	});
}

QString RemoteEvents::originName(CameraRig::Origin origin)
{
	switch (origin) {
	case CameraRig::Origin::Panel:
		return QStringLiteral("panel");
	case CameraRig::Origin::HotKey:
		return QStringLiteral("hotkey");
	case CameraRig::Origin::Request:
		return QStringLiteral("request");
	case CameraRig::Origin::Scene:
		return QStringLiteral("scene");
	case CameraRig::Origin::Gamepad:
		break;
	}
	return QStringLiteral("gamepad");
}
