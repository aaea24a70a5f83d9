#include "interpreter/http/socket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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

Socket open_stream(const addrinfo& address) {
    return Socket(::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC,
                           address.ai_protocol));
}

}  // namespace

void Socket::close() {
    if (fd_ >= 0) ::close(release());
}

std::string describe_errno(int error_number) { return std::strerror(error_number); }

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

SocketResult connect_tcp(std::string_view host, uint16_t port) {
    SocketResult result;
    AddrInfoList list = resolve(host, port, false, result.error);
    if (!list) return result;
    for (const addrinfo* address = list.get(); address; address = address->ai_next) {
        Socket socket = open_stream(*address);
        if (!socket.valid()) {
            result.error = describe_errno(errno);
            continue;
        }
        int rc;
        do {
            rc = connect(socket.fd(), address->ai_addr, address->ai_addrlen);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            result.error = describe_errno(errno);
            continue;
        }
        result.socket = std::move(socket);
        result.error.clear();
        break;
    }
    return result;
}

SocketResult accept_connection(const Socket& listener) {
    SocketResult result;
    int fd;
    do {
        fd = accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.error = describe_errno(errno);
    } else {
        result.socket = Socket(fd);
    }
    return result;
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

void set_io_timeouts(const Socket& socket, std::chrono::milliseconds limit) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(limit.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((limit.count() % 1000) * 1000);
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

void shutdown_write(const Socket& socket) { ::shutdown(socket.fd(), SHUT_WR); }

bool wait_readable(const Socket& socket, std::chrono::milliseconds limit) {
    pollfd entry{socket.fd(), POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&entry, 1, static_cast<int>(limit.count()));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

}  // namespace tarnel::net
