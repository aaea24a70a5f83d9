#include "sdl_handles.h"

namespace tarnel::graphics {

namespace {

// Process-wide, because SDL's own state is: the number of live LibraryUse objects (SDL_Quit
// tears down everything, so only the last user may call it) and whether an EventQueue exists
// (SDL has one event queue per process). Graphics is used from the interpreter thread only.
int library_users = 0;
bool event_queue_claimed = false;

}  // namespace

std::optional<LibraryUse> LibraryUse::acquire() {
    if (library_users == 0 && SDL_Init(0) != 0) return std::nullopt;
    ++library_users;
    return LibraryUse();
}

LibraryUse::~LibraryUse() {
    if (held_ && --library_users == 0) SDL_Quit();
}

std::optional<SubsystemUse> SubsystemUse::acquire(Uint32 flags) {
    if (SDL_InitSubSystem(flags) != 0) return std::nullopt;
    return SubsystemUse(flags);
}

SubsystemUse::~SubsystemUse() {
    if (flags_ != 0) SDL_QuitSubSystem(flags_);
}

std::optional<EventQueue> EventQueue::acquire() {
    if (event_queue_claimed) return std::nullopt;
    auto events = SubsystemUse::acquire(SDL_INIT_EVENTS);
    if (!events) return std::nullopt;
    event_queue_claimed = true;
    return EventQueue(std::move(*events));
}

EventQueue::EventQueue(EventQueue&& other) noexcept : events_(std::move(other.events_)) {
    other.events_.reset();
}

EventQueue::~EventQueue() {
    if (!events_) return;
    events_.reset();
    event_queue_claimed = false;
}

}  // namespace tarnel::graphics
