// Token kinds, token equality and the debug text of a token.
#include <array>

#include "lexer/lexer.h"

namespace tarnel {

namespace {

constexpr std::string_view kKindNames[] = {
#define TARNEL_TOKEN_NAME(kind, spelling) #kind,
    TARNEL_TOKEN_KINDS(TARNEL_TOKEN_NAME)
#undef TARNEL_TOKEN_NAME
};
static_assert(static_cast<size_t>(TokenKind::Eof) + 1 == std::size(kKindNames));

constexpr bool is_word(std::string_view spelling) {
    return !spelling.empty() && spelling[0] >= 'a' && spelling[0] <= 'z';
}

constexpr auto kKeywords = [] {
    constexpr std::string_view spellings[] = {
#define TARNEL_TOKEN_SPELLING(kind, spelling) spelling,
        TARNEL_TOKEN_KINDS(TARNEL_TOKEN_SPELLING)
#undef TARNEL_TOKEN_SPELLING
    };
    std::array<std::string_view, 21> words{};
    size_t count = 0;
    for (std::string_view spelling : spellings) {
        if (is_word(spelling)) words[count++] = spelling;
    }
    return words;
}();

}  // namespace

bool Token::operator==(const Token& other) const {
    if (kind != other.kind) return false;
    switch (kind) {
        case TokenKind::Identifier:
        case TokenKind::String:
            return text == other.text;
        case TokenKind::Number:
            return number == other.number;
        case TokenKind::Float:
            return real == other.real;
        default:
            return true;
    }
}

std::string_view token_kind_name(TokenKind kind) {
    if (kind == TokenKind::Eof) return "EOF";  // the one name spelled unlike its enumerator
    auto index = static_cast<size_t>(kind);
    return index < std::size(kKindNames) ? kKindNames[index] : std::string_view("EOF");
}

std::span<const std::string_view> keywords() {
    return kKeywords;
}

std::string debug_text(const Token& token) {
    std::string out(token_kind_name(token.kind));
    switch (token.kind) {
        case TokenKind::Identifier:
        case TokenKind::String:
            out += '(';
            out += debug_quote(token.text);
            out += ')';
            break;
        case TokenKind::Number:
            out += '(';
            out += std::to_string(token.number);
            out += ')';
            break;
        case TokenKind::Float:
            out += '(';
            out += debug_float(token.real);
            out += ')';
            break;
        default:
            break;
    }
    return out;
}

}  // namespace tarnel
