// The page server: one event loop answering many connections at once, each from a route table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "page_connection.h"
#include "route_table.h"
#include "socket.h"

namespace tarnel {

// Serves connections on `listener` until `stop` says so (an empty predicate never does; it is
// asked at least every 100 ms), then closes every connection and the listener. Returns the
// description of why serving could not start, or nothing after a stop.
std::optional<std::string> serve_pages(net::Socket listener, const RouteTable& routes,
                                       const net::StopRequested& stop = {},
                                       const ServerLimits& limits = {});

// Prints the two start lines around binding 127.0.0.1:port, then serves until `stop` says so.
// Returns the platform's description of a failure to set up, or nothing after a stop.
std::optional<std::string> run_page_server(uint16_t port, const RouteTable& routes,
                                           const net::StopRequested& stop = {});

}  // namespace tarnel
