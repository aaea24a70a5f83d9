// The "sdl2." dispatcher: argument checks, number conversions and the module's names.
// Recognising a name and answering it allocates nothing unless the answer is an Error.
#include <array>

#include "graphics/graphics.h"

namespace tarnel {

namespace {

enum class Function {
#define TARNEL_GRAPHICS_ENUM(enumerator, name, minimum) enumerator,
    TARNEL_GRAPHICS_FUNCTIONS(TARNEL_GRAPHICS_ENUM)
#undef TARNEL_GRAPHICS_ENUM
};

// In the order of Function, which is the order of the module's export table.
constexpr std::string_view kNames[] = {
#define TARNEL_GRAPHICS_NAME(enumerator, name, minimum) #name,
    TARNEL_GRAPHICS_FUNCTIONS(TARNEL_GRAPHICS_NAME)
#undef TARNEL_GRAPHICS_NAME
};

constexpr std::string_view kPrefix = "sdl2.";

std::optional<Function> find_function(std::string_view qualified_name) {
    if (!qualified_name.starts_with(kPrefix)) return std::nullopt;
    const std::string_view name = qualified_name.substr(kPrefix.size());
    for (size_t i = 0; i < std::size(kNames); ++i) {
        if (kNames[i] == name) return static_cast<Function>(i);
    }
    return std::nullopt;
}

// Converts the first N arguments to 32-bit integers; false if any is not a number.
template <size_t N>
bool read_int32s(std::span<Value> args, std::array<int32_t, N>& out) {
    for (size_t i = 0; i < N; ++i) {
        const auto n = to_int32(args[i]);
        if (!n) return false;
        out[i] = *n;
    }
    return true;
}

Value size_or_null(const GraphicsState& state, bool width) {
    const auto size = state.window_size();
    if (!size) return Value::null();
    return Value::number(width ? size->first : size->second);
}

}  // namespace

std::optional<Value> call_graphics(std::string_view qualified_name, std::span<Value> args,
                                   GraphicsState& state) {
    const auto function = find_function(qualified_name);
    if (!function) return std::nullopt;

    switch (*function) {
        case Function::Init:
            return Value::boolean(true);
        case Function::CreateWindow: {
            if (args.size() < 3) return Value::error("create_window requires 3 arguments");
            const auto width = to_int64(args[1]);
            const auto height = to_int64(args[2]);
            if (!args[0].is(ValueKind::String) || !width || !height)
                return Value::error("Invalid arguments for create_window");
            state.create_window(args[0].as_string(), *width, *height);
            return Value::number(1);
        }
        case Function::DestroyWindow:
            return Value::null();
        case Function::SetWindowTitle:
            if (args.size() < 2) return Value::error("set_window_title requires 2 arguments");
            if (!args[1].is(ValueKind::String)) return Value::error("Title must be a string");
            return Value::null();
        case Function::ClearScreen:
            state.clear_screen();
            return Value::null();
        case Function::RenderPresent:
            state.render_present();
            return Value::null();
        case Function::SetDrawColor: {
            if (args.size() < 3) return Value::error("set_draw_color requires 3 arguments");
            const auto r = to_uint8(args[0]);
            const auto g = to_uint8(args[1]);
            const auto b = to_uint8(args[2]);
            if (!r || !g || !b) return Value::error("Color values must be numbers");
            state.set_draw_color(*r, *g, *b);
            return Value::null();
        }
        case Function::DrawPoint: {
            if (args.size() < 2) return Value::error("draw_point requires 2 arguments");
            std::array<int32_t, 2> p;
            if (!read_int32s(args, p)) return Value::error("Coordinates must be numbers");
            state.draw_point(p[0], p[1]);
            return Value::null();
        }
        case Function::DrawLine: {
            if (args.size() < 4) return Value::error("draw_line requires 4 arguments");
            std::array<int32_t, 4> p;
            if (!read_int32s(args, p)) return Value::error("Coordinates must be numbers");
            state.draw_line(p[0], p[1], p[2], p[3]);
            return Value::null();
        }
        case Function::DrawRect:
        case Function::FillRect: {
            const bool fill = *function == Function::FillRect;
            if (args.size() < 4)
                return Value::error(fill ? "fill_rect requires 4 arguments"
                                         : "draw_rect requires 4 arguments");
            std::array<int32_t, 4> p;
            if (!read_int32s(args, p)) return Value::error("Rectangle parameters must be numbers");
            const auto w = static_cast<uint32_t>(p[2]);
            const auto h = static_cast<uint32_t>(p[3]);
            if (fill) {
                state.fill_rect(p[0], p[1], w, h);
            } else {
                state.draw_rect(p[0], p[1], w, h);
            }
            return Value::null();
        }
        case Function::DrawCircle:
        case Function::FillCircle: {
            const bool fill = *function == Function::FillCircle;
            if (args.size() < 3)
                return Value::error(fill ? "fill_circle requires 3 arguments"
                                         : "draw_circle requires 3 arguments");
            std::array<int32_t, 3> p;
            if (!read_int32s(args, p)) return Value::error("Circle parameters must be numbers");
            if (fill) {
                state.fill_circle(p[0], p[1], p[2]);
            } else {
                state.draw_circle(p[0], p[1], p[2]);
            }
            return Value::null();
        }
        case Function::GetWindowWidth:
            return size_or_null(state, true);
        case Function::GetWindowHeight:
            return size_or_null(state, false);
        case Function::IsWindowOpen:
            return Value::boolean(state.window_open());
    }
    return std::nullopt;
}

std::span<const std::string_view> graphics_function_names() {
    return kNames;
}

}  // namespace tarnel
