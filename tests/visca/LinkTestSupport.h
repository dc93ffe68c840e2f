#pragma once

#include "CameraSimulator.h"
#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

extern QStringList logged; // debug messages of the code under test, gathered by main()'s handler

QByteArray hexBytes(const char *spaced);  // "01 00 0a" -> bytes
QString hexText(const QByteArray &bytes); // bytes -> "01 00 0A"
CameraSimulator::Options simulatorOptions(const char *address, const std::string &model = "QK-H57P");

// A link whose camera address is set without the address-set probe, so its first packet is number 1.
template <class Link>
class AimedLink : public Link {
public:
	void aim(const QString &ip, int port) { this->setCamera(ip, port); }
};

template <class Link>
std::unique_ptr<viscaIpModule> aimed(const char *ip, int port)
{
	auto link = std::make_unique<AimedLink<Link>>();
	link->aim(QString::fromLatin1(ip), port);
	return link;
}

enum Family { Plain, H32P, JS4 };

inline std::unique_ptr<viscaIpModule> aimed(Family family, const char *ip, int port)
{
	return family == H32P  ? aimed<H32PViscaIPModule>(ip, port)
	       : family == JS4 ? aimed<JS4ViscaIPModule>(ip, port)
			       : aimed<viscaIpModule>(ip, port);
}
