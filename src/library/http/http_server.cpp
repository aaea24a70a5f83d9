#include "http_server.h"

#include <sys/epoll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <set>
#include <utility>
#include <vector>

#include "event_poller.h"
#include "support/console.h"

namespace tarnel {

namespace {

using net::Clock;
using std::chrono::milliseconds;

// Connections taken from the accept queue per wake-up, so a flood of new connections cannot
// starve the ones already open.
constexpr int kAcceptBatch = 64;
// With the descriptors used up, accepting resumes when a connection closes, or after this long
// when none is open to close.
constexpr milliseconds kShortageRetry{1000};

class PageServer {
  public:
    PageServer(net::Socket listener, const RouteTable& routes, const ServerLimits& limits);

    // Empty when the server is ready to run, else why it cannot.
    const std::string& setup_error() const { return setup_error_; }
    void run(const net::StopRequested& stop);

  private:
    void accept_ready();
    void advance(int fd, uint32_t events);
    void close_connection(int fd);
    void close_expired();
    void set_accepting(bool accepting);
    int wait_timeout(bool polling_stop) const;

    net::Socket listener_;
    net::EventPoller poller_;
    PageContext context_;
    // Indexed by descriptor; the deadlines are ordered so the next to expire comes first.
    std::vector<std::optional<PageConnection>> connections_;
    std::set<std::pair<Clock::time_point, int>> deadlines_;
    bool accepting_ = true;
    bool shortage_reported_ = false;  // until the accept queue has been emptied again
    Clock::time_point retry_accept_at_;
    std::string setup_error_;
};

PageServer::PageServer(net::Socket listener, const RouteTable& routes, const ServerLimits& limits)
    : listener_(std::move(listener)), context_(routes, limits) {
    net::defer_accept(listener_, limits.accept_without_data);
    setup_error_ = poller_.error();
    if (setup_error_.empty() && (!net::set_blocking(listener_, net::Blocking::No) ||
                                 !poller_.add(listener_.fd(), EPOLLIN))) {
        setup_error_ = net::describe_errno(errno);
    }
}

void PageServer::run(const net::StopRequested& stop) {
    std::array<epoll_event, 256> events;
    while (!(stop && stop())) {
        int count = poller_.wait(events, wait_timeout(static_cast<bool>(stop)));
        context_.now = Clock::now();
        for (const epoll_event& event : std::span(events).first(static_cast<size_t>(count))) {
            if (event.data.fd == listener_.fd()) {
                accept_ready();
            } else {
                advance(event.data.fd, event.events);
            }
        }
        close_expired();
        if (!accepting_ && context_.now >= retry_accept_at_) set_accepting(true);
    }
}

int PageServer::wait_timeout(bool polling_stop) const {
    std::optional<Clock::time_point> wake;
    if (!deadlines_.empty()) wake = deadlines_.begin()->first;
    if (!accepting_) wake = std::min(wake.value_or(retry_accept_at_), retry_accept_at_);
    long long timeout = -1;
    if (wake) {
        timeout =
            std::max<long long>(0, std::chrono::ceil<milliseconds>(*wake - Clock::now()).count());
    }
    if (polling_stop && (timeout < 0 || timeout > net::kStopPollInterval.count())) {
        timeout = net::kStopPollInterval.count();
    }
    return static_cast<int>(std::min<long long>(timeout, 1 << 30));
}

void PageServer::accept_ready() {
    for (int i = 0; i < kAcceptBatch; ++i) {
        net::SocketResult accepted = net::accept_connection(listener_, net::Blocking::No);
        if (!accepted.ok()) {
            const int error = accepted.error_number;
            if (net::would_block(error)) {
                shortage_reported_ = false;  // every waiting connection has been taken
                return;
            }
            if (error == EMFILE || error == ENFILE) {
                // Retrying at once would fail again in a tight loop: wait for a free descriptor.
                if (!shortage_reported_) write_err("Connection error: " + accepted.error + "\n");
                shortage_reported_ = true;
                set_accepting(false);
                return;
            }
            write_err("Connection error: " + accepted.error + "\n");
            continue;
        }
        PageConnection connection(std::move(accepted.socket), context_.now, context_.limits);
        // The kernel hands most connections over with their request already there: answer at
        // once, and watch only the connections that have to wait.
        if (connection.advance(EPOLLIN, context_) == PageConnection::Step::Close) continue;
        const int fd = connection.fd();
        if (!poller_.add(fd, EPOLLIN | EPOLLOUT | EPOLLET)) {
            write_err("Connection error: " + net::describe_errno(errno) + "\n");
            continue;
        }
        if (static_cast<size_t>(fd) >= connections_.size()) connections_.resize(fd + 1);
        connections_[fd].emplace(std::move(connection));
        deadlines_.emplace(connections_[fd]->deadline(), fd);
    }
}

void PageServer::advance(int fd, uint32_t events) {
    if (static_cast<size_t>(fd) >= connections_.size() || !connections_[fd]) return;
    PageConnection& connection = *connections_[fd];
    const Clock::time_point before = connection.deadline();
    if (connection.advance(events, context_) == PageConnection::Step::Close) {
        close_connection(fd);
    } else if (connection.deadline() != before) {
        deadlines_.erase({before, fd});
        deadlines_.emplace(connection.deadline(), fd);
    }
}

void PageServer::close_connection(int fd) {
    deadlines_.erase({connections_[fd]->deadline(), fd});
    connections_[fd].reset();  // closing the descriptor also takes it out of the poller
    if (!accepting_) set_accepting(true);
}

// A connection that has not finished by its deadline is closed without a word.
void PageServer::close_expired() {
    while (!deadlines_.empty() && deadlines_.begin()->first <= context_.now) {
        close_connection(deadlines_.begin()->second);
    }
}

void PageServer::set_accepting(bool accepting) {
    accepting_ = accepting;
    if (!accepting) retry_accept_at_ = context_.now + kShortageRetry;
    poller_.modify(listener_.fd(), accepting ? uint32_t{EPOLLIN} : 0u);
}

}  // namespace

std::optional<std::string> serve_pages(net::Socket listener, const RouteTable& routes,
                                       const net::StopRequested& stop, const ServerLimits& limits) {
    PageServer server(std::move(listener), routes, limits);
    if (!server.setup_error().empty()) return server.setup_error();
    server.run(stop);
    return std::nullopt;
}

std::optional<std::string> run_page_server(uint16_t port, const RouteTable& routes,
                                           const net::StopRequested& stop) {
    std::string port_text = std::to_string(port);
    write_out("Starting HTTP server on port " + port_text + "\n");
    flush_out();
    net::SocketResult listener = net::listen_tcp("127.0.0.1", port, 128);
    if (!listener.ok()) return listener.error;
    PageServer server(std::move(listener.socket), routes, ServerLimits{});
    if (!server.setup_error().empty()) return server.setup_error();
    write_out("Server listening on http://127.0.0.1:" + port_text + "\n");
    flush_out();
    server.run(stop);
    return std::nullopt;
}

}  // namespace tarnel
