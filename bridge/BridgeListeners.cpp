#include "BridgeListeners.h"

#include "BridgeLog.h"

#include <QPair>
#include <QStringList>

#include <algorithm>
#include <cerrno>

namespace {

using LogLevel = ViscaTransfer::LogLevel;

// After a failed accept (out of file descriptors, say) the listener waits instead of spinning.
constexpr std::chrono::milliseconds acceptRetry{250};
// While every handshake place is taken by young connections, how often the listener looks again.
constexpr std::chrono::milliseconds placeRetry{20};

QString reasonText(const std::error_code &ec)
{
	if (ec == asio::error::address_in_use)
		return QStringLiteral("another program is using it");
	if (ec == asio::error::address_family_not_supported ||
	    ec == std::error_code(EADDRNOTAVAIL, asio::error::get_system_category()))
		return QStringLiteral("this address is not available on this machine");
	return QString::fromStdString(ec.message());
}

bool sameHandle(const BridgeHandle &a, const BridgeHandle &b)
{
	return !a.owner_before(b) && !b.owner_before(a);
}

} // namespace

BridgeListeners::BridgeListeners(BridgeServer &s, asio::io_service &ioService, BridgeAccessLog &log)
	: server(s), io(ioService), accessLog(log)
{
}

QList<QHostAddress> BridgeListeners::listen(const QList<QHostAddress> &addresses, quint16 port)
{
	QList<QHostAddress> bound;
	QList<QPair<QHostAddress, std::error_code>> failures;
	for (const QHostAddress &address : addresses) {
		std::error_code ec;
		const asio::ip::address ip = asio::ip::make_address(address.toString().toStdString(), ec);
		if (ec) {
			failures.append({address, ec});
			continue;
		}
		Listener &listener = listeners.emplace_back(io, address);
		const asio::ip::tcp::endpoint endpoint(ip, port);
		listener.acceptor.open(endpoint.protocol(), ec);
		// Each address is bound on its own: "::" must not take the IPv4 side as well.
		if (!ec && ip.is_v6())
			listener.acceptor.set_option(asio::ip::v6_only(true), ec);
		if (!ec)
			listener.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
		if (!ec)
			listener.acceptor.bind(endpoint, ec);
		if (!ec)
			listener.acceptor.listen(asio::socket_base::max_listen_connections, ec);
		if (ec) {
			failures.append({address, ec});
			listeners.pop_back();
			continue;
		}
		bound.append(address);
	}

	QStringList boundTexts;
	bool open = false;
	for (const QHostAddress &address : bound) {
		boundTexts.append(address.toString());
		open = open || !address.isLoopback();
	}
	if (bound.isEmpty()) {
		std::error_code reason = failures.isEmpty() ? std::error_code() : failures.first().second;
		for (const auto &failure : failures)
			if (failure.second == asio::error::address_in_use)
				reason = failure.second;
		bridgeLog(LogLevel::Warning,
			  QStringLiteral("ViscaTransfer: Cannot listen on port %1: %2. The WebSocket bridge is off.")
				  .arg(port)
				  .arg(failures.isEmpty() ? QStringLiteral("no address to listen on")
							  : reasonText(reason)));
		return bound;
	}
	for (const auto &failure : failures)
		bridgeLog(LogLevel::Warning,
			  QStringLiteral("ViscaTransfer: Cannot listen on %1 port %2: %3. Listening on %4 only.")
				  .arg(failure.first.toString())
				  .arg(port)
				  .arg(reasonText(failure.second))
				  .arg(boundTexts.join(QStringLiteral(" and "))));
	bridgeLog(LogLevel::Info, QStringLiteral("ViscaTransfer: Listening on %1, port %2")
					  .arg(boundTexts.join(QStringLiteral(" and ")))
					  .arg(port));
	if (open)
		bridgeLog(LogLevel::Warning,
			  QStringLiteral("ViscaTransfer: The bridge is open to the network: other computers "
					 "can connect to port %1 and drive the cameras")
				  .arg(port));
	return bound;
}

void BridgeListeners::start()
{
	for (Listener &listener : listeners)
		accept(listener);
}

void BridgeListeners::retryLater(Listener &listener, std::chrono::milliseconds delay)
{
	listener.retry.expires_after(delay);
	listener.retry.async_wait([this, &listener](const std::error_code &error) {
		if (!error && !closing)
			accept(listener);
	});
}

void BridgeListeners::accept(Listener &listener)
{
	if (handshaking.size() >= maxHandshaking) {
		if (std::chrono::steady_clock::now() - handshaking.front().since < handshakeGrace) {
			retryLater(listener, placeRetry);
			return;
		}
		accessLog.write(BridgeAccessLog::Event::Refused, LogLevel::Info,
				QStringLiteral("ViscaTransfer: Too many connections in their handshake; the oldest "
					       "silent one is cut off"));
		const BridgeHandle oldest = handshaking.front().handle;
		handshaking.pop_front();
		std::error_code ignored;
		if (BridgeServer::connection_ptr stale = server.get_con_from_hdl(oldest, ignored))
			stale->terminate(std::error_code());
	}
	BridgeServer::connection_ptr connection = server.get_connection();
	listener.acceptor.async_accept(
		connection->get_raw_socket(), [this, &listener, connection](const std::error_code &ec) {
			if (closing || ec == asio::error::operation_aborted)
				return;
			if (ec) {
				if (!listener.errorLogged)
					bridgeLog(LogLevel::Warning,
						  QStringLiteral("ViscaTransfer: Cannot accept connections: %1")
							  .arg(QString::fromStdString(ec.message())));
				listener.errorLogged = true;
				retryLater(listener, acceptRetry);
				return;
			}
			listener.errorLogged = false;
			handshaking.push_back({connection->get_handle(), std::chrono::steady_clock::now()});
			connection->start();
			accept(listener);
		});
}

bool BridgeListeners::endHandshake(const BridgeHandle &hdl)
{
	const auto it = std::find_if(handshaking.begin(), handshaking.end(),
				     [&hdl](const Handshake &h) { return sameHandle(h.handle, hdl); });
	if (it == handshaking.end())
		return false;
	handshaking.erase(it);
	return true;
}

bool BridgeListeners::inHandshake(const BridgeHandle &hdl) const
{
	return std::any_of(handshaking.begin(), handshaking.end(),
			   [&hdl](const Handshake &h) { return sameHandle(h.handle, hdl); });
}

void BridgeListeners::close(const std::function<bool(const BridgeHandle &)> &admitted)
{
	closing = true;
	std::error_code ignored;
	for (Listener &listener : listeners) {
		listener.acceptor.close(ignored);
		listener.retry.cancel();
	}
	const auto pending = handshaking;
	for (const Handshake &handshake : pending) {
		BridgeServer::connection_ptr connection = server.get_con_from_hdl(handshake.handle, ignored);
		if (connection && !admitted(handshake.handle))
			connection->terminate(std::error_code());
	}
}
