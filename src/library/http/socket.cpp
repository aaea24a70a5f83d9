#include "socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

namespace tarnel::net {

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddrInfoList = std::unique_ptr<addrinfo, AddrInfoDeleter>;

// Resolves host and port for a TCP stream; on failure `error` holds the description.
AddrInfoList resolve(std::string_view host, uint16_t port, bool passive, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    if (passive) hints.ai_flags = AI_PASSIVE;
    std::string host_text(host);
    std::string port_text = std::to_string(port);
    addrinfo* raw = nullptr;
    // The resolver reads a C string: a NUL would silently cut the name short, so a name
    // holding one names no host at all.
    int rc = host_text.find('\0') == std::string::npos
                 ? getaddrinfo(host_text.c_str(), port_text.c_str(), &hints, &raw)
                 : EAI_NONAME;
    AddrInfoList list(raw);
    if (rc != 0) {
        error = rc == EAI_SYSTEM ? describe_errno(errno) : gai_strerror(rc);
        return nullptr;
    }
    if (!list) error = "could not resolve to any addresses";
    return list;
}

Socket open_stream(const addrinfo& address, int flags = 0) {
    return Socket(::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | flags,
                           address.ai_protocol));
}

enum class Attempt { Connected, Failed, GaveUp };

// Connects a non-blocking socket, waiting for the handshake within the deadline. On failure
// `error` holds the description; GaveUp means the wait ended, leaving no time for other addresses.
Attempt connect_within(const Socket& socket, const addrinfo& address, Clock::time_point deadline,
                       const StopRequested& stop, std::string& error) {
    if (connect(socket.fd(), address.ai_addr, address.ai_addrlen) == 0) return Attempt::Connected;
    if (errno != EINPROGRESS && errno != EINTR) {
        error = describe_errno(errno);
        return Attempt::Failed;
    }
    WaitResult waited = wait_until_ready(socket, Readiness::Writable, deadline, stop);
    if (waited != WaitResult::Ready) {
        error = describe_wait(waited);
        return Attempt::GaveUp;
    }
    int status = 0;
    socklen_t length = sizeof status;
    if (getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &status, &length) != 0) status = errno;
    if (status == 0) return Attempt::Connected;
    error = describe_errno(status);
    return Attempt::Failed;
}

}  // namespace

void Socket::close() {
    if (fd_ >= 0) ::close(release());
}

std::string describe_errno(int error_number) {
    return std::strerror(error_number);
}

SocketResult listen_tcp(std::string_view host, uint16_t port, int backlog) {
    SocketResult result;
    AddrInfoList list = resolve(host, port, true, result.error);
    if (!list) return result;
    for (const addrinfo* address = list.get(); address; address = address->ai_next) {
        Socket socket = open_stream(*address);
        int yes = 1;
        if (!socket.valid() ||
            setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
            bind(socket.fd(), address->ai_addr, address->ai_addrlen) != 0 ||
            listen(socket.fd(), backlog) != 0) {
            result.error = describe_errno(errno);
            continue;
        }
        result.socket = std::move(socket);
        result.error.clear();
        break;
    }
    return result;
}

SocketResult connect_tcp(std::string_view host, uint16_t port, Clock::time_point deadline,
                         const StopRequested& stop) {
    SocketResult result;
    AddrInfoList list = resolve(host, port, false, result.error);
    if (!list) return result;
    for (const addrinfo* address = list.get(); address; address = address->ai_next) {
        Socket socket = open_stream(*address, SOCK_NONBLOCK);
        if (!socket.valid()) {
            result.error = describe_errno(errno);
            continue;
        }
        Attempt attempt = connect_within(socket, *address, deadline, stop, result.error);
        if (attempt == Attempt::GaveUp) return result;
        if (attempt == Attempt::Failed) continue;
        if (!set_blocking(socket, Blocking::Yes)) {
            result.error = describe_errno(errno);
            continue;
        }
        result.socket = std::move(socket);
        result.error.clear();
        break;
    }
    return result;
}

SocketResult accept_connection(const Socket& listener, Blocking blocking) {
    SocketResult result;
    const int flags = SOCK_CLOEXEC | (blocking == Blocking::No ? SOCK_NONBLOCK : 0);
    int fd;
    do {
        fd = accept4(listener.fd(), nullptr, nullptr, flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.error_number = errno;
        result.error = describe_errno(errno);
    } else {
        result.socket = Socket(fd);
    }
    return result;
}

bool set_blocking(const Socket& socket, Blocking blocking) {
    int flags = fcntl(socket.fd(), F_GETFL);
    if (flags < 0) return false;
    flags = blocking == Blocking::Yes ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return fcntl(socket.fd(), F_SETFL, flags) == 0;
}

void defer_accept(const Socket& listener, std::chrono::seconds limit) {
    int seconds = static_cast<int>(limit.count());
    setsockopt(listener.fd(), IPPROTO_TCP, TCP_DEFER_ACCEPT, &seconds, sizeof seconds);
}

uint16_t local_port(const Socket& socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    }
    return 0;
}

std::string send_all(const Socket& socket, std::string_view data) {
    while (!data.empty()) {
        ssize_t sent = ::send(socket.fd(), data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return describe_errno(errno);
        }
        if (sent == 0) return "failed to write whole buffer";
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return {};
}

std::string send_all(const Socket& socket, std::string_view data,
                     std::chrono::milliseconds idle_limit, const StopRequested& stop) {
    while (!data.empty()) {
        ssize_t sent = send_now(socket, data);
        if (sent > 0) {
            data.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent == 0) return "failed to write whole buffer";
        if (!would_block(errno)) return describe_errno(errno);
        WaitResult waited =
            wait_until_ready(socket, Readiness::Writable, Clock::now() + idle_limit, stop);
        if (waited != WaitResult::Ready) return describe_wait(waited);
    }
    return {};
}

ssize_t send_now(const Socket& socket, std::string_view data) {
    ssize_t sent;
    do {
        sent = ::send(socket.fd(), data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

ssize_t receive_some(const Socket& socket, std::span<char> buffer) {
    ssize_t received;
    do {
        received = ::recv(socket.fd(), buffer.data(), buffer.size(), 0);
    } while (received < 0 && errno == EINTR);
    return received;
}

ssize_t receive_now(const Socket& socket, std::span<char> buffer) {
    ssize_t received;
    do {
        received = ::recv(socket.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    } while (received < 0 && errno == EINTR);
    return received;
}

bool would_block(int error_number) {
    return error_number == EAGAIN || error_number == EWOULDBLOCK;
}

void shutdown_write(const Socket& socket) {
    ::shutdown(socket.fd(), SHUT_WR);
}

bool wait_readable(const Socket& socket, std::chrono::milliseconds limit) {
    return wait_until_ready(socket, Readiness::Readable, Clock::now() + limit, {}) ==
           WaitResult::Ready;
}

WaitResult wait_until_ready(const Socket& socket, Readiness readiness, Clock::time_point deadline,
                            const StopRequested& stop) {
    const short events = readiness == Readiness::Readable ? POLLIN : POLLOUT;
    pollfd entry{socket.fd(), events, 0};
    for (;;) {
        if (stop && stop()) return WaitResult::Stopped;
        long long timeout = -1;  // poll's "for ever"
        if (deadline != kNoDeadline) {
            timeout = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (timeout <= 0) return WaitResult::TimedOut;
        }
        if (stop && (timeout < 0 || timeout > kStopPollInterval.count())) {
            timeout = kStopPollInterval.count();
        }
        int rc = ::poll(&entry, 1, static_cast<int>(std::min<long long>(timeout, INT_MAX)));
        // A failed poll is left for the next socket call to report.
        if (rc > 0 || (rc < 0 && errno != EINTR)) return WaitResult::Ready;
    }
}

std::string describe_wait(WaitResult result) {
    if (result == WaitResult::Stopped) return "Interrupted";
    return result == WaitResult::TimedOut ? describe_errno(ETIMEDOUT) : std::string();
}

}  // namespace tarnel::net
