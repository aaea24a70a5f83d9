// The graphics module: one window with a 2-D renderer per interpreter, through SDL2.
//
// GraphicsState is the per-interpreter record. The window itself lives in the SDL2 plugin
// (graphics/backend.h), loaded on the first window: before that, and whenever no window exists,
// drawing does nothing and no SDL2 library is loaded. Every failure to open a window (no
// display, no plugin) is silent, so scripts run unchanged on machines without a display.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/backend.h"
#include "support/plugin.h"
#include "values/value.h"

// The sixteen functions of the "sdl2." module, in the order of its export table: the one list
// from which the dispatcher's names and the list of names (shell completion, the checker, the
// editor files) are made. X(Enumerator, short_name, fewest arguments with a meaning).
// clang-format off
#define TARNEL_GRAPHICS_FUNCTIONS(X)                                                             \
    X(Init, init, 0) X(CreateWindow, create_window, 3) X(DestroyWindow, destroy_window, 0)       \
    X(SetWindowTitle, set_window_title, 2) X(ClearScreen, clear_screen, 0)                      \
    X(RenderPresent, render_present, 0) X(SetDrawColor, set_draw_color, 3)                      \
    X(DrawPoint, draw_point, 2) X(DrawLine, draw_line, 4) X(DrawRect, draw_rect, 4)             \
    X(FillRect, fill_rect, 4) X(DrawCircle, draw_circle, 3) X(FillCircle, fill_circle, 3)       \
    X(GetWindowWidth, get_window_width, 0) X(GetWindowHeight, get_window_height, 0)             \
    X(IsWindowOpen, is_window_open, 0)
// clang-format on

namespace tarnel {

class GraphicsState {
  public:
    // The plugin from its usual place, or from `plugin` (tests).
    explicit GraphicsState(std::filesystem::path plugin = {});
    ~GraphicsState();
    GraphicsState(const GraphicsState&) = delete;
    GraphicsState& operator=(const GraphicsState&) = delete;

    // Opens the window unless one exists; width and height are the low 32 bits, unsigned.
    void create_window(std::string_view title, int64_t width, int64_t height);
    void set_draw_color(uint8_t r, uint8_t g, uint8_t b);
    void clear_screen();
    void render_present();
    void draw_point(int32_t x, int32_t y);
    void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h);
    void fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h);
    void draw_circle(int32_t cx, int32_t cy, int32_t radius);
    void fill_circle(int32_t cx, int32_t cy, int32_t radius);
    // Outline or fill a Rect, Circle or Triangle value in a Color value; anything else is ignored.
    void draw_shape(const Value& shape, const Value& colour);
    void fill_shape(const Value& shape, const Value& colour);

    std::optional<std::pair<uint32_t, uint32_t>> window_size() const;
    bool window_open() const;
    bool has_window() const;

    // Test hooks: the current frame as 0xRRGGBB values, row by row (empty without a window),
    // and window events as a user makes them (false without a window).
    std::vector<uint32_t> read_frame() const;
    bool push_test_event(graphics::TestEvent event);

  private:
    void render_shape(const Value& shape, const Value& colour, bool filled);

    std::filesystem::path plugin_path_;
    std::optional<Plugin> plugin_;  // outlives the backend it made
    std::unique_ptr<graphics::Backend> backend_;
};

// Answers the sixteen "sdl2." names; nothing for any other name.
std::optional<Value> call_graphics(std::string_view qualified_name, std::span<Value> args,
                                   GraphicsState& state);

// The module's short function names (init, create_window, ...), for the export table.
std::span<const std::string_view> graphics_function_names();

}  // namespace tarnel
