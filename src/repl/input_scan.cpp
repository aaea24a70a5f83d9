#include "repl/input_scan.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <limits>

namespace tarnel {

namespace {

void add_saturating(int32_t& counter, int32_t step) {
    if (step > 0 && counter == std::numeric_limits<int32_t>::max()) return;
    if (step < 0 && counter == std::numeric_limits<int32_t>::min()) return;
    counter += step;
}

}  // namespace

std::string_view trim_white_space(std::string_view line) {
    if (line.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return line;
    const auto* bytes = reinterpret_cast<const uint8_t*>(line.data());
    const int32_t length = static_cast<int32_t>(line.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        end = previous;
    }
    return line.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

void BracketDepth::scan(std::string_view line) {
    for (char c : line) {
        switch (c) {
            case '(':
            case '[':
                add_saturating(paren_, 1);
                break;
            case ')':
            case ']':
                add_saturating(paren_, -1);
                break;
            case '{':
                add_saturating(brace_, 1);
                break;
            case '}':
                add_saturating(brace_, -1);
                break;
            default:
                break;
        }
    }
}

}  // namespace tarnel
