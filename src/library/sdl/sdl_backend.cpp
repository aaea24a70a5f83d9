// The SDL2 backend: opening the window, colours, clearing, presenting with event handling, the
// single-call primitives (points, lines, rectangles) and the test hooks.
#include "sdl_backend.h"

#include <string>

#include "coordinates.h"
#include "video_driver_choice.h"

// The plugin's entry point (see graphics/backend.h).
extern "C" __attribute__((visibility("default"))) tarnel::graphics::Backend*
tarnel_graphics_backend() {
    return new tarnel::graphics::SdlBackend();  // owned by the caller from here on
}

namespace tarnel::graphics {

bool SdlBackend::open(std::string_view title, int32_t w, int32_t h) {
    if (sdl_) return false;

    // Each step's owner is a local, so returning early releases everything acquired so far,
    // in reverse order, and leaves the state untouched.
    auto library = LibraryUse::acquire();
    if (!library) return false;
    prefer_on_screen_video_drivers();
    auto video = SubsystemUse::acquire(SDL_INIT_VIDEO);
    if (!video) return false;

    const std::string c_title(title);
    Window window(SDL_CreateWindow(c_title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                   SDL_WINDOWPOS_UNDEFINED, w, h, 0));
    if (!window) return false;

    Renderer renderer(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) return false;
    if (SDL_GetWindowPixelFormat(window.get()) == SDL_PIXELFORMAT_UNKNOWN) return false;

    auto events = EventQueue::acquire();
    if (!events) return false;

    sdl_.emplace(Library{std::move(*library), std::move(*video)});
    canvas_.emplace(Canvas{std::move(window), std::move(renderer)});
    event_pump_.emplace(std::move(*events));
    window_open_ = true;
    return true;
}

void SdlBackend::set_draw_color(uint8_t r, uint8_t g, uint8_t b) {
    if (SDL_Renderer* renderer = this->renderer()) SDL_SetRenderDrawColor(renderer, r, g, b, 255);
}

void SdlBackend::clear_screen() {
    SDL_Renderer* renderer = this->renderer();
    if (!renderer) return;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
}

void SdlBackend::render_present() {
    if (SDL_Renderer* renderer = this->renderer()) SDL_RenderPresent(renderer);
    if (!event_pump_) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            window_open_ = false;
        }
    }
}

void SdlBackend::draw_point(int32_t x, int32_t y) {
    if (SDL_Renderer* renderer = this->renderer())
        SDL_RenderDrawPoint(renderer, clamp_coordinate(x), clamp_coordinate(y));
}

void SdlBackend::draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (SDL_Renderer* renderer = this->renderer()) {
        SDL_RenderDrawLine(renderer, clamp_coordinate(x1), clamp_coordinate(y1),
                           clamp_coordinate(x2), clamp_coordinate(y2));
    }
}

void SdlBackend::draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (SDL_Renderer* renderer = this->renderer()) {
        const SDL_Rect rect{clamp_coordinate(x), clamp_coordinate(y), clamp_size(w), clamp_size(h)};
        SDL_RenderDrawRect(renderer, &rect);
    }
}

void SdlBackend::fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (SDL_Renderer* renderer = this->renderer()) {
        const SDL_Rect rect{clamp_coordinate(x), clamp_coordinate(y), clamp_size(w), clamp_size(h)};
        SDL_RenderFillRect(renderer, &rect);
    }
}

std::pair<uint32_t, uint32_t> SdlBackend::window_size() const {
    int w = 0;
    int h = 0;
    if (canvas_) SDL_GetWindowSize(canvas_->window.get(), &w, &h);
    return std::pair{static_cast<uint32_t>(std::max(w, 0)), static_cast<uint32_t>(std::max(h, 0))};
}

std::vector<uint32_t> SdlBackend::read_frame() const {
    SDL_Renderer* renderer = this->renderer();
    if (!renderer) return {};
    int w = 0;
    int h = 0;
    if (SDL_GetRendererOutputSize(renderer, &w, &h) != 0 || w <= 0 || h <= 0) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(),
                             w * static_cast<int>(sizeof(uint32_t))) != 0) {
        return {};
    }
    for (uint32_t& p : pixels)
        p &= 0xFFFFFFu;
    return pixels;
}

bool SdlBackend::push_test_event(TestEvent event) {
    SDL_Event e{};
    switch (event) {
        case TestEvent::Quit:
            e.type = SDL_QUIT;
            break;
        case TestEvent::EscapeDown:
        case TestEvent::EscapeUp:
        case TestEvent::OtherKeyDown:
            e.type = event == TestEvent::EscapeUp ? SDL_KEYUP : SDL_KEYDOWN;
            e.key.state = event == TestEvent::EscapeUp ? SDL_RELEASED : SDL_PRESSED;
            e.key.keysym.sym = event == TestEvent::OtherKeyDown ? SDLK_a : SDLK_ESCAPE;
            e.key.keysym.scancode =
                event == TestEvent::OtherKeyDown ? SDL_SCANCODE_A : SDL_SCANCODE_ESCAPE;
            break;
    }
    return SDL_PushEvent(&e) == 1;
}

}  // namespace tarnel::graphics
