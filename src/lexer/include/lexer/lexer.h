// The lexer: source text in, a flat list of tokens out.
//
// It never fails and never reports anything: characters that start no token are dropped and
// unterminated strings and block comments end at the end of the text. Tokens carry no
// positions; a tool that needs them (the checker) asks for a LexRecord beside the tokens. The
// token type is shared with the syntax tree, which keeps operator tokens.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/token_kinds.h"

namespace tarnel {

enum class TokenKind : uint8_t {
#define TARNEL_TOKEN_ENUM(kind, spelling) kind,
    TARNEL_TOKEN_KINDS(TARNEL_TOKEN_ENUM)
#undef TARNEL_TOKEN_ENUM
};

// Four kinds carry a payload: Identifier and String use `text`, Number uses `number`,
// Float uses `real`.
struct Token {
    TokenKind kind = TokenKind::Eof;
    int64_t number = 0;
    double real = 0.0;
    std::string text;

    static Token of(TokenKind kind) { return Token{kind, 0, 0.0, {}}; }

    // Same kind and, for the payload kinds, equal payload.
    bool operator==(const Token& other) const;
};

// The variant name of a kind as the system shows it ("PlusAssign", "EOF").
std::string_view token_kind_name(TokenKind kind);

// The 21 keywords (let, def, ...), in token-kind order.
std::span<const std::string_view> keywords();

// Debug text of a token: the kind name, with the payload for payload kinds (Identifier("x")).
std::string debug_text(const Token& token);

// `text` must be valid UTF-8. The result ends with exactly one Eof token.
std::vector<Token> tokenize(std::string_view text);

// A stretch of the source text in bytes: [begin, end).
struct SourceSpan {
    uint32_t begin = 0;
    uint32_t end = 0;
};

// Where everything the lexer read lies in the text, for tools that explain a script.
struct LexRecord {
    std::vector<SourceSpan> tokens;    // parallel to the token list; Eof at the end of the text
    std::vector<SourceSpan> dropped;   // characters that start no token, adjacent ones merged
    std::vector<SourceSpan> comments;  // "#" and "/* */" comments
};

// The same tokens as tokenize(text), with `record` filled.
std::vector<Token> tokenize(std::string_view text, LexRecord& record);

// Shared by the debug texts of the tree and of values: text in double quotes with escapes,
// and a double in its shortest round-trip form (always with a fractional part or exponent).
std::string debug_quote(std::string_view text);
std::string debug_float(double value);

}  // namespace tarnel
