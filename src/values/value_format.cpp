// Printed and debug forms of values.
#include <charconv>
#include <cmath>

#include "lexer/lexer.h"
#include "values/value.h"
#include "values/value_walk.h"

namespace tarnel {

void append_float(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    if (std::signbit(value)) out += '-';
    // Shortest round-trip digits in scientific form, then laid out positionally.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific);
    std::string_view text(buffer, result.ptr - buffer);
    size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.') digits += c;
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(),
                    exponent);
    // The value is 0.d1d2...dn times ten to the power `point`.
    int point = exponent + 1;
    int count = static_cast<int>(digits.size());
    if (point <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-point), '0');
        out += digits;
    } else if (point >= count) {
        out += digits;
        out.append(static_cast<size_t>(point - count), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(point));
        out += '.';
        out.append(digits, static_cast<size_t>(point));
    }
}

std::string format_float(double value) {
    std::string out;
    append_float(out, value);
    return out;
}

namespace {

// The printed form of a value that holds no other values.
void append_display_leaf(std::string& out, const Value& value) {
    switch (value.kind()) {
        case ValueKind::Number: {
            char buffer[24];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, value.as_number());
            out.append(buffer, result.ptr);
            break;
        }
        case ValueKind::Float:
            append_float(out, value.as_float());
            break;
        case ValueKind::String:
            out += value.as_string();
            break;
        case ValueKind::Boolean:
            out += value.as_boolean() ? "true" : "false";
            break;
        case ValueKind::Array:
        case ValueKind::Dict:
            break;  // containers are walked by append_display
        case ValueKind::Function:
            out += "<function>";
            break;
        case ValueKind::BuiltinFunction:
            out += "<builtin: ";
            out += value.builtin_name();
            out += '>';
            break;
        case ValueKind::Rect: {
            RectShape r = value.as_rect();
            out += "Rect(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " +
                   std::to_string(r.w) + ", " + std::to_string(r.h) + ")";
            break;
        }
        case ValueKind::Color: {
            ColorRgb c = value.as_color();
            out += "Color(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " +
                   std::to_string(c.b) + ")";
            break;
        }
        case ValueKind::Circle: {
            CircleShape c = value.as_circle();
            out += "Circle(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " +
                   std::to_string(c.radius) + ")";
            break;
        }
        case ValueKind::Triangle: {
            TriangleShape t = value.as_triangle();
            out += "Triangle(" + std::to_string(t.x1) + ", " + std::to_string(t.y1) + ", " +
                   std::to_string(t.x2) + ", " + std::to_string(t.y2) + ", " +
                   std::to_string(t.x3) + ", " + std::to_string(t.y3) + ")";
            break;
        }
        case ValueKind::Null:
            out += "null";
            break;
        case ValueKind::Error:
            out += "Error: ";
            out += value.error_message();
            break;
    }
}

struct DisplayWriter {
    std::string& out;
    void leaf(const Value& value) { append_display_leaf(out, value); }
    void open_array() { out += '['; }
    void close_array() { out += ']'; }
    void open_dict() { out += '{'; }
    void close_dict() { out += '}'; }
    void separator() { out += ", "; }
    void key(const std::string& text) {
        out += text;
        out += ": ";
    }
};

}  // namespace

void append_display(std::string& out, const Value& value) {
    DisplayWriter writer{out};
    walk_value(value, writer);
}

std::string display_string(const Value& value) {
    if (value.is(ValueKind::String)) return value.as_string();
    std::string out;
    append_display(out, value);
    return out;
}

namespace {

void append_record(std::string& out, std::string_view name,
                   std::initializer_list<std::pair<std::string_view, int64_t>> fields) {
    out += name;
    out += " { ";
    bool first = true;
    for (const auto& [field, number] : fields) {
        if (!first) out += ", ";
        first = false;
        out += field;
        out += ": ";
        out += std::to_string(number);
    }
    out += " }";
}

// The debug form of a value that holds no other values.
void append_debug_leaf(std::string& out, const Value& value) {
    switch (value.kind()) {
        case ValueKind::Number:
            out += "Number(" + std::to_string(value.as_number()) + ")";
            break;
        case ValueKind::Float:
            out += "Float(" + debug_float(value.as_float()) + ")";
            break;
        case ValueKind::String:
            out += "String(" + debug_quote(value.as_string()) + ")";
            break;
        case ValueKind::Boolean:
            out += value.as_boolean() ? "Boolean(true)" : "Boolean(false)";
            break;
        case ValueKind::Array:
        case ValueKind::Dict:
            break;  // containers are walked by debug_string
        case ValueKind::Function: {
            const FunctionCode& code = *value.as_function();
            out += "Function { params: [";
            bool first = true;
            for (const std::string& param : code.params()) {
                if (!first) out += ", ";
                first = false;
                out += debug_quote(param);
            }
            out += "], body: ";
            out += code.debug_body();
            out += " }";
            break;
        }
        case ValueKind::BuiltinFunction:
            out += "BuiltinFunction { name: " + debug_quote(value.builtin_name()) + " }";
            break;
        case ValueKind::Rect: {
            RectShape r = value.as_rect();
            append_record(out, "Rect", {{"x", r.x}, {"y", r.y}, {"w", r.w}, {"h", r.h}});
            break;
        }
        case ValueKind::Color: {
            ColorRgb c = value.as_color();
            append_record(out, "Color", {{"r", c.r}, {"g", c.g}, {"b", c.b}});
            break;
        }
        case ValueKind::Circle: {
            CircleShape c = value.as_circle();
            append_record(out, "Circle", {{"x", c.x}, {"y", c.y}, {"radius", c.radius}});
            break;
        }
        case ValueKind::Triangle: {
            TriangleShape t = value.as_triangle();
            append_record(out, "Triangle",
                          {{"x1", t.x1},
                           {"y1", t.y1},
                           {"x2", t.x2},
                           {"y2", t.y2},
                           {"x3", t.x3},
                           {"y3", t.y3}});
            break;
        }
        case ValueKind::Null:
            out += "Null";
            break;
        case ValueKind::Error:
            out += "Error(" + debug_quote(value.error_message()) + ")";
            break;
    }
}

struct DebugWriter {
    std::string& out;
    void leaf(const Value& value) { append_debug_leaf(out, value); }
    void open_array() { out += "Array(["; }
    void close_array() { out += "])"; }
    void open_dict() { out += "Dict({"; }
    void close_dict() { out += "})"; }
    void separator() { out += ", "; }
    void key(const std::string& text) {
        out += debug_quote(text);
        out += ": ";
    }
};

}  // namespace

std::string debug_string(const Value& value) {
    std::string out;
    DebugWriter writer{out};
    walk_value(value, writer);
    return out;
}

}  // namespace tarnel
