#include "lexer/operators.h"

namespace tarnel {

namespace {

// In BinaryOperator order.
constexpr TokenKind kBinaryTokens[] = {
    TokenKind::Or,      TokenKind::And,     TokenKind::Equal,     TokenKind::NotEqual,
    TokenKind::Less,    TokenKind::Greater, TokenKind::LessEqual, TokenKind::GreaterEqual,
    TokenKind::Plus,    TokenKind::Minus,   TokenKind::Star,      TokenKind::Slash,
    TokenKind::Percent, TokenKind::Power,
};
static_assert(std::size(kBinaryTokens) == static_cast<size_t>(BinaryOperator::Power) + 1);

}  // namespace

std::optional<BinaryOperator> binary_operator_of(TokenKind kind) {
    for (size_t i = 0; i < std::size(kBinaryTokens); ++i) {
        if (kBinaryTokens[i] == kind) return static_cast<BinaryOperator>(i);
    }
    return std::nullopt;
}

std::optional<BinaryOperator> compound_operator_of(TokenKind kind) {
    switch (kind) {
        case TokenKind::PlusAssign:
            return BinaryOperator::Plus;
        case TokenKind::MinusAssign:
            return BinaryOperator::Minus;
        case TokenKind::StarAssign:
            return BinaryOperator::Star;
        case TokenKind::SlashAssign:
            return BinaryOperator::Slash;
        default:
            return std::nullopt;
    }
}

TokenKind token_of(BinaryOperator op) {
    return kBinaryTokens[static_cast<size_t>(op)];
}

TokenKind token_of(UnaryOperator op) {
    return op == UnaryOperator::Not ? TokenKind::Not : TokenKind::Minus;
}

TokenKind compound_token_of(BinaryOperator op) {
    switch (op) {
        case BinaryOperator::Plus:
            return TokenKind::PlusAssign;
        case BinaryOperator::Minus:
            return TokenKind::MinusAssign;
        case BinaryOperator::Star:
            return TokenKind::StarAssign;
        default:
            return TokenKind::SlashAssign;
    }
}

}  // namespace tarnel
