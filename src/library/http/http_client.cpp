#include "http_client.h"

#include <array>
#include <cerrno>

#include "socket.h"
#include "support/utf8.h"

namespace tarnel {

bool parse_port(std::string_view text, uint16_t& port) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
        if (value > 65535) return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

UrlParts split_url(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (url.starts_with(kScheme)) url.remove_prefix(kScheme.size());
    UrlParts parts;
    size_t slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    size_t colon = authority.find(':');
    parts.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos && !parse_port(authority.substr(colon + 1), parts.port)) {
        parts.port = 80;
    }
    return parts;
}

std::string build_request(std::string_view method, const UrlParts& url, std::string_view body) {
    std::string request;
    request.reserve(method.size() + url.path.size() + url.host.size() + body.size() + 80);
    request += method;
    request += ' ';
    request += url.path;
    request += " HTTP/1.1\r\nHost: ";
    request += url.host;
    request += "\r\nConnection: close\r\nContent-Length: ";
    request += std::to_string(body.size());
    request += "\r\n\r\n";
    request += body;
    return request;
}

namespace {

// Reads until the peer closes the connection, within the limits.
HttpResult read_response(const net::Socket& socket, const RequestLimits& limits) {
    const size_t max_bytes = limits.max_response_mib << 20;
    std::string response;
    std::array<char, 16 * 1024> buffer;
    for (;;) {
        ssize_t received = net::receive_now(socket, buffer);
        if (received == 0) break;
        if (received > 0) {
            if (response.size() + static_cast<size_t>(received) > max_bytes) {
                return {false, "Failed to read response: response larger than " +
                                   std::to_string(limits.max_response_mib) + " MiB"};
            }
            response.append(buffer.data(), static_cast<size_t>(received));
            continue;
        }
        if (!net::would_block(errno)) {
            return {false, "Failed to read response: " + net::describe_errno(errno)};
        }
        net::WaitResult waited = net::wait_until_ready(
            socket, net::Readiness::Readable, net::Clock::now() + limits.idle_timeout, limits.stop);
        if (waited != net::WaitResult::Ready) {
            return {false, "Failed to read response: " + net::describe_wait(waited)};
        }
    }
    if (!is_valid_utf8(response)) {
        return {false, "Failed to read response: stream did not contain valid UTF-8"};
    }
    return {true, std::move(response)};
}

}  // namespace

HttpResult http_request(std::string_view url, std::string_view method, std::string_view body,
                        const RequestLimits& limits) {
    if (url.starts_with("https://")) return {false, "HTTPS not supported, use HTTP"};
    UrlParts parts = split_url(url);
    // A line break or NUL would let the caller forge extra request lines or headers.
    constexpr std::string_view kForbidden("\r\n\0", 3);
    if (method.find_first_of(kForbidden) != std::string_view::npos ||
        parts.path.find_first_of(kForbidden) != std::string::npos) {
        return {false, "Invalid request: CR, LF or NUL in method or path"};
    }
    std::string request = build_request(method, parts, body);

    net::SocketResult connected = net::connect_tcp(
        parts.host, parts.port, net::Clock::now() + limits.connect_timeout, limits.stop);
    if (!connected.ok()) {
        return {false, "Failed to connect to " + parts.host + ":" + std::to_string(parts.port) +
                           ": " + connected.error};
    }
    std::string error = net::send_all(connected.socket, request, limits.idle_timeout, limits.stop);
    if (!error.empty()) return {false, "Failed to write request: " + error};
    return read_response(connected.socket, limits);
}

}  // namespace tarnel
