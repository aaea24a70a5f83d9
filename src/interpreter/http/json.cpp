// JSON text of values: minimal, unescaped, no whitespace; values without a JSON
// counterpart become null.
#include <charconv>

#include "interpreter/http/http.h"

namespace tarnel {

namespace {

void append_json(std::string& out, const Value& value) {
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
        case ValueKind::Array: {
            out += '[';
            bool first = true;
            for (const Value& item : value.as_array()) {
                if (!first) out += ',';
                first = false;
                append_json(out, item);
            }
            out += ']';
            return;
        }
        case ValueKind::Dict: {
            out += '{';
            bool first = true;
            for (const auto& [key, item] : value.as_dict()) {
                if (!first) out += ',';
                first = false;
                out += '"';
                out += key;
                out += "\":";
                append_json(out, item);
            }
            out += '}';
            return;
        }
        default:
            out += "null";
            return;
    }
}

}  // namespace

std::string to_json(const Value& value) {
    std::string out;
    append_json(out, value);
    return out;
}

}  // namespace tarnel
