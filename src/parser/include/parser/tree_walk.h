// The children of a node, in source order: the one place that knows which fields of each node
// hold further nodes. Analyses (name resolution, the checker, tests) walk the tree with it
// instead of each switching over every kind.
//
//   for_each_child(node, [&](const Expr& child) {...}, [&](const Stmt& child) {...});
//
// Expression children come to the first callback and statement children to the second; a
// match arm gives its pattern's expression (none for the wildcard) and then its body.
#pragma once

#include "parser/syntax_tree.h"

namespace tarnel {

template <typename OnExpr, typename OnStmt>
void for_each_child(const Expr& node, OnExpr&& on_expr, OnStmt&&) {
    switch (node.kind) {
        case ExprKind::Number:
        case ExprKind::Float:
        case ExprKind::String:
        case ExprKind::Boolean:
        case ExprKind::Identifier:
            return;
        case ExprKind::BinaryOp: {
            const auto& binary = node_cast<BinaryOpExpr>(node);
            on_expr(*binary.left);
            on_expr(*binary.right);
            return;
        }
        case ExprKind::UnaryOp:
            on_expr(*node_cast<UnaryOpExpr>(node).operand);
            return;
        case ExprKind::Call:
            for (const ExprPtr& arg : node_cast<CallExpr>(node).args)
                on_expr(*arg);
            return;
        case ExprKind::Array:
            for (const ExprPtr& item : node_cast<ArrayExpr>(node).items)
                on_expr(*item);
            return;
        case ExprKind::Dict:
            for (const auto& pair : node_cast<DictExpr>(node).pairs)
                on_expr(*pair.second);
            return;
        case ExprKind::Index: {
            const auto& index = node_cast<IndexExpr>(node);
            on_expr(*index.object);
            on_expr(*index.index);
            return;
        }
        case ExprKind::Range: {
            const auto& range = node_cast<RangeExpr>(node);
            on_expr(*range.start);
            on_expr(*range.end);
            return;
        }
    }
}

template <typename OnExpr, typename OnStmt>
void for_each_child(const Stmt& node, OnExpr&& on_expr, OnStmt&& on_stmt) {
    auto block = [&](const StmtList& statements) {
        for (const StmtPtr& statement : statements)
            on_stmt(*statement);
    };
    switch (node.kind) {
        case StmtKind::Let:
        case StmtKind::Assign:
            on_expr(*node_cast<AssignStmt>(node).value);
            return;
        case StmtKind::CompoundAssign:
            on_expr(*node_cast<CompoundAssignStmt>(node).value);
            return;
        case StmtKind::Function:
            block(node_cast<FunctionStmt>(node).body);
            return;
        case StmtKind::If: {
            const auto& branch = node_cast<IfStmt>(node);
            on_expr(*branch.condition);
            block(branch.then_body);
            if (branch.else_body) block(*branch.else_body);
            return;
        }
        case StmtKind::While: {
            const auto& loop = node_cast<WhileStmt>(node);
            on_expr(*loop.condition);
            block(loop.body);
            return;
        }
        case StmtKind::For: {
            const auto& loop = node_cast<ForStmt>(node);
            on_expr(*loop.iter);
            block(loop.body);
            return;
        }
        case StmtKind::Match: {
            const auto& match = node_cast<MatchStmt>(node);
            on_expr(*match.expr);
            for (const MatchArm& arm : match.arms) {
                if (arm.pattern.kind == PatternKind::Value) on_expr(*arm.pattern.value);
                block(arm.body);
            }
            return;
        }
        case StmtKind::Try: {
            const auto& attempt = node_cast<TryStmt>(node);
            block(attempt.body);
            block(attempt.catch_body);
            return;
        }
        case StmtKind::Return: {
            const auto& result = node_cast<ReturnStmt>(node);
            if (result.value) on_expr(*result.value);
            return;
        }
        case StmtKind::Expr:
            on_expr(*node_cast<ExprStmt>(node).expr);
            return;
        case StmtKind::Break:
        case StmtKind::Continue:
        case StmtKind::Global:
        case StmtKind::Use:
            return;
    }
}

}  // namespace tarnel
