// Text builtins: case mapping, slicing by characters, splitting and searching.
//
// `slice` and the empty-separator `split` count characters (Unicode scalar values) of the
// UTF-8 text; `split` and `contains` otherwise compare bytes.

#include <algorithm>
#include <string>
#include <string_view>

#include "builtin_families.h"
#include "support/unicode.h"

namespace tarnel {

namespace {

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The byte offset just past `count` characters starting at byte offset `pos` (or the end).
size_t advance_chars(std::string_view text, size_t pos, uint64_t count) {
    while (count > 0 && pos < text.size()) {
        ++pos;
        while (pos < text.size() && is_continuation(text[pos]))
            ++pos;
        --count;
    }
    return pos;
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The printed form of a value; a String is viewed in place instead of copied.
std::string_view text_of(const Value& value, std::string& storage) {
    if (value.is(ValueKind::String)) return value.as_string();
    storage = display_string(value);
    return storage;
}

enum class CaseMapping { Upper, Lower };

Value map_case(Args args, CaseMapping mapping) {
    if (args.empty() || !args[0].is(ValueKind::String)) return Value::null();
    Value& text = args[0];  // updated where it lies (see array_builtins.cpp)
    if (is_ascii(text.as_string())) {
        // Within ASCII the root locale's full mappings are exactly A-Z <-> a-z; mapping in
        // place reuses the payload when nothing else holds it.
        for (char& c : text.mutable_string()) {
            if (mapping == CaseMapping::Upper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z')) {
                c = static_cast<char>(c ^ 0x20);
            }
        }
        return std::move(text);
    }
    const std::string& source = text.as_string();
    return Value::string(mapping == CaseMapping::Upper ? unicode::to_upper(source)
                                                       : unicode::to_lower(source));
}

}  // namespace

Value builtin_upper(Args args) {
    return map_case(args, CaseMapping::Upper);
}
Value builtin_lower(Args args) {
    return map_case(args, CaseMapping::Lower);
}

Value builtin_slice(Args args) {
    if (args.size() < 3 || !args[0].is(ValueKind::String)) return Value::null();
    const auto start = to_int64(args[1]);
    const auto end = to_int64(args[2]);
    if (!start || !end) return Value::null();
    // Both taken as unsigned: a negative start skips everything, and an end before the start
    // wraps to a huge count that takes the rest of the text.
    const uint64_t skip = static_cast<uint64_t>(*start);
    const uint64_t count = static_cast<uint64_t>(*end) - static_cast<uint64_t>(*start);
    std::string_view text = args[0].as_string();
    const size_t first = advance_chars(text, 0, skip);
    const size_t last = advance_chars(text, first, count);
    return Value::string(std::string(text.substr(first, last - first)));
}

Value builtin_split(Args args) {
    if (args.size() < 2) return Value::null();
    std::string text_storage;
    std::string separator_storage;
    const std::string_view text = text_of(args[0], text_storage);
    const std::string_view separator = text_of(args[1], separator_storage);

    ValueList pieces;
    if (separator.empty()) {
        // A match at every character boundary, the start and the end included.
        pieces.reserve(text.size() + 2);
        pieces.push_back(Value::string(std::string()));
        for (size_t pos = 0; pos < text.size();) {
            const size_t next = advance_chars(text, pos, 1);
            pieces.push_back(Value::string(std::string(text.substr(pos, next - pos))));
            pos = next;
        }
        pieces.push_back(Value::string(std::string()));
        return Value::array(std::move(pieces));
    }
    size_t pos = 0;
    for (size_t hit; (hit = text.find(separator, pos)) != std::string_view::npos;
         pos = hit + separator.size()) {
        pieces.push_back(Value::string(std::string(text.substr(pos, hit - pos))));
    }
    pieces.push_back(Value::string(std::string(text.substr(pos))));
    return Value::array(std::move(pieces));
}

Value builtin_contains(Args args) {
    if (args.size() < 2) return Value::null();
    std::string text_storage;
    std::string part_storage;
    const std::string_view text = text_of(args[0], text_storage);
    const std::string_view part = text_of(args[1], part_storage);
    return Value::boolean(text.find(part) != std::string_view::npos);
}

}  // namespace tarnel
