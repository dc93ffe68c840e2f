#include "ViscaTransfer.h"

#include "BridgeConnections.h"
#include "BridgeLog.h"

#include <QThread>
#include <QtDebug>

#include <mutex>

namespace {

using LogLevel = ViscaTransfer::LogLevel;

// How long the clients get to finish the close handshake before the event loop is stopped.
constexpr unsigned long closeGraceMs = 250;

std::mutex sinkMutex;
ViscaTransfer::LogSink logSink;

} // namespace

void bridgeLog(LogLevel level, const QString &line)
{
	ViscaTransfer::LogSink sink;
	{
		std::lock_guard<std::mutex> lock(sinkMutex);
		sink = logSink;
	}
	if (sink) {
		sink(level, line);
		return;
	}
	switch (level) {
	case LogLevel::Debug:
		qDebug("%s", qUtf8Printable(line));
		break;
	case LogLevel::Info:
		qInfo("%s", qUtf8Printable(line));
		break;
	case LogLevel::Warning:
		qWarning("%s", qUtf8Printable(line));
		break;
	}
}

// One run of the server, from startServer to stopServer; a restart makes a new one.
struct ViscaTransfer::Private {
	quint16 webSocketPort;
	quint16 udpPort;
	QList<QHostAddress> listenAddresses = ViscaTransfer::loopbackAddresses();

	struct Run {
		BridgeConnections connections;
		std::unique_ptr<QThread> thread;

		Run(quint16 webSocketPort, quint16 udpPort) : connections(webSocketPort, udpPort) {}
	};
	std::unique_ptr<Run> run;

	Private(quint16 wsPort, quint16 uPort) : webSocketPort(wsPort), udpPort(uPort) {}
};

void ViscaTransfer::setLogSink(LogSink sink)
{
	std::lock_guard<std::mutex> lock(sinkMutex);
	logSink = std::move(sink);
}

ViscaTransfer::ViscaTransfer(QObject *parent, quint16 webSocketPort, quint16 udpPort)
	: QObject(parent), d(std::make_unique<Private>(webSocketPort, udpPort))
{
}

ViscaTransfer::~ViscaTransfer()
{
	stopServer();
}

QList<QHostAddress> ViscaTransfer::loopbackAddresses()
{
	return {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
}

QList<QHostAddress> ViscaTransfer::networkAddresses()
{
	return {QHostAddress(QHostAddress::AnyIPv4), QHostAddress(QHostAddress::AnyIPv6)};
}

void ViscaTransfer::setListenAddresses(const QList<QHostAddress> &addresses)
{
	d->listenAddresses = addresses;
}

void ViscaTransfer::setOpenToNetwork(bool open)
{
	setListenAddresses(open ? networkAddresses() : loopbackAddresses());
	if (d->run) {
		stopServer();
		startServer();
	}
}

void ViscaTransfer::startServer()
{
	if (d->run)
		return;
	auto run = std::make_unique<Private::Run>(d->webSocketPort, d->udpPort);
	if (!run->connections.setUp(d->listenAddresses))
		return;
	BridgeConnections *connections = &run->connections;
	run->thread.reset(QThread::create([connections] { connections->run(); }));
	run->thread->start();
	d->run = std::move(run);
}

bool ViscaTransfer::isListening() const
{
	return d->run != nullptr;
}

QList<QHostAddress> ViscaTransfer::listeningAddresses() const
{
	return d->run ? d->run->connections.boundAddresses() : QList<QHostAddress>();
}

void ViscaTransfer::stopServer()
{
	if (!d->run)
		return;
	Private::Run *r = d->run.get();
	r->connections.shutdown();
	// Clients that answer the close frame let the loop run dry by itself; the others are cut off.
	if (!r->thread->wait(closeGraceMs)) {
		r->connections.stop();
		r->thread->wait();
	}
	bridgeLog(LogLevel::Info,
		  QStringLiteral("ViscaTransfer: Stopped listening on port %1").arg(r->connections.port()));
	d->run.reset();
}
