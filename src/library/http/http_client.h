// The plain-HTTP client: one request, the raw response back as text.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "socket.h"

namespace tarnel {

struct UrlParts {
    std::string host;
    uint16_t port = 80;
    std::string path;
};

// Splits "[http://]host[:port][/path]". A port text that is not a decimal number up to 65535
// (one leading '+' allowed) silently means port 80. No "https://" handling here.
UrlParts split_url(std::string_view url);

// Reads a port number: optional '+', one or more digits, at most 65535.
bool parse_port(std::string_view text, uint16_t& port);

std::string build_request(std::string_view method, const UrlParts& url, std::string_view body);

struct HttpResult {
    bool ok = false;
    std::string text;  // the response on success, else the error message
};

// Bounds on one request, so a silent or endless server cannot hold the script for ever.
struct RequestLimits {
    std::chrono::milliseconds connect_timeout{10'000};
    // Longest stretch without a byte sent or received once connected.
    std::chrono::milliseconds idle_timeout{30'000};
    size_t max_response_mib = 64;
    net::StopRequested stop;  // asked while waiting; empty: never stops
};

// Sends one request and reads until the server closes the connection.
HttpResult http_request(std::string_view url, std::string_view method, std::string_view body,
                        const RequestLimits& limits = {});

}  // namespace tarnel
