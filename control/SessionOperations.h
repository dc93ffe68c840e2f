#pragma once

#include "control/CameraSession.h"

class viscaIpModule;

// The link calls behind the session's typed settings and reads, as tables: one place says which command a
// setting sends, which inquiry a value reads, and which settings merge while they wait.
namespace SessionOperations {

// Merge kind on the camera's worker: a waiting setting of the same kind gives way to the newest (0: never).
int mergeKind(CameraSession::Setting setting);
bool apply(viscaIpModule &link, CameraSession::Setting setting, int value);
int inquire(viscaIpModule &link, CameraSession::Value value);
// index: 0 pan, 1 tilt, 2 zoom, 3 focus.
void setLinkSpeed(viscaIpModule &link, int index, int value);

} // namespace SessionOperations
