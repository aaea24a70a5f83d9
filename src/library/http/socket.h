// A thin RAII layer over POSIX TCP sockets, shared by the page server and the client.
//
// Every function reports failure as the platform's error description (strerror/gai_strerror)
// so callers can put it straight into a script-visible message. Sends never raise SIGPIPE.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tarnel::net {

// Owns one socket descriptor; closes it on destruction. Move-only.
class Socket {
  public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = other.release();
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void close();

  private:
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    int fd_ = -1;
};

// A socket, or the description of why there is none.
struct SocketResult {
    Socket socket;
    std::string error;     // empty on success
    int error_number = 0;  // the errno behind `error`, where there is one
    bool ok() const { return socket.valid(); }
};

std::string describe_errno(int error_number);

using Clock = std::chrono::steady_clock;
constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

// Asked while waiting; true means give up the wait. An empty one never stops.
using StopRequested = std::function<bool()>;
// The longest a wait goes without asking its stop predicate.
constexpr std::chrono::milliseconds kStopPollInterval{100};

enum class Readiness { Readable, Writable };
enum class WaitResult { Ready, TimedOut, Stopped };

// Waits until the socket is ready (readable includes end of stream and errors), `deadline`
// passes or `stop` says so.
WaitResult wait_until_ready(const Socket& socket, Readiness readiness, Clock::time_point deadline,
                            const StopRequested& stop);
// The description of a wait that was not Ready: "Connection timed out" or "Interrupted".
std::string describe_wait(WaitResult result);

// Resolves host:port and binds a listener (SO_REUSEADDR) to the first address that works.
SocketResult listen_tcp(std::string_view host, uint16_t port, int backlog);
// Resolves host:port and connects to each resolved address in turn; the first success wins.
// Gives up on all of them at `deadline` or when `stop` says so. The socket returned blocks.
SocketResult connect_tcp(std::string_view host, uint16_t port,
                         Clock::time_point deadline = kNoDeadline, const StopRequested& stop = {});

enum class Blocking { Yes, No };
SocketResult accept_connection(const Socket& listener, Blocking blocking = Blocking::Yes);
// Returns false (errno set) when the descriptor's flags cannot be changed.
bool set_blocking(const Socket& socket, Blocking blocking);

// Asks the kernel to hand over new connections only once their first data has arrived, or
// after about `limit` without any, so a listener is not woken just to wait for the request.
void defer_accept(const Socket& listener, std::chrono::seconds limit);

// The port a bound socket actually got (useful after binding port 0).
uint16_t local_port(const Socket& socket);

// Writes all of `data`, repeating partial sends and retrying interrupted ones. Returns an
// empty string on success, else the error description ("failed to write whole buffer" when
// the peer accepts no bytes).
std::string send_all(const Socket& socket, std::string_view data);
// The same, giving up with describe_wait's text when the peer takes no byte for `idle_limit`
// or `stop` says so.
std::string send_all(const Socket& socket, std::string_view data,
                     std::chrono::milliseconds idle_limit, const StopRequested& stop);

// A send that does not wait: the byte count, or -1 with errno (EAGAIN when the buffer is full).
ssize_t send_now(const Socket& socket, std::string_view data);

// One receive, retried if interrupted. Returns the byte count, 0 at end of stream, or -1 with
// errno set.
ssize_t receive_some(const Socket& socket, std::span<char> buffer);

// A receive that does not wait: -1 with errno EAGAIN/EWOULDBLOCK when nothing is buffered.
ssize_t receive_now(const Socket& socket, std::span<char> buffer);
bool would_block(int error_number);

void shutdown_write(const Socket& socket);

// Waits until the socket is readable (data or end of stream) or `limit` passes.
bool wait_readable(const Socket& socket, std::chrono::milliseconds limit);

}  // namespace tarnel::net
