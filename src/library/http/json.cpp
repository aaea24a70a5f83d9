// JSON text of values: minimal, unescaped, no whitespace; values without a JSON
// counterpart become null.
#include <charconv>

#include "http/http.h"
#include "values/value_walk.h"

namespace tarnel {

namespace {

// The JSON text of a value that holds no other values.
void append_json_leaf(std::string& out, const Value& value) {
    switch (value.kind()) {
        case ValueKind::Number: {
            char digits[24];
            auto end = std::to_chars(digits, digits + sizeof digits, value.as_number()).ptr;
            out.append(digits, end);
            return;
        }
        case ValueKind::Float:
            append_float(out, value.as_float());
            return;
        case ValueKind::String:
            out += '"';
            out += value.as_string();
            out += '"';
            return;
        case ValueKind::Boolean:
            out += value.as_boolean() ? "true" : "false";
            return;
        default:
            out += "null";
            return;
    }
}

struct JsonWriter {
    std::string& out;
    void leaf(const Value& value) { append_json_leaf(out, value); }
    void open_array() { out += '['; }
    void close_array() { out += ']'; }
    void open_dict() { out += '{'; }
    void close_dict() { out += '}'; }
    void separator() { out += ','; }
    void key(const std::string& text) {
        out += '"';
        out += text;
        out += "\":";
    }
};

}  // namespace

std::string to_json(const Value& value) {
    std::string out;
    JsonWriter writer{out};
    walk_value(value, writer);
    return out;
}

}  // namespace tarnel
