#pragma once

#include "CameraSimulator.h"
#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

inline void PrintTo(const QString &text, std::ostream *out) // readable failure messages
{
	*out << '"' << text.toStdString() << '"';
}

extern QStringList logged; // debug messages of the code under test, gathered by main()'s handler

QByteArray hexBytes(const char *spaced);  // "01 00 0a" -> bytes
QString hexText(const QByteArray &bytes); // bytes -> "01 00 0A"
using O = CameraSimulator::Options;
// A started camera ("QK-H57P" unless changed) on a free port of a loopback address.
std::unique_ptr<CameraSimulator> startCamera(const char *address, const std::function<void(O &)> &change = {});

// Runs the event loop until done() or the time ran out; the result is done()'s last answer.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000);
// Runs the event loop for that long.
void spin(int milliseconds);

enum Family { Plain, H32P, JS4 };

// A link whose camera address is set without the address-set probe, so its first packet is number 1.
template <class Link>
class AimedLink : public Link {
public:
	explicit AimedLink(const char *ip, int port) { this->setCamera(QString::fromLatin1(ip), port); }
};

inline std::unique_ptr<viscaIpModule> aimed(Family family, const char *ip, int port)
{
	if (family == H32P)
		return std::make_unique<AimedLink<H32PViscaIPModule>>(ip, port);
	if (family == JS4)
		return std::make_unique<AimedLink<JS4ViscaIPModule>>(ip, port);
	return std::make_unique<AimedLink<viscaIpModule>>(ip, port);
}
