// The operators a syntax tree holds, apart from the tokens that spell them: two-operand
// (also the arithmetic of compound assignments) and one-operand. The tree, the evaluator and
// the operator table of values all use these; debug texts still name them as their tokens do.
#pragma once

#include <cstdint>
#include <optional>

#include "lexer/lexer.h"

namespace tarnel {

enum class BinaryOperator : uint8_t {
    Or,
    And,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Power,
};

enum class UnaryOperator : uint8_t { Not, Minus };

// The operator a two-operand token stands for; nothing for other tokens.
std::optional<BinaryOperator> binary_operator_of(TokenKind kind);
// The arithmetic of a compound assignment token (PlusAssign gives Plus); nothing otherwise.
std::optional<BinaryOperator> compound_operator_of(TokenKind kind);

// The tokens that spell them, for debug texts: Plus, Not, and PlusAssign for the compound
// assignment of Plus.
TokenKind token_of(BinaryOperator op);
TokenKind token_of(UnaryOperator op);
TokenKind compound_token_of(BinaryOperator op);

}  // namespace tarnel
