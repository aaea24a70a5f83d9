// The ICU side of support/unicode.h, built as a plugin so that only text that needs it loads ICU.
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <climits>
#include <string>

#include "../unicode_plugin.h"

namespace tarnel::unicode {

namespace {

bool icu_is_white_space(char32_t c) {
    return u_isUWhiteSpace(static_cast<UChar32>(c));
}

bool icu_is_alphanumeric(char32_t c) {
    const auto cp = static_cast<UChar32>(c);
    if (u_hasBinaryProperty(cp, UCHAR_ALPHABETIC)) return true;
    const int8_t type = u_charType(cp);
    return type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER;
}

bool icu_is_printable(char32_t c) {
    switch (u_charType(static_cast<UChar32>(c))) {
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
        case U_SURROGATE:
        case U_PRIVATE_USE_CHAR:
        case U_UNASSIGNED:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
        case U_SPACE_SEPARATOR:
            return false;
        default:
            return true;
    }
}

void icu_map_case(const char* utf8, size_t size, bool upper, void* sink, AppendBytes append) {
    // ICU counts in int32_t: longer text is mapped piece by piece, cut at a character boundary.
    constexpr size_t kPiece = INT32_MAX / 4;
    while (size > 0) {
        size_t length = size;
        if (length > kPiece) {
            length = kPiece;
            while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80)
                --length;
        }
        icu::UnicodeString units =
            icu::UnicodeString::fromUTF8(icu::StringPiece(utf8, static_cast<int32_t>(length)));
        // The root locale gives the default full mappings, including the Final_Sigma rule.
        if (upper) {
            units.toUpper(icu::Locale::getRoot());
        } else {
            units.toLower(icu::Locale::getRoot());
        }
        std::string out;
        units.toUTF8String(out);
        append(sink, out.data(), out.size());
        utf8 += length;
        size -= length;
    }
}

constexpr PluginTable kTable{icu_is_white_space, icu_is_alphanumeric, icu_is_printable,
                             icu_map_case};

}  // namespace

}  // namespace tarnel::unicode

extern "C" __attribute__((visibility("default"))) const tarnel::unicode::PluginTable*
tarnel_unicode_table() {
    return &tarnel::unicode::kTable;
}
