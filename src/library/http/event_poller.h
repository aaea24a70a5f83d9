// An owned epoll instance: the page server's one wait for all of its sockets.
#pragma once

#include <sys/epoll.h>

#include <span>
#include <string>

namespace tarnel::net {

class EventPoller {
  public:
    EventPoller();
    ~EventPoller();
    EventPoller(const EventPoller&) = delete;
    EventPoller& operator=(const EventPoller&) = delete;

    // Empty when the instance exists, else why it could not be created.
    const std::string& error() const { return error_; }

    // Each returns false (errno set) on failure. `events` are EPOLLIN, EPOLLOUT, EPOLLET, ...;
    // the descriptor comes back in each event's data.fd.
    bool add(int fd, uint32_t events);
    bool modify(int fd, uint32_t events);

    // Waits up to `timeout_ms` (-1: for ever) and returns how many events were filled in; an
    // interrupted wait returns 0.
    int wait(std::span<epoll_event> events, int timeout_ms);

  private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace tarnel::net
