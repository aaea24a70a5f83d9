#include "support/utf8.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

#include "support/unicode.h"

namespace tarnel {

bool is_valid_utf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        uint32_t code;
        uint32_t smallest;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1Fu, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0Fu, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07u, smallest = 0x10000;
        } else {
            return false;
        }
        if (n - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (bytes[i + k] & 0x3Fu);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

std::string_view trim_white_space(std::string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return text;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    // One forward pass: the text runs from the first character that is not a space to the end
    // of the last one.
    int32_t begin = -1;
    int32_t end = 0;
    for (int32_t at = 0; at < length;) {
        const int32_t here = at;
        UChar32 c;
        U8_NEXT(bytes, at, length, c);
        if (c >= 0 && unicode::is_white_space(static_cast<char32_t>(c))) continue;
        if (begin < 0) begin = here;
        end = at;
    }
    if (begin < 0) return text.substr(0, 0);
    return text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
}

}  // namespace tarnel
