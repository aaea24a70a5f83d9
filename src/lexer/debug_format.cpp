// Debug-text helpers shared by the syntax tree and the value library: quoted text with
// escapes (rule 4) and the shortest round-trip form of a double (rule 5).
#include <unicode/utf8.h>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "lexer/lexer.h"
#include "support/unicode.h"

namespace tarnel {

namespace {

void append_unicode_escape(std::string& out, uint32_t cp) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "\\u{%x}", cp);
    out.append(buf, static_cast<size_t>(n));
}

}  // namespace

std::string debug_quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        switch (b) {
            case '"':
                out += "\\\"";
                ++i;
                continue;
            case '\\':
                out += "\\\\";
                ++i;
                continue;
            case '\t':
                out += "\\t";
                ++i;
                continue;
            case '\r':
                out += "\\r";
                ++i;
                continue;
            case '\n':
                out += "\\n";
                ++i;
                continue;
            case '\0':
                out += "\\0";
                ++i;
                continue;
            default:
                break;
        }
        int32_t next = static_cast<int32_t>(i);
        UChar32 cp;
        U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), next,
                static_cast<int32_t>(text.size()), cp);
        const auto length = static_cast<size_t>(next) - i;
        if (cp < 0) {
            // Not valid UTF-8 (callers should not pass such text): shown as U+FFFD.
            out += "\xEF\xBF\xBD";
        } else if (unicode::is_printable(static_cast<char32_t>(cp))) {
            out.append(text.substr(i, length));
        } else {
            append_unicode_escape(out, static_cast<uint32_t>(cp));
        }
        i += length;
    }
    out += '"';
    return out;
}

std::string debug_float(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0.0) return std::signbit(value) ? "-0.0" : "0.0";
    char buf[64];
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e16 || magnitude < 1e-4) {
        // Shortest scientific form, e.g. "1.5e-07", rewritten as "1.5e-7".
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
        std::string_view s(buf, static_cast<size_t>(end - buf));
        size_t e = s.find('e');
        std::string out(s.substr(0, e));
        std::string_view exponent = s.substr(e + 1);
        bool negative = false;
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
            negative = exponent[0] == '-';
            exponent.remove_prefix(1);
        }
        while (exponent.size() > 1 && exponent[0] == '0')
            exponent.remove_prefix(1);
        out += 'e';
        if (negative) out += '-';
        out += exponent;
        return out;
    }
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string out(buf, end);
    if (out.find('.') == std::string::npos) out += ".0";
    return out;
}

}  // namespace tarnel
