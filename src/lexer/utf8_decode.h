// Minimal UTF-8 decoding shared by the lexer and the debug-text helpers (internal header).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnel::lexer_utf8 {

// Decodes the character starting at text[i]. On success returns the code point and sets
// `length` to its byte count (1 to 4); on a malformed sequence returns -1 with `length` 1.
inline int32_t decode(std::string_view text, size_t i, size_t& length) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const size_t n = text.size();
    const unsigned char b0 = byte(i);
    length = 1;
    if (b0 < 0x80) return b0;
    int extra;
    int32_t cp;
    int32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return -1;
    }
    if (i + static_cast<size_t>(extra) >= n) return -1;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    length = static_cast<size_t>(extra) + 1;
    return cp;
}

// Appends the UTF-8 encoding of a valid code point.
template <class String>
void encode(String& out, int32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace tarnel::lexer_utf8
