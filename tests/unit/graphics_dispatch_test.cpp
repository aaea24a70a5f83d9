// The "sdl2." dispatcher: which names it answers, its argument checks and their messages, and
// the number conversions on the way to a (headless) window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/graphics.h"

namespace tarnel {
namespace {

std::optional<Value> call(GraphicsState& state, std::string_view name, std::vector<Value> args) {
    return call_graphics(name, args, state);
}

std::string answer(GraphicsState& state, std::string_view name, std::vector<Value> args) {
    const auto result = call(state, name, std::move(args));
    return result ? display_string(*result) : "<not handled>";
}

Value num(int64_t n) {
    return Value::number(n);
}
Value str(const char* s) {
    return Value::string(s);
}

TEST(GraphicsDispatch, AnswersExactlyTheSixteenNames) {
    const std::vector<std::string_view> expected = {
        "init",         "create_window",    "destroy_window",    "set_window_title",
        "clear_screen", "render_present",   "set_draw_color",    "draw_point",
        "draw_line",    "draw_rect",        "fill_rect",         "draw_circle",
        "fill_circle",  "get_window_width", "get_window_height", "is_window_open"};
    const auto names = graphics_function_names();
    EXPECT_EQ(std::vector<std::string_view>(names.begin(), names.end()), expected);

    GraphicsState state{TARNEL_SDL_PLUGIN};
    for (std::string_view name : {"sdl2.nothing", "sdl2.Init", "Sdl2.init", "init", "sdl2.",
                                  "sdl2x.init", "http.init", "sdl2.init_", "sdl2.print"}) {
        EXPECT_FALSE(call(state, name, {})) << name;
    }
}

TEST(GraphicsDispatch, WithoutAWindow) {
    GraphicsState state{TARNEL_SDL_PLUGIN};
    EXPECT_EQ(answer(state, "sdl2.init", {num(5)}), "true");
    EXPECT_EQ(answer(state, "sdl2.is_window_open", {}), "false");
    EXPECT_EQ(answer(state, "sdl2.get_window_width", {str("x")}), "null");
    EXPECT_EQ(answer(state, "sdl2.get_window_height", {}), "null");
    for (auto [name, arity] : {std::pair{"sdl2.destroy_window", 0},
                               {"sdl2.clear_screen", 0},
                               {"sdl2.render_present", 0},
                               {"sdl2.set_draw_color", 3},
                               {"sdl2.draw_point", 2},
                               {"sdl2.draw_line", 4},
                               {"sdl2.draw_rect", 4},
                               {"sdl2.fill_rect", 4},
                               {"sdl2.draw_circle", 3},
                               {"sdl2.fill_circle", 3}}) {
        EXPECT_EQ(answer(state, name, std::vector<Value>(arity, num(3))), "null") << name;
    }
    EXPECT_FALSE(state.has_window());
}

TEST(GraphicsDispatch, ArgumentErrors) {
    GraphicsState state{TARNEL_SDL_PLUGIN};
    struct Case {
        const char* name;
        std::vector<Value> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"sdl2.create_window", {}, "Error: create_window requires 3 arguments"},
        {"sdl2.create_window", {str("T"), num(640)}, "Error: create_window requires 3 arguments"},
        {"sdl2.create_window",
         {num(640), num(480), str("T")},
         "Error: Invalid arguments for create_window"},
        {"sdl2.create_window",
         {str("T"), str("640"), num(480)},
         "Error: Invalid arguments for create_window"},
        {"sdl2.create_window",
         {str("T"), num(640), Value::null()},
         "Error: Invalid arguments for create_window"},
        {"sdl2.set_window_title", {str("t")}, "Error: set_window_title requires 2 arguments"},
        {"sdl2.set_window_title", {str("a"), num(2)}, "Error: Title must be a string"},
        {"sdl2.set_window_title", {num(5), str("ok")}, "null"},
        {"sdl2.set_draw_color", {num(1), num(2)}, "Error: set_draw_color requires 3 arguments"},
        {"sdl2.set_draw_color", {num(1), str("2"), num(3)}, "Error: Color values must be numbers"},
        {"sdl2.draw_point", {num(1)}, "Error: draw_point requires 2 arguments"},
        {"sdl2.draw_point", {str("a"), num(1)}, "Error: Coordinates must be numbers"},
        {"sdl2.draw_line", {num(0), num(0), num(0)}, "Error: draw_line requires 4 arguments"},
        {"sdl2.draw_line",
         {num(0), num(0), num(0), str("x")},
         "Error: Coordinates must be numbers"},
        {"sdl2.draw_rect", {str("a")}, "Error: draw_rect requires 4 arguments"},
        {"sdl2.draw_rect",
         {num(1), num(2), num(3), str("4")},
         "Error: Rectangle parameters must be numbers"},
        {"sdl2.fill_rect", {}, "Error: fill_rect requires 4 arguments"},
        {"sdl2.fill_rect",
         {num(1), num(2), Value::null(), num(4)},
         "Error: Rectangle parameters must be numbers"},
        {"sdl2.draw_circle", {num(1), num(2)}, "Error: draw_circle requires 3 arguments"},
        {"sdl2.draw_circle",
         {num(1), str("2"), num(3)},
         "Error: Circle parameters must be numbers"},
        {"sdl2.fill_circle", {str("x"), str("y")}, "Error: fill_circle requires 3 arguments"},
        {"sdl2.fill_circle",
         {Value::array({num(1)}), num(2), num(3)},
         "Error: Circle parameters must be numbers"},
        // Arguments beyond the listed ones are never looked at.
        {"sdl2.draw_point", {num(1), num(2), str("x")}, "null"},
        {"sdl2.fill_rect", {num(0), num(0), num(1), num(1), Value::null()}, "null"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(answer(state, c.name, c.args), c.expected) << c.name;
    }
}

TEST(GraphicsDispatch, NumbersAreConvertedOnTheWayToTheWindow) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    GraphicsState state{TARNEL_SDL_PLUGIN};
    EXPECT_EQ(answer(state, "sdl2.create_window", {str("T"), Value::real(64.7), num(48)}), "1");
    ASSERT_TRUE(state.has_window());
    EXPECT_EQ(answer(state, "sdl2.get_window_width", {}), "64");
    EXPECT_EQ(answer(state, "sdl2.get_window_height", {}), "48");
    EXPECT_EQ(answer(state, "sdl2.is_window_open", {}), "true");
    EXPECT_EQ(answer(state, "sdl2.create_window", {str("U"), num(10), num(10)}), "1");
    EXPECT_EQ(answer(state, "sdl2.get_window_width", {}), "64");
    EXPECT_EQ(answer(state, "sdl2.destroy_window", {}), "null");
    EXPECT_TRUE(state.has_window());

    answer(state, "sdl2.clear_screen", {});
    answer(state, "sdl2.set_draw_color", {num(256), num(-1), Value::real(300.9)});
    answer(state, "sdl2.fill_rect", {num(0), num(0), num(0), num(0)});
    answer(state, "sdl2.set_draw_color", {num(511), Value::real(std::nan("")), Value::real(-1.5)});
    answer(state, "sdl2.draw_point", {Value::real(3.9), Value::real(6.99)});
    answer(state, "sdl2.fill_rect", {num(10), num(10), num(-1), num(1)});  // to the right edge

    const std::vector<uint32_t> frame = state.read_frame();
    ASSERT_EQ(frame.size(), 64u * 48u);
    EXPECT_EQ(frame[0], 0x00FF2Cu);
    EXPECT_EQ(frame[1], 0u);
    EXPECT_EQ(frame[6 * 64 + 3], 0xFF00FFu);
    EXPECT_EQ(frame[10 * 64 + 10], 0xFF00FFu);
    EXPECT_EQ(frame[10 * 64 + 63], 0xFF00FFu);
    EXPECT_EQ(frame[11 * 64 + 10], 0u);
}

}  // namespace
}  // namespace tarnel
