// One connection of the page server, from its single receive to its close, advanced in steps
// that never block so that one event loop can carry many connections at once.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "route_table.h"
#include "socket.h"

namespace tarnel {

struct ServerLimits {
    // Most clients send their request right behind the handshake. The kernel hands over a
    // connection when its first data arrives, or after this long without any (0: at once),
    // which saves a wake-up, a receive and a registration per connection.
    std::chrono::seconds accept_without_data{1};
    // How long a connection may wait for its request, or for room to send its answer.
    std::chrono::milliseconds io_timeout{5000};
    // After answering, unread input is drained before closing, so the kernel does not reset the
    // connection and destroy the answer in flight. A request that arrived whole needs no wait:
    // only what is already buffered is discarded. Otherwise more may be on its way, and the
    // drain waits for it (or for the peer to close) within bounds of time and size.
    std::chrono::milliseconds drain_wait{200};
    size_t drain_bytes = size_t{1} << 20;
};

// What the connections of one server share. Only one connection is advanced at a time, so the
// buffers are reused by all of them and answering a request allocates nothing once warm.
struct PageContext {
    static constexpr size_t kRequestBytes = 1024;

    PageContext(const RouteTable& table, const ServerLimits& server_limits)
        : routes(table), limits(server_limits) {}

    const RouteTable& routes;
    ServerLimits limits;
    net::Clock::time_point now{};  // the time of the events being handled
    std::array<char, kRequestBytes> request{};
    std::array<char, 16 * 1024> scratch{};
    std::string path;
    std::string response;
};

class PageConnection {
  public:
    enum class Step { Wait, Close };

    // `socket` is non-blocking; once a step has returned Wait, it is to be watched
    // edge-triggered for reading and writing.
    PageConnection(net::Socket socket, net::Clock::time_point now, const ServerLimits& limits);

    // Does all that the connection's state allows without blocking, given the readiness
    // `events` (EPOLLIN, ...) just reported. Close means the connection is finished.
    Step advance(uint32_t events, PageContext& context);

    int fd() const { return socket_.fd(); }
    // When the connection is to be closed if it has not finished by then.
    net::Clock::time_point deadline() const { return deadline_; }

  private:
    enum class Phase { Receiving, Sending, Draining };

    Step receive(PageContext& context);
    Step send_rest(PageContext& context);
    Step start_drain(PageContext& context);
    Step drain(PageContext& context);

    net::Socket socket_;
    Phase phase_ = Phase::Receiving;
    // False when the request arrived whole: the drain then takes only what is buffered.
    bool drain_waits_ = false;
    size_t drained_ = 0;
    std::string unsent_;  // the part of the answer the socket has not taken yet
    size_t unsent_offset_ = 0;
    net::Clock::time_point deadline_;
};

}  // namespace tarnel
