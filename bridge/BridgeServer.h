#pragma once

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

// The bridge's WebSocket server: plain (non-TLS) websocketpp over standalone Asio.
using BridgeServer = websocketpp::server<websocketpp::config::asio>;
using BridgeHandle = websocketpp::connection_hdl;
