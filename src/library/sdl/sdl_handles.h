// Small owners of SDL resources: each releases exactly what it acquired, in its destructor.
//
// SDL keeps its own counts for SDL_InitSubSystem/SDL_QuitSubSystem, but not for SDL_Init(0)
// versus SDL_Quit (which shuts every subsystem down at once), and it allows one event queue per
// process. Those two facts are the only process-wide bookkeeping here (see sdl_handles.cpp).
#pragma once

#include <SDL.h>

#include <memory>
#include <optional>

namespace tarnel::graphics {

// One user of the library: SDL_Init(0) for the first user, SDL_Quit when the last one goes.
class LibraryUse {
  public:
    static std::optional<LibraryUse> acquire();
    LibraryUse(LibraryUse&& other) noexcept : held_(other.held_) { other.held_ = false; }
    LibraryUse& operator=(LibraryUse&&) = delete;
    ~LibraryUse();

  private:
    LibraryUse() = default;
    bool held_ = true;
};

// One SDL_InitSubSystem(flags), undone with SDL_QuitSubSystem(flags).
class SubsystemUse {
  public:
    static std::optional<SubsystemUse> acquire(Uint32 flags);
    SubsystemUse(SubsystemUse&& other) noexcept : flags_(other.flags_) { other.flags_ = 0; }
    SubsystemUse& operator=(SubsystemUse&&) = delete;
    ~SubsystemUse();

  private:
    explicit SubsystemUse(Uint32 flags) : flags_(flags) {}
    Uint32 flags_;  // 0 once moved from
};

// The process's single event queue: the events subsystem, claimed by one owner at a time.
class EventQueue {
  public:
    static std::optional<EventQueue> acquire();
    EventQueue(EventQueue&& other) noexcept;
    EventQueue& operator=(EventQueue&&) = delete;
    ~EventQueue();

  private:
    explicit EventQueue(SubsystemUse events) : events_(std::move(events)) {}
    std::optional<SubsystemUse> events_;  // empty once moved from
};

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
using Window = std::unique_ptr<SDL_Window, WindowDeleter>;
using Renderer = std::unique_ptr<SDL_Renderer, RendererDeleter>;

// A window with its renderer; members are destroyed in reverse order, the renderer first.
struct Canvas {
    Window window;
    Renderer renderer;
};

}  // namespace tarnel::graphics
