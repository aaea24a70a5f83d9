// The SDL side of GraphicsState, shared by the files that implement its operations.
#pragma once

#include <optional>

#include "graphics/graphics.h"
#include "sdl_handles.h"

namespace tarnel {

struct GraphicsState::Impl {
    // The initialised library: one library use plus one video subsystem use.
    struct Library {
        graphics::LibraryUse library;
        graphics::SubsystemUse video;
    };

    // Declaration order is release order reversed: canvas (renderer, then window), then the
    // event queue, then the video subsystem and the library.
    std::optional<Library> sdl;
    std::optional<graphics::EventQueue> event_pump;
    std::optional<graphics::Canvas> canvas;
    bool window_open = false;

    SDL_Renderer* renderer() const { return canvas ? canvas->renderer.get() : nullptr; }
};

}  // namespace tarnel
