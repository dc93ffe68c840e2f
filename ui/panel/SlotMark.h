#pragma once

#include "control/CameraRig.h"
#include "control/CameraSession.h"

class QAbstractButton;

// Shows a camera's state on its slot button: a small coloured mark, beside it a red one while the camera is on
// program or a green one while it is on preview, and the same in words in the tool tip and the accessible
// description.
void showSlotState(QAbstractButton *button, CameraSession::State state, CameraRig::OnAir air = CameraRig::OnAir::No);
