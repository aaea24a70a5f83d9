#include "interpreter/http/http_server.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>

#include "support/console.h"
#include "support/utf8.h"

namespace tarnel {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kNotFound =
    "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nNot Found";

// A client that sends nothing or stops reading holds the (sequential) server this long at most.
constexpr milliseconds kIoTimeout{5000};

// After answering, unread input is drained before closing, so the kernel does not reset the
// connection and destroy the answer in flight. A request that arrived whole needs no wait: only
// what is already buffered is discarded. Otherwise more may be on its way, and the drain waits
// for it (or for the peer to close) within bounds of time and size.
constexpr milliseconds kDrainWait{200};
constexpr size_t kDrainByteLimit = size_t{1} << 20;

void drain_input(const net::Socket& connection, bool wait, std::span<char> scratch) {
    const auto deadline = Clock::now() + kDrainWait;
    size_t drained = 0;
    while (drained < kDrainByteLimit) {
        ssize_t received = net::receive_now(connection, scratch);
        if (received == 0) return;  // the peer has closed its side
        if (received > 0) {
            drained += static_cast<size_t>(received);
            // A short read took everything buffered; without waiting there is no more to get.
            if (!wait && static_cast<size_t>(received) < scratch.size()) return;
            continue;
        }
        if (!wait || !net::would_block(errno)) return;
        auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !net::wait_readable(connection, left)) return;
    }
}

// The Content-Length a request head announces (field name in any case), 0 when absent.
size_t content_length(std::string_view head) {
    constexpr std::string_view kField = "content-length:";
    size_t line = 0;
    while ((line = head.find('\n', line)) != std::string_view::npos) {
        ++line;
        if (head.size() - line < kField.size()) break;
        bool match = true;
        for (size_t i = 0; i < kField.size() && match; ++i) {
            char c = head[line + i];
            match = (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == kField[i];
        }
        if (!match) continue;
        size_t pos = line + kField.size();
        while (pos < head.size() && (head[pos] == ' ' || head[pos] == '\t')) ++pos;
        size_t length = 0;
        while (pos < head.size() && head[pos] >= '0' && head[pos] <= '9' && length < (1u << 30)) {
            length = length * 10 + static_cast<size_t>(head[pos++] - '0');
        }
        return length;
    }
    return 0;
}

}  // namespace

void request_path(std::string_view request, std::string& path) {
    path.clear();
    // Decoded with U+FFFD for each ill-formed sequence, split at runs of White_Space.
    const auto* bytes = reinterpret_cast<const uint8_t*>(request.data());
    const auto length = static_cast<int32_t>(std::min<size_t>(request.size(), INT32_MAX));
    int32_t pos = 0;
    int word = 0;  // number of the word being read, 0 while between words
    int words_seen = 0;
    while (pos < length && bytes[pos] != '\n') {
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, pos, length, c);
        if (is_white_space(static_cast<char32_t>(c))) {
            if (word == 2) return;
            word = 0;
            continue;
        }
        if (word == 0) word = ++words_seen;
        if (word == 2) {
            uint8_t encoded[U8_MAX_LENGTH];
            int32_t size = 0;
            U8_APPEND_UNSAFE(encoded, size, c);
            path.append(reinterpret_cast<const char*>(encoded), static_cast<size_t>(size));
        }
    }
    if (words_seen < 2) path.assign(1, '/');
}

bool request_is_complete(std::string_view request) {
    size_t end = request.find("\r\n\r\n");
    size_t body = end + 4;
    if (end == std::string_view::npos) {
        end = request.find("\n\n");
        if (end == std::string_view::npos) return false;
        body = end + 2;
    }
    return request.size() - body >= content_length(request.substr(0, end));
}

void build_page_response(const std::string* content, std::string& response) {
    if (content == nullptr) {
        response += kNotFound;
        return;
    }
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, content->size()).ptr;
    response += "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ";
    response.append(digits, end);
    response += "\r\n\r\n";
    response += *content;
}

void PageServer::serve_one() {
    net::SocketResult accepted = net::accept_connection(listener_);
    if (!accepted.ok()) {
        write_err("Connection error: " + accepted.error + "\n");
        return;
    }
    answer(accepted.socket);
}  // the connection closes here

PageServer::PageServer(net::Socket listener, const RouteTable& routes)
    : listener_(std::move(listener)), routes_(routes) {
    // Accepted connections inherit the listener's time-outs, which saves two calls per request.
    net::set_io_timeouts(listener_, kIoTimeout);
}

void PageServer::answer(const net::Socket& connection) {
    request_.fill(0);
    ssize_t received = net::receive_some(connection, request_);
    if (received < 0) return;  // failed or timed out: close without a word

    const std::string_view request(request_.data(), static_cast<size_t>(received));
    request_path(request, path_);
    bool sent = false;
    routes_.with_route(path_, [&](const std::string* content) {
        response_.clear();
        build_page_response(content, response_);
        sent = net::send_all(connection, response_).empty();
    });
    if (!sent) return;
    // Zero bytes received means the peer closed already; nothing more can come.
    bool whole = received == 0 ||
                 (request.size() < request_.size() && request_is_complete(request));
    if (!whole) net::shutdown_write(connection);  // lets the peer see the end while we drain
    drain_input(connection, !whole, scratch_);
}

std::string run_page_server(uint16_t port, const RouteTable& routes) {
    std::string port_text = std::to_string(port);
    write_out("Starting HTTP server on port " + port_text + "\n");
    flush_out();
    net::SocketResult listener = net::listen_tcp("127.0.0.1", port, 128);
    if (!listener.ok()) return listener.error;
    write_out("Server listening on http://127.0.0.1:" + port_text + "\n");
    flush_out();
    PageServer server(std::move(listener.socket), routes);
    for (;;) server.serve_one();
}

}  // namespace tarnel
