// Window builtins: the prefix-free way to drive the interpreter's one window. They only
// delegate to the graphics state, which also serves the "sdl2." functions, so both see the
// same window. Misuse gives Null silently, unlike the module functions' Error values.
#include "builtin_families.h"
#include "graphics/graphics.h"

namespace tarnel {

Value builtin_window(Args args, GraphicsState& graphics) {
    if (args.size() < 2) return Value::null();
    const auto width = to_int64(args[0]);
    const auto height = to_int64(args[1]);
    if (width && height) graphics.create_window("Tarnel", *width, *height);
    return Value::null();
}

Value builtin_clear(Args, GraphicsState& graphics) {
    graphics.clear_screen();
    return Value::null();
}

Value builtin_present(Args, GraphicsState& graphics) {
    graphics.render_present();
    return Value::null();
}

Value builtin_is_open(Args, GraphicsState& graphics) {
    return Value::boolean(graphics.window_open());
}

Value builtin_window_width(Args, GraphicsState& graphics) {
    const auto size = graphics.window_size();
    return size ? Value::number(size->first) : Value::null();
}

Value builtin_window_height(Args, GraphicsState& graphics) {
    const auto size = graphics.window_size();
    return size ? Value::number(size->second) : Value::null();
}

Value builtin_draw(Args args, GraphicsState& graphics) {
    if (args.size() >= 2) graphics.draw_shape(args[0], args[1]);
    return Value::null();
}

Value builtin_fill(Args args, GraphicsState& graphics) {
    if (args.size() >= 2) graphics.fill_shape(args[0], args[1]);
    return Value::null();
}

}  // namespace tarnel
