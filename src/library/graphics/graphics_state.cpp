// GraphicsState: opening the window, colours, clearing, presenting with event handling, and
// the single-call primitives (points, lines, rectangles).
#include <string>

#include "coordinates.h"
#include "graphics_impl.h"
#include "video_driver_choice.h"

namespace tarnel {

using graphics::clamp_coordinate;
using graphics::clamp_size;

GraphicsState::GraphicsState() : impl_(std::make_unique<Impl>()) {}
GraphicsState::~GraphicsState() = default;

void GraphicsState::create_window(std::string_view title, int64_t width, int64_t height) {
    Impl& state = *impl_;
    if (state.sdl) return;

    // Each step's owner is a local, so returning early releases everything acquired so far,
    // in reverse order, and leaves the state untouched.
    auto library = graphics::LibraryUse::acquire();
    if (!library) return;
    graphics::prefer_on_screen_video_drivers();
    auto video = graphics::SubsystemUse::acquire(SDL_INIT_VIDEO);
    if (!video) return;

    const auto w = static_cast<int32_t>(static_cast<uint32_t>(width));
    const auto h = static_cast<int32_t>(static_cast<uint32_t>(height));
    if (w < 0 || h < 0 || title.find('\0') != std::string_view::npos) return;
    const std::string c_title(title);
    graphics::Window window(SDL_CreateWindow(c_title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                             SDL_WINDOWPOS_UNDEFINED, w, h, 0));
    if (!window) return;

    graphics::Renderer renderer(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) return;
    if (SDL_GetWindowPixelFormat(window.get()) == SDL_PIXELFORMAT_UNKNOWN) return;

    auto events = graphics::EventQueue::acquire();
    if (!events) return;

    state.sdl.emplace(Impl::Library{std::move(*library), std::move(*video)});
    state.canvas.emplace(graphics::Canvas{std::move(window), std::move(renderer)});
    state.event_pump.emplace(std::move(*events));
    state.window_open = true;
}

void GraphicsState::set_draw_color(uint8_t r, uint8_t g, uint8_t b) {
    if (SDL_Renderer* renderer = impl_->renderer()) SDL_SetRenderDrawColor(renderer, r, g, b, 255);
}

void GraphicsState::clear_screen() {
    SDL_Renderer* renderer = impl_->renderer();
    if (!renderer) return;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
}

void GraphicsState::render_present() {
    if (SDL_Renderer* renderer = impl_->renderer()) SDL_RenderPresent(renderer);
    if (!impl_->event_pump) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            impl_->window_open = false;
        }
    }
}

void GraphicsState::draw_point(int32_t x, int32_t y) {
    if (SDL_Renderer* renderer = impl_->renderer())
        SDL_RenderDrawPoint(renderer, clamp_coordinate(x), clamp_coordinate(y));
}

void GraphicsState::draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (SDL_Renderer* renderer = impl_->renderer()) {
        SDL_RenderDrawLine(renderer, clamp_coordinate(x1), clamp_coordinate(y1),
                           clamp_coordinate(x2), clamp_coordinate(y2));
    }
}

void GraphicsState::draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (SDL_Renderer* renderer = impl_->renderer()) {
        const SDL_Rect rect{clamp_coordinate(x), clamp_coordinate(y), clamp_size(w), clamp_size(h)};
        SDL_RenderDrawRect(renderer, &rect);
    }
}

void GraphicsState::fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (SDL_Renderer* renderer = impl_->renderer()) {
        const SDL_Rect rect{clamp_coordinate(x), clamp_coordinate(y), clamp_size(w), clamp_size(h)};
        SDL_RenderFillRect(renderer, &rect);
    }
}

std::optional<std::pair<uint32_t, uint32_t>> GraphicsState::window_size() const {
    if (!impl_->canvas) return std::nullopt;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(impl_->canvas->window.get(), &w, &h);
    return std::pair{static_cast<uint32_t>(std::max(w, 0)), static_cast<uint32_t>(std::max(h, 0))};
}

bool GraphicsState::window_open() const {
    return impl_->window_open;
}

bool GraphicsState::has_window() const {
    return impl_->canvas.has_value();
}

std::vector<uint32_t> GraphicsState::read_frame() const {
    SDL_Renderer* renderer = impl_->renderer();
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

}  // namespace tarnel
