#include "page_connection.h"

#include <sys/epoll.h>

#include <cerrno>

#include "page_request.h"

namespace tarnel {

PageConnection::PageConnection(net::Socket socket, net::Clock::time_point now,
                               const ServerLimits& limits)
    : socket_(std::move(socket)), deadline_(now + limits.io_timeout) {}

PageConnection::Step PageConnection::advance(uint32_t events, PageContext& context) {
    switch (phase_) {
        case Phase::Receiving:
            // Only writability was reported: the request has not come yet.
            if ((events & (EPOLLIN | EPOLLERR | EPOLLHUP)) == 0) return Step::Wait;
            return receive(context);
        case Phase::Sending:
            return send_rest(context);
        case Phase::Draining:
            return drain(context);
    }
    return Step::Close;
}

// The request is judged on one receive of at most 1024 bytes; whatever follows is never read.
PageConnection::Step PageConnection::receive(PageContext& context) {
    context.request.fill(0);
    ssize_t received = net::receive_now(socket_, context.request);
    if (received < 0) return net::would_block(errno) ? Step::Wait : Step::Close;

    const std::string_view request(context.request.data(), static_cast<size_t>(received));
    request_path(request, context.path);
    // Zero bytes received means the peer closed already; nothing more can come.
    drain_waits_ = received != 0 &&
                   (request.size() == context.request.size() || !request_is_complete(request));
    context.routes.with_route(context.path, [&](const std::string* content) {
        context.response.clear();
        build_page_response(content, context.response);
    });

    phase_ = Phase::Sending;
    ssize_t sent = net::send_now(socket_, context.response);
    if (sent == 0 || (sent < 0 && !net::would_block(errno))) return Step::Close;  // abandoned
    const size_t taken = sent > 0 ? static_cast<size_t>(sent) : 0;
    if (taken == context.response.size()) return start_drain(context);
    // The rest goes out as the peer makes room; it waits in the connection's own buffer.
    unsent_.assign(context.response, taken);
    deadline_ = context.now + context.limits.io_timeout;
    return Step::Wait;
}

PageConnection::Step PageConnection::send_rest(PageContext& context) {
    while (unsent_offset_ < unsent_.size()) {
        std::string_view rest = std::string_view(unsent_).substr(unsent_offset_);
        ssize_t sent = net::send_now(socket_, rest);
        if (sent > 0) {
            unsent_offset_ += static_cast<size_t>(sent);
            deadline_ = context.now + context.limits.io_timeout;
            continue;
        }
        return sent < 0 && net::would_block(errno) ? Step::Wait : Step::Close;
    }
    std::string().swap(unsent_);
    return start_drain(context);
}

PageConnection::Step PageConnection::start_drain(PageContext& context) {
    phase_ = Phase::Draining;
    if (drain_waits_) {
        net::shutdown_write(socket_);  // lets the peer see the end while we drain
        deadline_ = context.now + context.limits.drain_wait;
    }
    return drain(context);
}

PageConnection::Step PageConnection::drain(PageContext& context) {
    while (drained_ < context.limits.drain_bytes) {
        ssize_t received = net::receive_now(socket_, context.scratch);
        if (received == 0) return Step::Close;  // the peer has closed its side
        if (received < 0) {
            return drain_waits_ && net::would_block(errno) ? Step::Wait : Step::Close;
        }
        drained_ += static_cast<size_t>(received);
        // A short read took everything buffered; without waiting there is no more to get.
        if (!drain_waits_ && static_cast<size_t>(received) < context.scratch.size()) {
            return Step::Close;
        }
    }
    return Step::Close;
}

}  // namespace tarnel
