// The top level of a script: with a function main only `let` and `def` run there (once, when
// definitions are bound); without one, every top-level `let` runs twice, once when definitions
// are bound and once in order.
#include "checks.h"
#include "language_names.h"
#include "tree_visit.h"

namespace tarnel {

namespace {

// Whether the binding pass leaves a function in "main": the last top-level let or def of it.
bool has_main(const StmtList& statements) {
    bool found = false;
    for (const StmtPtr& statement : statements) {
        if (statement->kind == StmtKind::Function) {
            if (node_cast<FunctionStmt>(*statement).name == "main") found = true;
        } else if (statement->kind == StmtKind::Let) {
            if (node_cast<AssignStmt>(*statement).name == "main") found = false;
        }
    }
    return found;
}

size_t statement_token(const SourceFile& file, const Stmt& statement) {
    const auto found = file.parse.statements.find(&statement);
    return found == file.parse.statements.end() ? 0 : found->second.first;
}

// A call whose running twice shows: output, input, randomness, the window, the modules, and
// any function a script or module defines (a name nothing provides does nothing).
bool has_effect(const CallExpr& call, const ProgramIndex& index) {
    if (call.name.find('.') != std::string::npos) return true;
    if (builtin_minimum(call.name)) {
        return call.name == "print" || call.name == "input" || call.name == "random" ||
               call.name == "random_range" || is_window_builtin(call.name);
    }
    return index.defines_function(call.name) || index.binds(call.name);
}

void check_with_main(const SourceFile& file, FindingSink& sink) {
    for (const StmtPtr& statement : file.statements) {
        std::string message;
        switch (statement->kind) {
            case StmtKind::Let:
            case StmtKind::Function:
                continue;
            case StmtKind::Use:
                message =
                    "`use` at the top level never runs in a script with `main`; move it "
                    "into `main`";
                break;
            case StmtKind::Global:
                message = "`global` at the top level never runs in a script with `main`";
                break;
            default:
                message =
                    "never runs: in a script with `main`, only `let` and `def` run at the "
                    "top level";
                break;
        }
        sink.at_token(statement_token(file, *statement), CheckId::NeverRuns, std::move(message));
    }
}

void check_without_main(const CheckContext& context, FindingSink& sink) {
    const SourceFile& file = context.file;
    for (const StmtPtr& statement : file.statements) {
        if (statement->kind != StmtKind::Let) continue;
        const CallExpr* first = nullptr;
        size_t first_at = 0;
        visit_expression(*node_cast<AssignStmt>(*statement).value, [&](const Expr& expr) {
            if (expr.kind != ExprKind::Call) return;
            const auto& call = node_cast<CallExpr>(expr);
            if (!has_effect(call, context.index)) return;
            const auto found = file.parse.expressions.find(&call);
            const size_t at = found == file.parse.expressions.end() ? 0 : found->second;
            if (!first || at < first_at) {
                first = &call;
                first_at = at;
            }
        });
        if (!first) continue;
        sink.at_token(statement_token(file, *statement), CheckId::RunsTwice,
                      "this top-level `let` runs twice (when definitions are bound, then in "
                      "order), so `" +
                          first->name +
                          "` is called twice; without `main` use a plain "
                          "assignment, or put the code in `main`");
    }
}

}  // namespace

void check_top_level(const CheckContext& context, FindingSink& sink) {
    if (has_main(context.file.statements)) {
        check_with_main(context.file, sink);
    } else {
        check_without_main(context, sink);
    }
}

}  // namespace tarnel
