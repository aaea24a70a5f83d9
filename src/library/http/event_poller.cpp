#include "event_poller.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnel::net {

EventPoller::EventPoller() : fd_(epoll_create1(EPOLL_CLOEXEC)) {
    if (fd_ < 0) error_ = std::strerror(errno);
}

EventPoller::~EventPoller() {
    if (fd_ >= 0) ::close(fd_);
}

bool EventPoller::add(int fd, uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    return epoll_ctl(fd_, EPOLL_CTL_ADD, fd, &event) == 0;
}

bool EventPoller::modify(int fd, uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    return epoll_ctl(fd_, EPOLL_CTL_MOD, fd, &event) == 0;
}

int EventPoller::wait(std::span<epoll_event> events, int timeout_ms) {
    int count = epoll_wait(fd_, events.data(), static_cast<int>(events.size()), timeout_ms);
    return count < 0 ? 0 : count;
}

}  // namespace tarnel::net
