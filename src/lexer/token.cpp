// Token kinds, token equality and the debug text of a token.
#include <array>

#include "lexer/lexer.h"

namespace tarnel {

namespace {

constexpr std::array<std::string_view, 56> kKindNames = {
    "Let",      "Def",      "Return",     "If",          "Else",         "While",       "For",
    "In",       "Break",    "Continue",   "True",        "False",        "And",         "Or",
    "Not",      "Match",    "Try",        "Catch",       "Global",       "Identifier",  "Number",
    "Float",    "String",   "Plus",       "Minus",       "Star",         "Slash",       "Percent",
    "Power",    "Assign",   "PlusAssign", "MinusAssign", "StarAssign",   "SlashAssign", "Equal",
    "NotEqual", "Less",     "Greater",    "LessEqual",   "GreaterEqual", "LParen",      "RParen",
    "LBrace",   "RBrace",   "LBracket",   "RBracket",    "Comma",        "Colon",       "Semicolon",
    "Arrow",    "FatArrow", "Dot",        "Question",    "Use",          "As",          "EOF",
};
static_assert(static_cast<size_t>(TokenKind::Eof) + 1 == kKindNames.size());

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
    auto index = static_cast<size_t>(kind);
    return index < kKindNames.size() ? kKindNames[index] : std::string_view("EOF");
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
