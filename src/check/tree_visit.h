// Visiting every node under some statements or one expression, with an explicit stack (trees
// can be thousands of links high). Parents come before their children; siblings in no
// particular order.
#pragma once

#include <vector>

#include "parser/tree_walk.h"

namespace tarnel {

template <typename OnStmt, typename OnExpr>
void visit_tree(const StmtList& statements, OnStmt&& on_stmt, OnExpr&& on_expr) {
    std::vector<const Stmt*> stmts;
    std::vector<const Expr*> exprs;
    auto push_expr = [&](const Expr& e) { exprs.push_back(&e); };
    auto push_stmt = [&](const Stmt& s) { stmts.push_back(&s); };
    for (const StmtPtr& statement : statements)
        stmts.push_back(statement.get());
    while (!stmts.empty() || !exprs.empty()) {
        if (!stmts.empty()) {
            const Stmt& statement = *stmts.back();
            stmts.pop_back();
            on_stmt(statement);
            for_each_child(statement, push_expr, push_stmt);
        } else {
            const Expr& expr = *exprs.back();
            exprs.pop_back();
            on_expr(expr);
            for_each_child(expr, push_expr, push_stmt);
        }
    }
}

template <typename OnExpr>
void visit_expression(const Expr& root, OnExpr&& on_expr) {
    std::vector<const Expr*> exprs{&root};
    auto push_expr = [&](const Expr& e) { exprs.push_back(&e); };
    auto no_stmt = [](const Stmt&) {};
    while (!exprs.empty()) {
        const Expr& expr = *exprs.back();
        exprs.pop_back();
        on_expr(expr);
        for_each_child(expr, push_expr, no_stmt);
    }
}

}  // namespace tarnel
