#pragma once

#include "CameraSimulator.h"
#include "viscaIpModule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

// Debug messages of the code under test, captured by the handler that main() installs.
namespace LogCapture {
void install();
void clear();
QStringList messages();
int count(const QString &message);
} // namespace LogCapture

QByteArray hexBytes(const char *spaced);  // "01 00 0a" -> bytes
QString hexText(const QByteArray &bytes); // bytes -> "01 00 0A"
std::string testName(const char *text);   // a GoogleTest-safe name
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
