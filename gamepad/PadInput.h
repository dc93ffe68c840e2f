#pragma once

#include "gamepad/PadMapping.h"

#include <QMetaType>

#include <array>
#include <cstdint>

// One reading of a pad: raw axes (sticks -32768..32767, triggers 0..32767) and the pressed buttons as bits, in
// the standard controller layout's numbering.
struct PadInput {
	std::array<int, PadMapping::axisCount> axes{};
	uint32_t buttons = 0;

	bool pressed(int button) const { return (buttons >> button) & 1u; }
	bool operator==(const PadInput &other) const { return axes == other.axes && buttons == other.buttons; }
	bool operator!=(const PadInput &other) const { return !(*this == other); }
};
Q_DECLARE_METATYPE(PadInput)
