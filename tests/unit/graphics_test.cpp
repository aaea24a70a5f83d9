// The graphics module against the real SDL library, headless: the dummy video driver gives a
// software renderer whose frame is read back pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "graphics/graphics.h"

namespace tarnel {
namespace {

using Point = std::pair<int, int>;
using Points = std::set<Point>;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

// The plugin as built beside the tests (the usual place is beside the program).
std::unique_ptr<GraphicsState> make_state() {
    return std::make_unique<GraphicsState>(TARNEL_SDL_PLUGIN);
}

void use_dummy_video() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
}

// Every non-black pixel of the frame, by position.
std::map<Point, uint32_t> lit_pixels(const GraphicsState& state) {
    const std::vector<uint32_t> frame = state.read_frame();
    EXPECT_EQ(frame.size(), size_t(kWidth * kHeight));
    std::map<Point, uint32_t> lit;
    for (size_t i = 0; i < frame.size(); ++i) {
        if (frame[i] != 0) lit[{int(i % kWidth), int(i / kWidth)}] = frame[i];
    }
    return lit;
}

std::map<Point, uint32_t> painted(const Points& points, uint32_t colour) {
    std::map<Point, uint32_t> out;
    for (const Point& p : points)
        out[p] = colour;
    return out;
}

Points filled(int x, int y, int w, int h) {
    Points out;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            out.insert({i, j});
    return out;
}

Points row(int x0, int x1, int y) {
    return filled(x0, y, x1 - x0 + 1, 1);
}

Points& operator|=(Points& a, const Points& b) {
    a.insert(b.begin(), b.end());
    return a;
}

Points operator|(Points a, const Points& b) {
    a |= b;
    return a;
}

// The octant steps of the circle walk, worked out by hand for a few radii.
const std::map<int, std::vector<Point>> kCircleSteps = {
    {1, {{1, 0}}},
    {3, {{3, 0}, {2, 1}}},
    {5, {{5, 0}, {5, 1}, {4, 2}, {3, 3}}},
    {10, {{10, 0}, {10, 1}, {10, 2}, {9, 3}, {9, 4}, {8, 5}, {7, 6}}},
};

Points circle_outline(int cx, int cy, int radius) {
    Points out;
    for (auto [x, y] : kCircleSteps.at(radius)) {
        out |= Points{{cx + x, cy + y}, {cx - x, cy + y}, {cx + x, cy - y}, {cx - x, cy - y},
                      {cx + y, cy + x}, {cx - y, cy + x}, {cx + y, cy - x}, {cx - y, cy - x}};
    }
    return out;
}

Points disc(int cx, int cy, int radius) {
    Points out;
    for (auto [x, y] : kCircleSteps.at(radius)) {
        out |= row(cx - x, cx + x, cy + y);
        out |= row(cx - y, cx + y, cy + x);
        out |= row(cx - x, cx + x, cy - y);
        out |= row(cx - y, cx + y, cy - x);
    }
    return out;
}

class GraphicsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        use_dummy_video();
        state.create_window("test", kWidth, kHeight);
        ASSERT_TRUE(state.has_window());
        state.clear_screen();
    }

    GraphicsState state{TARNEL_SDL_PLUGIN};
};

TEST(GraphicsWindow, OpensOnceAndReportsItsState) {
    use_dummy_video();
    GraphicsState state(TARNEL_SDL_PLUGIN);
    EXPECT_FALSE(state.window_open());
    EXPECT_FALSE(state.window_size());
    EXPECT_TRUE(state.read_frame().empty());

    state.create_window("first", 320, 200);
    EXPECT_TRUE(state.window_open());
    EXPECT_EQ(state.window_size(), (std::pair<uint32_t, uint32_t>{320, 200}));

    state.create_window("second", 100, 100);
    EXPECT_EQ(state.window_size(), (std::pair<uint32_t, uint32_t>{320, 200}));
}

TEST(GraphicsWindow, FailuresAreSilentAndLeaveNoWindow) {
    use_dummy_video();
    for (auto [title, w, h] : {std::tuple{std::string_view("nul\0title", 9), 10, 10},
                               std::tuple{std::string_view("neg"), -1, 10},
                               std::tuple{std::string_view("neg"), 10, int(0x80000000u)}}) {
        GraphicsState state(TARNEL_SDL_PLUGIN);
        state.create_window(title, w, h);
        EXPECT_FALSE(state.has_window()) << title;
        EXPECT_FALSE(state.window_open());
    }

    // No display at all: the X11 driver cannot connect; nothing is printed.
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        GraphicsState state(TARNEL_SDL_PLUGIN);
        state.create_window("headless", 100, 80);
        state.set_draw_color(255, 0, 0);
        state.fill_rect(0, 0, 10, 10);
        state.fill_shape(Value::circle({5, 5, 3}), Value::color({1, 2, 3}));
        state.render_present();
        EXPECT_FALSE(state.has_window());
        EXPECT_FALSE(state.window_size());
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (display) setenv("DISPLAY", saved.c_str(), 1);

    // The library is usable again afterwards.
    use_dummy_video();
    GraphicsState state(TARNEL_SDL_PLUGIN);
    state.create_window("after", 10, 10);
    EXPECT_TRUE(state.has_window());
}

TEST(GraphicsWindow, OneEventQueuePerProcess) {
    use_dummy_video();
    auto first = make_state();
    first->create_window("first", 20, 20);
    ASSERT_TRUE(first->has_window());

    GraphicsState second(TARNEL_SDL_PLUGIN);
    second.create_window("second", 20, 20);
    EXPECT_FALSE(second.has_window());
    EXPECT_FALSE(second.window_open());
    EXPECT_TRUE(first->has_window());  // the failed attempt released only its own resources
    first->fill_rect(0, 0, 1, 1);

    first.reset();
    second.create_window("second", 20, 20);
    EXPECT_TRUE(second.has_window());
}

TEST(GraphicsWindow, SetDrawColorBeforeWindowIsNotApplied) {
    use_dummy_video();
    GraphicsState state(TARNEL_SDL_PLUGIN);
    state.set_draw_color(255, 0, 0);
    state.create_window("late", kWidth, kHeight);
    ASSERT_TRUE(state.has_window());
    state.fill_rect(0, 0, kWidth, kHeight);
    EXPECT_EQ(lit_pixels(state).count({0, 0}), 0u);
}

TEST_F(GraphicsTest, CloseRequestsAreSeenAtTheNextPresent) {
    using graphics::TestEvent;
    ASSERT_TRUE(state.push_test_event(TestEvent::OtherKeyDown));
    ASSERT_TRUE(state.push_test_event(TestEvent::EscapeUp));
    state.render_present();
    EXPECT_TRUE(state.window_open());

    ASSERT_TRUE(state.push_test_event(TestEvent::EscapeDown));
    state.clear_screen();
    EXPECT_TRUE(state.window_open());
    state.render_present();
    EXPECT_FALSE(state.window_open());

    // Closing changes nothing else: the window stays and can be drawn on.
    EXPECT_TRUE(state.has_window());
    state.set_draw_color(255, 0, 0);
    state.draw_point(1, 1);
    EXPECT_EQ(lit_pixels(state), painted({{1, 1}}, kRed));
}

TEST_F(GraphicsTest, QuitEventClosesToo) {
    ASSERT_TRUE(state.push_test_event(graphics::TestEvent::Quit));
    EXPECT_TRUE(state.window_open());
    state.render_present();
    EXPECT_FALSE(state.window_open());
}

TEST_F(GraphicsTest, RectanglesWithZeroAndHugeSizes) {
    state.set_draw_color(255, 255, 255);
    state.fill_rect(0, 0, 0, 0);
    state.draw_rect(30, 30, 0, 0);
    state.fill_rect(50, 40, 0, 3);
    state.fill_rect(40, 5, 0xFFFFFFFFu, 2);  // negative width: runs to the right edge
    state.fill_rect(-5, 20, 10, 1);          // partly left of the window
    state.set_draw_color(0, 255, 0);
    state.draw_rect(10, 10, 6, 4);

    Points white = {{0, 0}, {30, 30}};
    white |= filled(50, 40, 1, 3);
    white |= filled(40, 5, kWidth - 40, 2);
    white |= filled(0, 20, 5, 1);
    auto expected = painted(white, kWhite);
    for (const Point& p : filled(10, 10, 6, 4)) {
        if (p.first == 10 || p.first == 15 || p.second == 10 || p.second == 13)
            expected[p] = kGreen;
    }
    EXPECT_EQ(lit_pixels(state), expected);
}

TEST_F(GraphicsTest, PointsAndLinesAreClampedNotWrapped) {
    state.set_draw_color(255, 255, 255);
    state.draw_point(3, 4);
    state.draw_point(INT32_MAX, 0);
    state.draw_point(INT32_MIN, INT32_MIN);
    state.draw_line(5, 30, 25, 30);
    state.draw_line(40, 25, 40, 35);
    state.draw_line(60, 40, 58, 40);
    // Far-out ends reach the renderer clamped; the software renderer skips lines this long,
    // and nothing may wrap around into view.
    state.draw_line(INT32_MIN, 10, INT32_MAX, 10);
    state.fill_rect(INT32_MIN, 45, 0xFFFFFFFFu, 1);  // ends left of the window

    Points expected = {{3, 4}};
    expected |= row(5, 25, 30);
    expected |= filled(40, 25, 1, 11);
    expected |= row(58, 60, 40);
    EXPECT_EQ(lit_pixels(state), painted(expected, kWhite));
}

TEST_F(GraphicsTest, CircleOutlinesFollowTheWalk) {
    state.set_draw_color(0, 0, 255);
    state.draw_circle(5, 5, 1);
    state.draw_circle(12, 12, 3);
    state.draw_circle(25, 8, 5);
    state.draw_circle(45, 25, 10);
    state.draw_circle(5, 40, 0);
    state.draw_circle(10, 40, -3);

    Points expected = circle_outline(5, 5, 1);
    expected |= circle_outline(12, 12, 3);
    expected |= circle_outline(25, 8, 5);
    expected |= circle_outline(45, 25, 10);
    EXPECT_EQ(lit_pixels(state), painted(expected, kBlue));
    EXPECT_EQ(circle_outline(12, 12, 3).size(), 12u);
}

TEST_F(GraphicsTest, DiscsFollowTheWalk) {
    state.set_draw_color(255, 0, 0);
    state.fill_circle(5, 5, 1);
    state.fill_circle(12, 12, 3);
    state.fill_circle(25, 8, 5);
    state.fill_circle(45, 25, 10);
    state.fill_circle(5, 40, 0);
    state.fill_circle(10, 40, INT32_MIN);

    Points expected = disc(5, 5, 1);
    expected |= disc(12, 12, 3);
    expected |= disc(25, 8, 5);
    expected |= disc(45, 25, 10);
    EXPECT_EQ(lit_pixels(state), painted(expected, kRed));
    Points radius3 = row(9, 15, 12);
    radius3 |= Points{{12, 15}, {12, 9}};
    radius3 |= row(10, 14, 13);
    radius3 |= row(10, 14, 11);
    radius3 |= row(11, 13, 14);
    radius3 |= row(11, 13, 10);
    EXPECT_EQ(disc(12, 12, 3), radius3);
}

TEST_F(GraphicsTest, ShapeValuesOutlinedAndFilled) {
    state.draw_shape(Value::rect({5, 5, 8, 4}), Value::color({255, 0, 0}));
    state.fill_shape(Value::rect({20, 5, 3, 2}), Value::color({0, 255, 0}));
    state.draw_shape(Value::circle({40, 10, 3}), Value::color({0, 0, 255}));
    state.fill_shape(Value::circle({55, 10, 3}), Value::color({255, 255, 255}));
    state.draw_shape(Value::rect({0, 47, 0, 0}), Value::color({255, 0, 0}));
    state.draw_shape(Value::circle({30, 30, 0xFFFFFFFFu}), Value::color({255, 0, 0}));  // radius -1

    auto expected = painted(filled(20, 5, 3, 2), kGreen);
    for (const Point& p : filled(5, 5, 8, 4)) {
        if (p.first == 5 || p.first == 12 || p.second == 5 || p.second == 8) expected[p] = kRed;
    }
    expected[{0, 47}] = kRed;
    for (const Point& p : circle_outline(40, 10, 3))
        expected[p] = kBlue;
    for (const Point& p : disc(55, 10, 3))
        expected[p] = kWhite;
    EXPECT_EQ(lit_pixels(state), expected);
}

TEST_F(GraphicsTest, TriangleOutlineWalksEachEdgePointByPoint) {
    const Value white = Value::color({255, 255, 255});
    state.draw_shape(Value::triangle({2, 2, 6, 2, 2, 6}), white);
    state.draw_shape(Value::triangle({10, 10, 14, 12, 10, 12}), white);
    state.draw_shape(Value::triangle({30, 30, 30, 30, 30, 30}), white);

    Points expected = row(2, 6, 2);
    expected |= Points{{5, 3}, {4, 4}, {3, 5}};
    expected |= filled(2, 2, 1, 5);
    expected |= Points{{10, 10}, {11, 10}, {12, 11}, {13, 11}};
    expected |= row(10, 14, 12);
    expected |= filled(10, 10, 1, 3);
    expected.insert({30, 30});
    EXPECT_EQ(lit_pixels(state), painted(expected, kWhite));
}

// Each row between the top and bottom vertex holds one unbroken span whose ends lie within a
// pixel of the true edges; no other row is touched.
void expect_filled_triangle(const std::map<Point, uint32_t>& lit, std::vector<Point> v) {
    std::map<int, std::vector<int>> rows;
    for (const auto& [p, colour] : lit)
        rows[p.second].push_back(p.first);
    const int top = std::min({v[0].second, v[1].second, v[2].second});
    const int bottom = std::max({v[0].second, v[1].second, v[2].second});
    EXPECT_EQ(rows.begin()->first, top);
    EXPECT_EQ(rows.rbegin()->first, bottom);
    for (int y = top; y <= bottom; ++y) {
        ASSERT_TRUE(rows.count(y)) << "row " << y;
        const std::vector<int>& xs = rows[y];
        EXPECT_EQ(xs.back() - xs.front() + 1, int(xs.size())) << "row " << y << " is broken";
        double left = 1e9;
        double right = -1e9;
        for (int i = 0; i < 3; ++i) {
            auto [xa, ya] = v[i];
            auto [xb, yb] = v[(i + 1) % 3];
            if (ya == yb) {
                if (y == ya)
                    left = std::min({left, double(xa), double(xb)}),
                    right = std::max({right, double(xa), double(xb)});
            } else if (std::min(ya, yb) <= y && y <= std::max(ya, yb)) {
                const double x = xa + double(xb - xa) * (y - ya) / (yb - ya);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        EXPECT_NEAR(xs.front(), left, 1.0) << "row " << y;
        EXPECT_NEAR(xs.back(), right, 1.0) << "row " << y;
    }
}

TEST_F(GraphicsTest, TriangleFillCoversEveryRow) {
    state.fill_shape(Value::triangle({30, 4, 50, 40, 8, 25}), Value::color({0, 255, 255}));
    expect_filled_triangle(lit_pixels(state), {{30, 4}, {50, 40}, {8, 25}});
}

TEST_F(GraphicsTest, TriangleFillWithFlatEdges) {
    const Value cyan = Value::color({0, 255, 255});
    state.fill_shape(Value::triangle({5, 5, 25, 5, 15, 20}), cyan);  // flat top
    expect_filled_triangle(lit_pixels(state), {{5, 5}, {25, 5}, {15, 20}});
    EXPECT_EQ(lit_pixels(state).count({5, 5}) + lit_pixels(state).count({25, 5}), 2u);

    state.clear_screen();
    state.fill_shape(Value::triangle({40, 30, 60, 45, 35, 45}), cyan);  // flat bottom
    expect_filled_triangle(lit_pixels(state), {{40, 30}, {60, 45}, {35, 45}});

    state.clear_screen();
    state.fill_shape(Value::triangle({1, 9, 30, 9, 60, 9}), cyan);  // all on one row
    EXPECT_TRUE(lit_pixels(state).empty());
}

TEST_F(GraphicsTest, DrawingColourRules) {
    // A shape's colour stays in effect for later drawing.
    state.fill_shape(Value::rect({0, 0, 2, 2}), Value::color({0, 255, 0}));
    state.fill_rect(10, 0, 2, 2);
    // Arguments of the wrong kind draw nothing and leave the colour alone.
    state.draw_shape(Value::color({255, 0, 0}), Value::rect({20, 0, 2, 2}));
    state.fill_shape(Value::rect({20, 0, 2, 2}), Value::number(7));
    state.fill_shape(Value::string("x"), Value::color({255, 0, 0}));
    state.fill_rect(30, 0, 2, 2);
    auto expected = painted(filled(0, 0, 2, 2) | filled(10, 0, 2, 2) | filled(30, 0, 2, 2), kGreen);
    EXPECT_EQ(lit_pixels(state), expected);

    // clear_screen wipes everything and leaves black selected.
    state.set_draw_color(0, 0, 255);
    state.fill_rect(0, 0, kWidth, kHeight);
    state.set_draw_color(255, 0, 0);
    state.clear_screen();
    state.fill_rect(5, 5, 4, 4);
    EXPECT_TRUE(lit_pixels(state).empty());
    state.set_draw_color(255, 0, 0);
    state.draw_point(7, 7);
    EXPECT_EQ(lit_pixels(state), painted({{7, 7}}, kRed));
}

}  // namespace
}  // namespace tarnel
