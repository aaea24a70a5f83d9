// The http module: builtin argument handling, URL parsing, and the client over real loopback
// sockets (the server has its own file).
#include <array>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/http.h"
#include "http_client.h"
#include "socket.h"

namespace tarnel {
namespace {

using namespace std::chrono_literals;

Value call(std::string_view name, std::vector<Value> args = {}) {
    std::optional<Value> result = call_http(name, args);
    EXPECT_TRUE(result.has_value()) << name;
    return result.value_or(Value::null());
}

// The printed form, with an "Error: " mark so a failure is never mistaken for text.
std::string shown(const Value& value) {
    if (value.is(ValueKind::Error)) return "Error: " + value.error_message();
    return display_string(value);
}

Value str(std::string text) {
    return Value::string(std::move(text));
}

class CapturePeer {
  public:
    explicit CapturePeer(std::string reply) {
        net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 8);
        EXPECT_TRUE(listener.ok()) << listener.error;
        port_ = net::local_port(listener.socket);
        thread_ = std::thread([this, reply = std::move(reply), l = std::move(listener.socket)] {
            net::SocketResult connection = net::accept_connection(l);
            if (!connection.ok()) return;
            std::array<char, 4096> buffer;
            while (!complete()) {
                ssize_t received = net::receive_some(connection.socket, buffer);
                if (received <= 0) break;
                received_.append(buffer.data(), static_cast<size_t>(received));
            }
            net::send_all(connection.socket, reply);
        });
    }
    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }
    uint16_t port() const { return port_; }
    std::string received() {
        if (thread_.joinable()) thread_.join();
        return received_;
    }
    ~CapturePeer() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    bool complete() const {
        size_t end = received_.find("\r\n\r\n");
        if (end == std::string::npos) return false;
        size_t field = received_.find("Content-Length: ");
        size_t length = field < end ? std::stoul(received_.substr(field + 16)) : 0;
        return received_.size() >= end + 4 + length;
    }

    uint16_t port_ = 0;
    std::string received_;
    std::thread thread_;
};

std::string request_bytes(std::string_view method, std::string_view path, std::string_view body) {
    return std::string(method) + " " + std::string(path) +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

// ---- builtins without the network -----------------------------------------------------------

TEST(HttpBuiltinsTest, NamesAndUnknownNames) {
    std::vector<std::string_view> names(http_function_names().begin(), http_function_names().end());
    EXPECT_EQ(names, (std::vector<std::string_view>{"page", "serve", "template", "json", "status",
                                                    "send", "get", "post"}));
    std::vector<Value> none;
    EXPECT_FALSE(call_http("http.put", none).has_value());
    EXPECT_FALSE(call_http("http.GET", none).has_value());
    EXPECT_FALSE(call_http("page", none).has_value());
    EXPECT_FALSE(call_http("sdl2.get", none).has_value());
}

TEST(HttpBuiltinsTest, StatusLines) {
    const std::pair<int, const char*> table[] = {
        {200, "OK"},
        {201, "Created"},
        {204, "No Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {304, "Not Modified"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {500, "Internal Server Error"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {299, "Unknown"},
        {-1, "Unknown"},
    };
    for (auto [code, reason] : table) {
        EXPECT_EQ(shown(call("http.status", {Value::number(code)})),
                  "HTTP/1.1 " + std::to_string(code) + " " + reason);
    }
    EXPECT_EQ(shown(call("http.status", {Value::real(404.9)})), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(shown(call("http.status", {Value::real(std::nan(""))})), "HTTP/1.1 0 Unknown");
    EXPECT_EQ(shown(call("http.status", {Value::number(200), str("Fine")})), "HTTP/1.1 200 Fine");
    EXPECT_EQ(shown(call("http.status", {Value::number(404), Value::number(5)})), "HTTP/1.1 404 5");
    EXPECT_EQ(shown(call("http.status", {Value::number(200), str("")})), "HTTP/1.1 200 ");
}

TEST(HttpBuiltinsTest, TemplateReadsFileUnchanged) {
    const std::string dir = ::testing::TempDir();
    const std::string good = dir + "http_test_page.html";
    const std::string bad = dir + "http_test_bad.html";
    const std::string content = "<h1>{{title}}</h1>\r\n<p>Grüße</p>\n";
    std::ofstream(good, std::ios::binary) << content;
    std::ofstream(bad, std::ios::binary) << "ok\xff";
    EXPECT_EQ(shown(call("http.template", {str(good)})), content);
    EXPECT_EQ(shown(call("http.template", {str(bad)})),
              "Error: Failed to read template: stream did not contain valid UTF-8");
    EXPECT_EQ(shown(call("http.template", {str(dir + "missing.html")})),
              "Error: Failed to read template: No such file or directory");
    EXPECT_TRUE(
        shown(call("http.template", {str(dir)})).starts_with("Error: Failed to read template: "));
}

// ---- parsing ----------------------------------------------------------------------------

TEST(SplitUrlTest, HostPortAndPath) {
    struct Case {
        std::string_view url, host;
        uint16_t port;
        std::string_view path;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8080/hello", "127.0.0.1", 8080, "/hello"},
        {"127.0.0.1:8080", "127.0.0.1", 8080, "/"},
        {"http://example.com", "example.com", 80, "/"},
        {"http://h/a/b?x=1&y=2#f", "h", 80, "/a/b?x=1&y=2#f"},
        {"http://h:abc/", "h", 80, "/"},
        {"http://h:/x", "h", 80, "/x"},
        {"http://h:70000/", "h", 80, "/"},
        {"http://h:65535/", "h", 65535, "/"},
        {"http://h:+81/", "h", 81, "/"},
        {"http://h:+/", "h", 80, "/"},
        {"http://h:-1/", "h", 80, "/"},
        {"http://h:1:2/", "h", 80, "/"},
        {"HTTP://h:81/", "HTTP", 80, "//h:81/"},
        {"", "", 80, "/"},
    };
    for (const Case& c : cases) {
        UrlParts parts = split_url(c.url);
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.path, c.path) << c.url;
    }
}

// ---- the client -------------------------------------------------------------------------

const std::string kOkReply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

TEST(HttpClientTest, SendsExactRequests) {
    {
        CapturePeer peer(kOkReply);
        EXPECT_EQ(shown(call("http.get", {str(peer.url("/hello"))})), kOkReply);
        EXPECT_EQ(peer.received(), request_bytes("GET", "/hello", ""));
    }
    {
        CapturePeer peer(kOkReply);
        EXPECT_EQ(shown(call("http.post", {str(peer.url("/form")), str("a=1")})), kOkReply);
        EXPECT_EQ(peer.received(), request_bytes("POST", "/form", "a=1"));
    }
    {
        CapturePeer peer(kOkReply);
        call("http.send", {str(peer.url("/item/7")), str("delete"), str("")});
        EXPECT_EQ(peer.received(), request_bytes("DELETE", "/item/7", ""));
    }
    {
        CapturePeer peer(kOkReply);
        call("http.send", {str(peer.url("/")), str("straße"), Value::number(12)});
        EXPECT_EQ(peer.received(), request_bytes("STRASSE", "/", "12"));
    }
    {
        CapturePeer peer(kOkReply);
        std::string url = "127.0.0.1:" + std::to_string(peer.port()) + "/a/b?x=1&y=2";
        call("http.get", {str(url)});
        EXPECT_EQ(peer.received(), request_bytes("GET", "/a/b?x=1&y=2", ""));
    }
}

TEST(HttpClientTest, ResponsesAreReturnedRawOrRejected) {
    {
        const std::string reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found";
        CapturePeer peer(reply);
        Value result = call("http.get", {str(peer.url("/gone"))});
        EXPECT_TRUE(result.is(ValueKind::String));
        EXPECT_EQ(shown(result), reply);
    }
    {
        CapturePeer peer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n\xff\xfe");
        EXPECT_EQ(shown(call("http.get", {str(peer.url("/"))})),
                  "Error: Failed to read response: stream did not contain valid UTF-8");
    }
}

TEST(HttpClientTest, RefusesHttpsAndReportsConnectFailures) {
    net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 8);
    ASSERT_TRUE(listener.ok());
    const std::string port = std::to_string(net::local_port(listener.socket));
    EXPECT_EQ(shown(call("http.get", {str("https://127.0.0.1:" + port + "/")})),
              "Error: HTTPS not supported, use HTTP");
    EXPECT_EQ(
        shown(call("http.send", {str("https://127.0.0.1:" + port + "/"), str("GET"), str("")})),
        "Error: HTTPS not supported, use HTTP");
    EXPECT_FALSE(net::wait_readable(listener.socket, 50ms)) << "a connection was made";

    listener.socket.close();
    EXPECT_EQ(shown(call("http.get", {str("http://127.0.0.1:" + port + "/")})),
              "Error: Failed to connect to 127.0.0.1:" + port + ": Connection refused");
    EXPECT_TRUE(shown(call("http.get", {str("http://no-such-host.invalid/")}))
                    .starts_with("Error: Failed to connect to no-such-host.invalid:80: "));
}

TEST(HttpClientTest, RefusesForgedRequestsWithoutConnecting) {
    net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 8);
    ASSERT_TRUE(listener.ok());
    const std::string port = std::to_string(net::local_port(listener.socket));
    const std::string base = "http://127.0.0.1:" + port;
    const std::string invalid = "Error: Invalid request: CR, LF or NUL in method or path";
    for (std::string bad : {std::string("\r"), std::string("\n"), std::string(1, '\0')}) {
        EXPECT_EQ(shown(call("http.get", {str(base + "/a" + bad + "X-Injected: 1")})), invalid);
        EXPECT_EQ(shown(call("http.send", {str(base + "/"), str("GET" + bad + "X"), str("")})),
                  invalid);
    }
    // The resolver must not see a name cut short at the NUL.
    const std::string host = std::string("127.0.0.1\0evil", 14);
    EXPECT_EQ(shown(call("http.get", {str("http://" + host + ":" + port + "/")})),
              "Error: Failed to connect to " + host + ":" + port + ": Name or service not known");
    EXPECT_FALSE(net::wait_readable(listener.socket, 50ms)) << "a connection was made";
}

std::string loopback_url(uint16_t port) {
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

// A listener whose accept queue is full, so the next connect to it hangs in the handshake.
struct FullListener {
    FullListener() {
        listener = net::listen_tcp("127.0.0.1", 0, 0).socket;
        port = net::local_port(listener);
        queued = net::connect_tcp("127.0.0.1", port).socket;
    }
    std::string url() const { return loopback_url(port); }
    net::Socket listener;
    uint16_t port = 0;
    net::Socket queued;
};

// Answers every connection with an endless stream, until the client goes away.
class EndlessPeer {
  public:
    EndlessPeer() {
        net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 8);
        port_ = net::local_port(listener.socket);
        thread_ = std::thread([l = std::move(listener.socket)] {
            net::SocketResult connection = net::accept_connection(l);
            const std::string chunk(64 * 1024, 'x');
            while (connection.ok() && net::send_all(connection.socket, chunk).empty()) {
            }
        });
    }
    ~EndlessPeer() { thread_.join(); }
    std::string url() const { return loopback_url(port_); }

  private:
    uint16_t port_ = 0;
    std::thread thread_;
};

TEST(HttpClientTest, GivesUpOnSilentSlowOrEndlessServers) {
    RequestLimits limits;
    limits.connect_timeout = limits.idle_timeout = 100ms;
    limits.max_response_mib = 1;
    const auto started = std::chrono::steady_clock::now();
    FullListener unanswered;
    EXPECT_EQ(http_request(unanswered.url(), "GET", "", limits).text,
              "Failed to connect to 127.0.0.1:" + std::to_string(unanswered.port) +
                  ": Connection timed out");
    net::SocketResult silent = net::listen_tcp("127.0.0.1", 0, 8);  // accepts, never answers
    const std::string silent_url = loopback_url(net::local_port(silent.socket));
    EXPECT_EQ(http_request(silent_url, "GET", "", limits).text,
              "Failed to read response: Connection timed out");
    EXPECT_EQ(http_request(silent_url, "POST", std::string(32 << 20, 'b'), limits).text,
              "Failed to write request: Connection timed out");
    EndlessPeer endless;
    EXPECT_EQ(http_request(endless.url(), "GET", "", limits).text,
              "Failed to read response: response larger than 1 MiB");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST(HttpClientTest, StopPredicateEndsEveryWait) {
    auto started = std::chrono::steady_clock::now();
    RequestLimits limits;
    limits.stop = [&] { return std::chrono::steady_clock::now() > started + 100ms; };
    FullListener unanswered;
    EXPECT_EQ(
        http_request(unanswered.url(), "GET", "", limits).text,
        "Failed to connect to 127.0.0.1:" + std::to_string(unanswered.port) + ": Interrupted");
    net::SocketResult silent = net::listen_tcp("127.0.0.1", 0, 8);
    const std::string silent_url = loopback_url(net::local_port(silent.socket));
    started = std::chrono::steady_clock::now();
    EXPECT_EQ(http_request(silent_url, "GET", "", limits).text,
              "Failed to read response: Interrupted");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

}  // namespace
}  // namespace tarnel
