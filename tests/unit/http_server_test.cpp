// The page server over real loopback sockets: exact answers, many connections at once,
// time-outs, running out of descriptors, stopping; and reading the requests it answers.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/http.h"
#include "http_server.h"
#include "page_request.h"
#include "route_table.h"
#include "socket.h"

namespace tarnel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kNotFound =
    "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nNot Found";

std::string page_reply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

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

// Everything the peer sends until it closes the connection.
std::string read_all(const net::Socket& socket) {
    std::string data;
    std::array<char, 64 * 1024> buffer;
    ssize_t received;
    while ((received = net::receive_some(socket, buffer)) > 0) {
        data.append(buffer.data(), static_cast<size_t>(received));
    }
    return data;
}

// Sends `request` and returns everything the server sends until it closes the connection.
std::string round_trip(uint16_t port, std::string_view request, bool shut_write = false) {
    net::SocketResult client = net::connect_tcp("127.0.0.1", port);
    EXPECT_TRUE(client.ok()) << client.error;
    if (!request.empty()) net::send_all(client.socket, request);  // the server may cut it short
    if (shut_write) net::shutdown_write(client.socket);
    return read_all(client.socket);
}

// Limits under which a connection reaches the server before its first byte, so that idle
// clients occupy the server rather than the kernel's accept queue.
ServerLimits accepting_at_once() {
    ServerLimits limits;
    limits.accept_without_data = std::chrono::seconds(0);
    return limits;
}

net::Socket idle_client(uint16_t port) {
    net::SocketResult client = net::connect_tcp("127.0.0.1", port);
    EXPECT_TRUE(client.ok()) << client.error;
    return std::move(client.socket);
}

// serve_pages on an ephemeral loopback port, in a thread, until stopped or destroyed.
class RunningServer {
  public:
    explicit RunningServer(const RouteTable& routes, ServerLimits limits = {}) {
        net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 128);
        EXPECT_TRUE(listener.ok()) << listener.error;
        port_ = net::local_port(listener.socket);
        thread_ = std::thread([this, &routes, limits, l = std::move(listener.socket)]() mutable {
            result_ = serve_pages(
                std::move(l), routes, [this] { return stop_.load(); }, limits);
        });
    }
    ~RunningServer() { stop(); }
    // Returns what serve_pages returned.
    std::optional<std::string> stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return result_;
    }
    uint16_t port() const { return port_; }

  private:
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::optional<std::string> result_ = "not run";
    std::thread thread_;
};

// ---- reading requests -------------------------------------------------------------------

TEST(RequestPathTest, SecondWordOfFirstLineOrRoot) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", "/"},
        {"GET /a?x=1 HTTP/1.1\r\n", "/a?x=1"},
        {"POST /x HTTP/1.1\r\n\r\na=1", "/x"},
        {"GET /x HTTP/1.1\nHost: y\n", "/x"},
        {"GET /x", "/x"},
        {"GET /x\r\n", "/x"},
        {"  GET \t  /y   HTTP/1.1", "/y"},
        {"GET\r\n/x y\r\n", "/"},
        {"/x\r\n\r\n", "/"},
        {"\r\n", "/"},
        {"", "/"},
        {"GET\xe3\x80\x80/wide\xc2\xa0tail", "/wide"},  // U+3000 and U+00A0 separate words
        {"GET /a\xff\xfe HTTP/1.1", "/a\xef\xbf\xbd\xef\xbf\xbd"},
        {"GET /\xe6\x97 x", "/\xef\xbf\xbd"},  // truncated sequence: one replacement
        {"GET /\xed\xa0\x80 x", "/\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // surrogate bytes
    };
    std::string path;
    for (auto [request, expected] : cases) {
        request_path(request, path);
        EXPECT_EQ(path, expected) << request;
    }
    // NUL is not white space: it stays inside the word.
    request_path(std::string_view("GET /a\0b HTTP/1.1", 17), path);
    EXPECT_EQ(path, std::string("/a\0b", 4));
}

TEST(RequestPathTest, CompleteRequestsNeedNoDrainWait) {
    EXPECT_TRUE(request_is_complete("GET / HTTP/1.1\r\nHost: x\r\n\r\n"));
    EXPECT_TRUE(request_is_complete("GET / HTTP/1.1\n\n"));
    EXPECT_TRUE(request_is_complete("POST / HTTP/1.1\r\ncontent-LENGTH:  3\r\n\r\na=1"));
    EXPECT_FALSE(request_is_complete("POST / HTTP/1.1\r\nContent-Length: 4\r\n\r\na=1"));
    EXPECT_FALSE(request_is_complete("GET / HTTP/1.1\r\nHost: x\r\n"));
    EXPECT_FALSE(request_is_complete("GET"));
    EXPECT_FALSE(request_is_complete("POST / HTTP/1.1\r\nContent-Length: 99999999999999\r\n\r\n"));
}

// ---- the server -------------------------------------------------------------------------

TEST(PageServerTest, AnswersFromTheTableWithExactBytes) {
    RouteTable routes;
    routes.add("/", "root");
    routes.add("/u", "héllo → 日本");
    routes.add("/a", "one");
    routes.add("/a", "two");
    RunningServer server(routes);
    const uint16_t port = server.port();
    EXPECT_EQ(round_trip(port, "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n"), page_reply("root"));
    EXPECT_EQ(round_trip(port, "GET /u HTTP/1.1\r\n\r\n"), page_reply("héllo → 日本"));
    EXPECT_EQ(round_trip(port, "GET /nope HTTP/1.1\r\n\r\n"), kNotFound);
    EXPECT_EQ(round_trip(port, "GET /a HTTP/1.1\r\n\r\n"), page_reply("one"));
    EXPECT_EQ(round_trip(port, "POST /a HTTP/1.1\r\nContent-Length: 3\r\n\r\na=1"),
              page_reply("one"));
    EXPECT_EQ(round_trip(port, "GET\r\n\r\n"), page_reply("root"));
    EXPECT_EQ(round_trip(port, "/a\r\n\r\n"), page_reply("root"));
    EXPECT_EQ(round_trip(port, "", true), page_reply("root"));
}

TEST(PageServerTest, RequestLongerThanOneReceiveStillGetsItsAnswer) {
    RouteTable routes;
    routes.add("/big", "big answer");
    RunningServer server(routes);
    std::string request = "GET /big HTTP/1.1\r\nX-Padding: " + std::string(20000, 'p') + "\r\n\r\n";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(round_trip(server.port(), request), page_reply("big answer"));
}

TEST(PageServerTest, SurvivesMalformedRequests) {
    RouteTable routes;
    routes.add("/", "root");
    RunningServer server(routes);
    const uint16_t port = server.port();

    std::mt19937 random(7);
    std::string garbage(3000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xFF);
    std::string reply = round_trip(port, garbage);
    EXPECT_TRUE(reply.empty() || reply == kNotFound || reply == page_reply("root"));

    reply = round_trip(port, "POST / HTTP/1.1\r\n\r\n" + std::string(1 << 20, 'x'));
    EXPECT_TRUE(reply.empty() || reply == page_reply("root"));

    EXPECT_EQ(round_trip(port, "\r\n"), page_reply("root"));
    EXPECT_EQ(round_trip(port, "GET /\xc3\x28 HTTP/1.1\r\n\r\n"), kNotFound);
    EXPECT_EQ(round_trip(port, "\xff\xfe\xfd\r\n"), page_reply("root"));

    for (int i = 0; i < 1000; ++i) {
        net::SocketResult client = net::connect_tcp("127.0.0.1", port);
        ASSERT_TRUE(client.ok()) << client.error;
        if (i % 2 == 0) net::shutdown_write(client.socket);
    }  // each closes at once without reading
    EXPECT_EQ(round_trip(port, "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
}

TEST(PageServerTest, IdleAndSlowClientsDoNotDelayOthers) {
    RouteTable routes;
    routes.add("/", "root");
    RunningServer server(routes, accepting_at_once());
    std::vector<net::Socket> idle;
    for (int i = 0; i < 100; ++i)
        idle.push_back(idle_client(server.port()));
    net::Socket slow = idle_client(server.port());
    net::send_all(slow, "GET / HT");  // the rest of its request is still to come
    const auto started = Clock::now();
    EXPECT_EQ(round_trip(server.port(), "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
    EXPECT_LT(Clock::now() - started, 1s);
}

TEST(PageServerTest, LargeAnswerGoesOutAsThePeerReadsWhileOthersAreServed) {
    const std::string big(16 << 20, 'b');
    RouteTable routes;
    routes.add("/", "root");
    routes.add("/big", big);
    RunningServer server(routes);
    net::Socket reader = idle_client(server.port());
    net::send_all(reader, "GET /big HTTP/1.1\r\n\r\n");
    std::this_thread::sleep_for(100ms);  // the server fills the socket's buffers meanwhile
    const auto started = Clock::now();
    EXPECT_EQ(round_trip(server.port(), "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
    EXPECT_LT(Clock::now() - started, 1s);
    const std::string answer = read_all(reader);
    EXPECT_EQ(answer.size(), page_reply(big).size());
    EXPECT_TRUE(answer == page_reply(big));
}

TEST(PageServerTest, TimeOutsCloseConnectionsWithoutAWord) {
    RouteTable routes;
    routes.add("/", "root");
    ServerLimits limits = accepting_at_once();
    limits.io_timeout = 50ms;
    testing::internal::CaptureStderr();
    {
        RunningServer server(routes, limits);
        const auto started = Clock::now();
        net::Socket idle = idle_client(server.port());
        EXPECT_EQ(read_all(idle), "");
        EXPECT_GE(Clock::now() - started, 50ms);
        std::this_thread::sleep_for(300ms);  // the listener idles through several time-outs
        EXPECT_EQ(round_trip(server.port(), "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The first descriptor numbers at or above `from` that are not open.
std::vector<int> free_descriptors(int from, size_t count) {
    std::vector<int> found;
    for (int fd = from; found.size() < count; ++fd) {
        if (fcntl(fd, F_GETFD) < 0) found.push_back(fd);
    }
    return found;
}

// Both ends of a pipe, each closed on destruction unless closed before.
struct Pipe {
    Pipe() { EXPECT_EQ(pipe(ends), 0); }
    ~Pipe() {
        close_end(0);
        close_end(1);
    }
    void close_end(int end) {
        if (ends[end] >= 0) close(ends[end]);
        ends[end] = -1;
    }
    int ends[2] = {-1, -1};
};

TEST(PageServerTest, RunningOutOfDescriptorsIsReportedOnceAndOutlived) {
    net::SocketResult listener = net::listen_tcp("127.0.0.1", 0, 128);
    ASSERT_TRUE(listener.ok());
    const uint16_t port = net::local_port(listener.socket);
    Pipe log, stop;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(log.ends[1], STDERR_FILENO);
        log.close_end(0);
        log.close_end(1);
        stop.close_end(1);
        // Room for the poller and two connections, no more.
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(free_descriptors(0, 3).back() + 1);
        setrlimit(RLIMIT_NOFILE, &limit);
        RouteTable routes;
        routes.add("/", "root");
        pollfd stop_asked{stop.ends[0], POLLIN, 0};
        serve_pages(
            std::move(listener.socket), routes, [&] { return poll(&stop_asked, 1, 0) > 0; },
            accepting_at_once());
        _exit(0);
    }
    log.close_end(1);
    stop.close_end(0);
    listener.socket.close();
    {
        std::vector<net::Socket> idle;
        for (int i = 0; i < 6; ++i)
            idle.push_back(idle_client(port));
        std::this_thread::sleep_for(300ms);  // the server stays out of descriptors meanwhile
    }
    EXPECT_EQ(round_trip(port, "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
    stop.close_end(1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string logged(4096, '\0');
    ssize_t length = read(log.ends[0], logged.data(), logged.size());
    logged.resize(static_cast<size_t>(std::max<ssize_t>(length, 0)));
    EXPECT_EQ(logged, "Connection error: Too many open files\n");
}

TEST(PageServerTest, StopClosesEveryConnectionAndFreesThePort) {
    RouteTable routes;
    routes.add("/", "root");
    RunningServer server(routes, accepting_at_once());
    net::Socket idle = idle_client(server.port());
    EXPECT_EQ(round_trip(server.port(), "GET / HTTP/1.1\r\n\r\n"), page_reply("root"));
    const auto started = Clock::now();
    EXPECT_EQ(server.stop(), std::nullopt);
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_EQ(read_all(idle), "");
    EXPECT_TRUE(net::listen_tcp("127.0.0.1", server.port(), 8).ok()) << "the listener stayed open";
}

TEST(HttpServeTest, BindFailureIsAnError) {
    net::SocketResult holder = net::listen_tcp("127.0.0.1", 0, 1);
    ASSERT_TRUE(holder.ok());
    const uint16_t port = net::local_port(holder.socket);
    EXPECT_EQ(shown(call("http.serve", {Value::number(port)})),
              "Error: Failed to bind to port: Address already in use");
}

TEST(HttpServeTest, ServeRunsTheProcessTableForEver) {
    uint16_t port;
    {
        net::SocketResult probe = net::listen_tcp("127.0.0.1", 0, 1);
        ASSERT_TRUE(probe.ok());
        port = net::local_port(probe.socket);
    }
    call("http.page", {str("/serve-test"), str("first")});
    call("http.page", {str("/serve-test"), str("second")});
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        // A port above 65535 wraps to its low 16 bits.
        std::vector<Value> args{Value::real(65536.0 * 3 + port + 0.9)};
        call_http("http.serve", args);
        _exit(3);  // serve returned: the parent sees the wrong status
    }
    net::SocketResult client;
    for (int tries = 0; tries < 200 && !client.ok(); ++tries) {
        client = net::connect_tcp("127.0.0.1", port);
        if (!client.ok()) std::this_thread::sleep_for(10ms);
    }
    client.socket.close();
    EXPECT_EQ(round_trip(port, "GET /serve-test HTTP/1.1\r\n\r\n"), page_reply("first"));
    EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "serve returned";
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace tarnel
