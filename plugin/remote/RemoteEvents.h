#pragma once

#include "control/CameraRig.h"

#include <QJsonObject>
#include <QObject>

#include <functional>

// The rig's changes as vendor events: CameraStateChanged, CameraSelected, PresetRecalled.
class RemoteEvents : public QObject {
	Q_OBJECT

public:
	using Emit = std::function<void(const char *type, const QJsonObject &data)>;

	RemoteEvents(CameraRig &rig, Emit emitEvent);

	static QString originName(CameraRig::Origin origin);

private:
	Emit m_emit;
};
