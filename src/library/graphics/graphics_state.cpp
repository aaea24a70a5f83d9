// GraphicsState: the plugin loaded on the first window, every operation forwarded to its
// backend while a window exists, and shape values taken apart for it.
#include "graphics/graphics.h"

namespace tarnel {

GraphicsState::GraphicsState(std::filesystem::path plugin) : plugin_path_(std::move(plugin)) {}

GraphicsState::~GraphicsState() = default;

void GraphicsState::create_window(std::string_view title, int64_t width, int64_t height) {
    if (backend_) return;
    const auto w = static_cast<int32_t>(static_cast<uint32_t>(width));
    const auto h = static_cast<int32_t>(static_cast<uint32_t>(height));
    if (w < 0 || h < 0 || title.find('\0') != std::string_view::npos) return;
    if (!plugin_) plugin_ = Plugin::load(graphics::kPluginName, plugin_path_);
    if (!plugin_) return;
    auto factory =
        reinterpret_cast<graphics::BackendFactory>(plugin_->symbol(graphics::kBackendEntry));
    if (factory == nullptr) return;
    std::unique_ptr<graphics::Backend> backend(factory());
    if (backend->open(title, w, h)) backend_ = std::move(backend);
}

void GraphicsState::set_draw_color(uint8_t r, uint8_t g, uint8_t b) {
    if (backend_) backend_->set_draw_color(r, g, b);
}

void GraphicsState::clear_screen() {
    if (backend_) backend_->clear_screen();
}

void GraphicsState::render_present() {
    if (backend_) backend_->render_present();
}

void GraphicsState::draw_point(int32_t x, int32_t y) {
    if (backend_) backend_->draw_point(x, y);
}

void GraphicsState::draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (backend_) backend_->draw_line(x1, y1, x2, y2);
}

void GraphicsState::draw_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (backend_) backend_->draw_rect(x, y, w, h);
}

void GraphicsState::fill_rect(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    if (backend_) backend_->fill_rect(x, y, w, h);
}

void GraphicsState::draw_circle(int32_t cx, int32_t cy, int32_t radius) {
    if (backend_) backend_->draw_circle(cx, cy, radius);
}

void GraphicsState::fill_circle(int32_t cx, int32_t cy, int32_t radius) {
    if (backend_) backend_->fill_circle(cx, cy, radius);
}

namespace {

bool is_shape(const Value& value) {
    return value.is(ValueKind::Rect) || value.is(ValueKind::Circle) ||
           value.is(ValueKind::Triangle);
}

graphics::Triangle corners(const Value& shape) {
    const TriangleShape t = shape.as_triangle();
    return {t.x1, t.y1, t.x2, t.y2, t.x3, t.y3};
}

}  // namespace

// The colour is put into effect first, whatever the shape; a circle's radius is read signed.
void GraphicsState::render_shape(const Value& shape, const Value& colour, bool filled) {
    if (!colour.is(ValueKind::Color) || !is_shape(shape)) return;
    const ColorRgb c = colour.as_color();
    set_draw_color(c.r, c.g, c.b);
    if (!backend_) return;
    if (shape.is(ValueKind::Rect)) {
        const RectShape r = shape.as_rect();
        filled ? backend_->fill_rect(r.x, r.y, r.w, r.h) : backend_->draw_rect(r.x, r.y, r.w, r.h);
    } else if (shape.is(ValueKind::Circle)) {
        const CircleShape circle = shape.as_circle();
        const auto radius = static_cast<int32_t>(circle.radius);
        filled ? backend_->fill_circle(circle.x, circle.y, radius)
               : backend_->draw_circle(circle.x, circle.y, radius);
    } else {
        filled ? backend_->fill_triangle(corners(shape)) : backend_->draw_triangle(corners(shape));
    }
}

void GraphicsState::draw_shape(const Value& shape, const Value& colour) {
    render_shape(shape, colour, false);
}

void GraphicsState::fill_shape(const Value& shape, const Value& colour) {
    render_shape(shape, colour, true);
}

std::optional<std::pair<uint32_t, uint32_t>> GraphicsState::window_size() const {
    if (!backend_) return std::nullopt;
    return backend_->window_size();
}

bool GraphicsState::window_open() const {
    return backend_ && backend_->window_open();
}

bool GraphicsState::has_window() const {
    return backend_ != nullptr;
}

std::vector<uint32_t> GraphicsState::read_frame() const {
    return backend_ ? backend_->read_frame() : std::vector<uint32_t>{};
}

bool GraphicsState::push_test_event(graphics::TestEvent event) {
    return backend_ && backend_->push_test_event(event);
}

}  // namespace tarnel
