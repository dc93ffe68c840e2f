#pragma once

#include "control/CameraSession.h"

class QAbstractButton;

// Shows a camera's state on its slot button: a small coloured mark, and the state in words in the tool tip and
// the accessible description.
void showSlotState(QAbstractButton *button, CameraSession::State state);
