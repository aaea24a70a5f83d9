// Operators that give null where a value was surely meant: comparing with `null` (an undefined
// name, so the comparison itself is null) and mixing integer and float literals.
#include "checks.h"
#include "tree_visit.h"

namespace tarnel {

namespace {

bool is_null_name(const Expr& expr) {
    return expr.kind == ExprKind::Identifier && node_cast<IdentifierExpr>(expr).name == "null";
}

// The kind of a number literal, also under a leading minus; nothing for anything else.
std::optional<ExprKind> literal_kind(const Expr& expr) {
    if (expr.kind == ExprKind::Number || expr.kind == ExprKind::Float) return expr.kind;
    if (expr.kind == ExprKind::UnaryOp) {
        const auto& unary = node_cast<UnaryOpExpr>(expr);
        if (unary.op == UnaryOperator::Minus) return literal_kind(*unary.operand);
    }
    return std::nullopt;
}

}  // namespace

void check_operators(const CheckContext& context, FindingSink& sink) {
    const SourceFile& file = context.file;
    const bool null_bound = context.index.binds("null") || context.index.defines_function("null");
    visit_tree(
        file.statements, [](const Stmt&) {},
        [&](const Expr& expr) {
            if (expr.kind != ExprKind::BinaryOp) return;
            const auto& binary = node_cast<BinaryOpExpr>(expr);
            const auto found = file.parse.expressions.find(&expr);
            if (found == file.parse.expressions.end()) return;
            const size_t at = found->second;
            const std::string op(file.token_text(at, at + 1));
            const bool equality =
                binary.op == BinaryOperator::Equal || binary.op == BinaryOperator::NotEqual;
            if (equality && !null_bound &&
                (is_null_name(*binary.left) || is_null_name(*binary.right))) {
                sink.at_token(at, CheckId::NullComparison,
                              "`" + op +
                                  " null` gives null, never true or false; test with "
                                  "typeof(x) " +
                                  op + " \"null\"");
            }
            if (binary.op == BinaryOperator::And || binary.op == BinaryOperator::Or) return;
            const auto left = literal_kind(*binary.left);
            const auto right = literal_kind(*binary.right);
            if (left && right && *left != *right) {
                sink.at_token(at, CheckId::MixedNumbers,
                              "`" + op +
                                  "` of an integer and a float gives null; write the "
                                  "integer with a fraction (2.0)");
            }
        });
}

}  // namespace tarnel
