// The blocking page server: one connection at a time, each answered from a route table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/http/route_table.h"
#include "interpreter/http/socket.h"

namespace tarnel {

// The path a request asks for: the second word of its first line (words split at runs of
// Unicode white space, invalid UTF-8 read as U+FFFD), or "/" when there is no second word.
void request_path(std::string_view request, std::string& path);

// True when the request's head is complete and the body its Content-Length announces is all
// there, so the client has nothing more to send.
bool request_is_complete(std::string_view request);

// Appends the full response for a page `content`, or the fixed 404 reply when null.
void build_page_response(const std::string* content, std::string& response);

class PageServer {
public:
    static constexpr size_t kRequestBytes = 1024;

    PageServer(net::Socket listener, const RouteTable& routes);

    // Accepts one connection and answers it; an accept failure is reported on stderr.
    void serve_one();

private:
    void answer(const net::Socket& connection);

    net::Socket listener_;
    const RouteTable& routes_;
    // Reused across connections so answering a request allocates nothing once warm.
    std::array<char, kRequestBytes> request_{};
    std::array<char, 16 * 1024> scratch_{};
    std::string path_;
    std::string response_;
};

// Prints the two start lines around binding 127.0.0.1:port, then serves for ever. Returns only
// when the listener cannot be set up, with the platform's description of the failure.
std::string run_page_server(uint16_t port, const RouteTable& routes);

}  // namespace tarnel
