// Output, input, type tests, length and concatenation.
#include <string>
#include <string_view>

#include "builtin_families.h"
#include "support/console.h"
#include "support/utf8.h"

namespace tarnel {

namespace {

Value kind_test(Args args, ValueKind kind) {
    return Value::boolean(!args.empty() && args[0].is(kind));
}

}  // namespace

Value builtin_print(Args args) {
    if (args.empty()) return Value::null();
    std::string out;
    for (const Value& arg : args) {
        append_display(out, arg);
        out += '\n';
    }
    write_out(out);
    return Value::null();
}

Value builtin_input(Args args) {
    if (args.empty()) return Value::null();
    write_out(display_string(args[0]));
    flush_out();
    std::string line;
    read_line(line);  // at end of input the line is empty, which gives ""
    return Value::string(std::string(trim_white_space(line)));
}

Value builtin_typeof(Args args) {
    if (args.empty()) return Value::null();
    return Value::string(std::string(type_name(args[0])));
}

Value builtin_is_number(Args args) {
    return Value::boolean(!args.empty() && args[0].is_numeric());
}
Value builtin_is_string(Args args) {
    return kind_test(args, ValueKind::String);
}
Value builtin_is_array(Args args) {
    return kind_test(args, ValueKind::Array);
}
Value builtin_is_dict(Args args) {
    return kind_test(args, ValueKind::Dict);
}

Value builtin_len(Args args) {
    if (args.empty()) return Value::null();
    const Value& v = args[0];
    switch (v.kind()) {
        case ValueKind::String:
            return Value::number(static_cast<int64_t>(v.as_string().size()));
        case ValueKind::Array:
            return Value::number(static_cast<int64_t>(v.as_array().size()));
        case ValueKind::Dict:
            return Value::number(static_cast<int64_t>(v.as_dict().size()));
        default:
            return Value::null();
    }
}

Value builtin_concat(Args args) {
    std::string out;
    for (const Value& arg : args)
        append_display(out, arg);
    return Value::string(std::move(out));
}

}  // namespace tarnel
