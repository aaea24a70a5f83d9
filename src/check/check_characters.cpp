// Characters the lexer drops, and "//" written as if it started a comment.
#include <cstdio>

#include "checks.h"

namespace tarnel {

namespace {

// A character shown as itself, or as U+XXXX when it is invisible.
std::string show_character(uint32_t cp, std::string_view bytes) {
    const bool invisible = cp < 0x20 || cp == 0x7F || cp == 0xA0 || cp == 0xFEFF ||
                           (cp >= 0x2000 && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202F);
    if (!invisible) return std::string(bytes);
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", cp);
    return text;
}

// The dropped text with invisible characters spelled out.
std::string show_characters(std::string_view text, size_t& count) {
    std::string out;
    count = 0;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t width = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t cp = width == 1 ? lead : lead & (0x7F >> width);
        for (size_t k = 1; k < width && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        const std::string shown = show_character(cp, text.substr(i, width));
        if (!out.empty() && shown.size() > 1 && shown[0] == 'U') out += ' ';
        out += shown;
        i += width;
        ++count;
    }
    return out;
}

// What the writer probably meant, for the usual visitors from other languages.
std::string_view hint_for(std::string_view text) {
    if (text.find('\'') != std::string_view::npos) return " (strings use double quotes)";
    if (text == "&&" || text == "&") return " (write `and`)";
    if (text == "||" || text == "|") return " (write `or`)";
    return "";
}

}  // namespace

void check_characters(const CheckContext& context, FindingSink& sink) {
    const SourceFile& file = context.file;
    for (const SourceSpan& span : file.lex.dropped) {
        const std::string_view text =
            std::string_view(file.text).substr(span.begin, span.end - span.begin);
        size_t count = 0;
        const std::string shown = show_characters(text, count);
        sink.at_offset(
            span.begin, CheckId::DroppedCharacter,
            (count == 1 ? "character `" + shown + "` is ignored: it starts no token"
                        : "characters `" + shown + "` are ignored: they start no token") +
                std::string(hint_for(text)));
    }
    for (size_t i = 0; i + 1 < file.tokens.size(); ++i) {
        if (file.tokens[i].kind != TokenKind::Slash ||
            file.tokens[i + 1].kind != TokenKind::Slash || !file.adjacent(i, i + 1))
            continue;
        sink.at_token(i, CheckId::DoubleSlash,
                      "`//` is not a comment but two divisions (by 0, then by what follows); "
                      "comments start with #");
        ++i;
    }
}

}  // namespace tarnel
