// The window side of the graphics module, behind a narrow interface. It lives in a plugin
// (libtarnel_sdl.so, the only code that links SDL2), loaded when a script first opens a window,
// so that scripts that never draw do not load SDL2 and its many libraries. Plain numbers cross
// this interface, no values: the plugin needs nothing of the interpreter.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnel::graphics {

struct Triangle {
    int32_t x1, y1, x2, y2, x3, y3;
};

// Test hook: window events as a user closing the window or pressing a key makes them.
enum class TestEvent { Quit, EscapeDown, EscapeUp, OtherKeyDown };

class Backend {
  public:
    virtual ~Backend() = default;

    // Opens the window. On any failure nothing is held and the answer is false.
    virtual bool open(std::string_view title, int32_t width, int32_t height) = 0;

    virtual void set_draw_color(uint8_t r, uint8_t g, uint8_t b) = 0;
    virtual void clear_screen() = 0;
    // Shows the frame and handles pending events (closing, Escape).
    virtual void render_present() = 0;
    virtual bool window_open() const = 0;
    virtual std::pair<uint32_t, uint32_t> window_size() const = 0;

    virtual void draw_point(int32_t x, int32_t y) = 0;
    virtual void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) = 0;
    virtual void fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) = 0;
    virtual void draw_circle(int32_t cx, int32_t cy, int32_t radius) = 0;
    virtual void fill_circle(int32_t cx, int32_t cy, int32_t radius) = 0;
    virtual void draw_triangle(const Triangle& t) = 0;
    virtual void fill_triangle(const Triangle& t) = 0;

    // Test hooks: the frame as 0xRRGGBB values row by row, and a queued window event.
    virtual std::vector<uint32_t> read_frame() const = 0;
    virtual bool push_test_event(TestEvent event) = 0;
};

// The plugin's file name and its one entry point, which makes a backend without a window.
inline constexpr std::string_view kPluginName = "libtarnel_sdl.so";
inline constexpr const char* kBackendEntry = "tarnel_graphics_backend";
using BackendFactory = Backend* (*)();

}  // namespace tarnel::graphics
