// The SDL2 backend of the graphics module: one window with its renderer and the process's one
// event queue, each owned by an RAII handle and released in reverse order of acquisition.
#pragma once

#include <optional>

#include "graphics/backend.h"
#include "sdl_handles.h"

namespace tarnel::graphics {

class SdlBackend final : public Backend {
  public:
    bool open(std::string_view title, int32_t width, int32_t height) override;
    void set_draw_color(uint8_t r, uint8_t g, uint8_t b) override;
    void clear_screen() override;
    void render_present() override;
    bool window_open() const override { return window_open_; }
    std::pair<uint32_t, uint32_t> window_size() const override;

    void draw_point(int32_t x, int32_t y) override;
    void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) override;
    void fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) override;
    void draw_circle(int32_t cx, int32_t cy, int32_t radius) override;  // shape_drawing.cpp
    void fill_circle(int32_t cx, int32_t cy, int32_t radius) override;
    void draw_triangle(const Triangle& t) override;
    void fill_triangle(const Triangle& t) override;

    std::vector<uint32_t> read_frame() const override;
    bool push_test_event(TestEvent event) override;

  private:
    SDL_Renderer* renderer() const { return canvas_ ? canvas_->renderer.get() : nullptr; }

    // The initialised library: one library use plus one video subsystem use.
    struct Library {
        LibraryUse library;
        SubsystemUse video;
    };
    // Declaration order is release order reversed: canvas (renderer, then window), then the
    // event queue, then the video subsystem and the library.
    std::optional<Library> sdl_;
    std::optional<EventQueue> event_pump_;
    std::optional<Canvas> canvas_;
    bool window_open_ = false;
};

}  // namespace tarnel::graphics
