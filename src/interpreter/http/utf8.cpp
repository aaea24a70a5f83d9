#include "interpreter/http/utf8.h"

namespace tarnel::utf8 {

namespace {

bool in_range(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

}  // namespace

char32_t decode_next(std::string_view text, size_t& pos, bool& valid) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    valid = true;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length;
    unsigned char second_low = 0x80, second_high = 0xBF;
    char32_t value;
    if (in_range(lead, 0xC2, 0xDF)) {
        length = 2;
        value = lead & 0x1F;
    } else if (in_range(lead, 0xE0, 0xEF)) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) second_low = 0xA0;   // no overlong forms
        if (lead == 0xED) second_high = 0x9F;  // no surrogates
    } else if (in_range(lead, 0xF0, 0xF4)) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) second_low = 0x90;   // no overlong forms
        if (lead == 0xF4) second_high = 0x8F;  // nothing above U+10FFFF
    } else {
        ++pos;
        valid = false;
        return kReplacement;
    }
    size_t i = 1;
    for (; i < length; ++i) {
        if (pos + i >= text.size()) break;
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        const bool fits = i == 1 ? in_range(byte, second_low, second_high) : in_range(byte, 0x80, 0xBF);
        if (!fits) break;
        value = (value << 6) | (byte & 0x3F);
    }
    pos += i;
    if (i < length) {
        valid = false;
        return kReplacement;
    }
    return value;
}

bool is_valid(std::string_view text) {
    size_t pos = 0;
    bool valid = true;
    while (pos < text.size()) {
        // Runs of ASCII are the common case; skip them without decoding.
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        decode_next(text, pos, valid);
        if (!valid) return false;
    }
    return true;
}

bool is_white_space(char32_t c) {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0x85) return false;
    switch (c) {
        case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
        case 0x205F: case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace tarnel::utf8
