#pragma once

#include <QByteArray>

class viscaIpModule;

// The camera's tally lamps: the red one (on air) and the green one (next up).
namespace TallyLamp {

enum class Lamp { Red, Green };

// The VISCA command for camera 1: 81 01 7E 01 0A 00 0p FF (red) or 81 01 7E 04 1A 00 0p FF (green), p = 2 on,
// 3 off.
QByteArray command(Lamp lamp, bool on);

// Sends the command once (a lamp change is never repeated) and waits for its acknowledgement and completion.
bool send(viscaIpModule &link, Lamp lamp, bool on);

} // namespace TallyLamp
