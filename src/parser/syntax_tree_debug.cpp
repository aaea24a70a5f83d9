// The one-line debug text of tree nodes.
#include "parser/syntax_tree.h"

namespace tarnel {

namespace {

class DebugWriter {
  public:
    std::string out;

    void quoted(std::string_view text) { out += debug_quote(text); }

    void names(const std::vector<std::string>& list) {
        out += '[';
        for (size_t i = 0; i < list.size(); ++i) {
            if (i) out += ", ";
            quoted(list[i]);
        }
        out += ']';
    }

    void exprs(const std::vector<ExprPtr>& list) {
        out += '[';
        for (size_t i = 0; i < list.size(); ++i) {
            if (i) out += ", ";
            expr(*list[i]);
        }
        out += ']';
    }

    void stmts(const StmtList& list) {
        out += '[';
        for (size_t i = 0; i < list.size(); ++i) {
            if (i) out += ", ";
            stmt(*list[i]);
        }
        out += ']';
    }

    void expr(const Expr& e) {
        switch (e.kind) {
            case ExprKind::Number:
                out += "Number(";
                out += std::to_string(node_cast<NumberExpr>(e).value);
                out += ')';
                return;
            case ExprKind::Float:
                out += "Float(";
                out += debug_float(node_cast<FloatExpr>(e).value);
                out += ')';
                return;
            case ExprKind::String:
                out += "String(";
                quoted(node_cast<StringExpr>(e).value);
                out += ')';
                return;
            case ExprKind::Boolean:
                out += node_cast<BooleanExpr>(e).value ? "Boolean(true)" : "Boolean(false)";
                return;
            case ExprKind::Identifier:
                out += "Identifier(";
                quoted(node_cast<IdentifierExpr>(e).name);
                out += ')';
                return;
            case ExprKind::BinaryOp: {
                const auto& b = node_cast<BinaryOpExpr>(e);
                out += "BinaryOp { left: ";
                expr(*b.left);
                out += ", op: ";
                out += token_kind_name(token_of(b.op));
                out += ", right: ";
                expr(*b.right);
                out += " }";
                return;
            }
            case ExprKind::UnaryOp: {
                const auto& u = node_cast<UnaryOpExpr>(e);
                out += "UnaryOp { op: ";
                out += token_kind_name(token_of(u.op));
                out += ", operand: ";
                expr(*u.operand);
                out += " }";
                return;
            }
            case ExprKind::Call: {
                const auto& c = node_cast<CallExpr>(e);
                out += "Call { name: ";
                quoted(c.name);
                out += ", args: ";
                exprs(c.args);
                out += " }";
                return;
            }
            case ExprKind::Array:
                out += "Array(";
                exprs(node_cast<ArrayExpr>(e).items);
                out += ')';
                return;
            case ExprKind::Dict: {
                const auto& d = node_cast<DictExpr>(e);
                out += "Dict([";
                for (size_t i = 0; i < d.pairs.size(); ++i) {
                    if (i) out += ", ";
                    out += '(';
                    quoted(d.pairs[i].first);
                    out += ", ";
                    expr(*d.pairs[i].second);
                    out += ')';
                }
                out += "])";
                return;
            }
            case ExprKind::Index: {
                const auto& x = node_cast<IndexExpr>(e);
                out += "Index { object: ";
                expr(*x.object);
                out += ", index: ";
                expr(*x.index);
                out += " }";
                return;
            }
            case ExprKind::Range: {
                const auto& r = node_cast<RangeExpr>(e);
                out += "Range { start: ";
                expr(*r.start);
                out += ", end: ";
                expr(*r.end);
                out += " }";
                return;
            }
        }
    }

    void pattern(const Pattern& p) {
        if (p.kind == PatternKind::Wildcard || !p.value) {
            out += "Wildcard";
            return;
        }
        out += "Value(";
        expr(*p.value);
        out += ')';
    }

    void named_value(const char* variant, const std::string& name, const Expr& value) {
        out += variant;
        out += " { name: ";
        quoted(name);
        out += ", value: ";
        expr(value);
        out += " }";
    }

    void stmt(const Stmt& s) {
        switch (s.kind) {
            case StmtKind::Let:
            case StmtKind::Assign: {
                const auto& a = node_cast<AssignStmt>(s);
                named_value(s.kind == StmtKind::Let ? "Let" : "Assign", a.name, *a.value);
                return;
            }
            case StmtKind::CompoundAssign: {
                const auto& c = node_cast<CompoundAssignStmt>(s);
                out += "CompoundAssign { name: ";
                quoted(c.name);
                out += ", op: ";
                out += token_kind_name(compound_token_of(c.op));
                out += ", value: ";
                expr(*c.value);
                out += " }";
                return;
            }
            case StmtKind::Function: {
                const auto& f = node_cast<FunctionStmt>(s);
                out += "Function { name: ";
                quoted(f.name);
                out += ", params: ";
                names(f.params);
                out += ", body: ";
                stmts(f.body);
                out += " }";
                return;
            }
            case StmtKind::If: {
                const auto& i = node_cast<IfStmt>(s);
                out += "If { condition: ";
                expr(*i.condition);
                out += ", then_body: ";
                stmts(i.then_body);
                out += ", else_body: ";
                if (i.else_body) {
                    out += "Some(";
                    stmts(*i.else_body);
                    out += ')';
                } else {
                    out += "None";
                }
                out += " }";
                return;
            }
            case StmtKind::While: {
                const auto& w = node_cast<WhileStmt>(s);
                out += "While { condition: ";
                expr(*w.condition);
                out += ", body: ";
                stmts(w.body);
                out += " }";
                return;
            }
            case StmtKind::For: {
                const auto& f = node_cast<ForStmt>(s);
                out += "For { var: ";
                quoted(f.var);
                out += ", iter: ";
                expr(*f.iter);
                out += ", body: ";
                stmts(f.body);
                out += " }";
                return;
            }
            case StmtKind::Match: {
                const auto& m = node_cast<MatchStmt>(s);
                out += "Match { expr: ";
                expr(*m.expr);
                out += ", arms: [";
                for (size_t i = 0; i < m.arms.size(); ++i) {
                    if (i) out += ", ";
                    out += '(';
                    pattern(m.arms[i].pattern);
                    out += ", ";
                    stmts(m.arms[i].body);
                    out += ')';
                }
                out += "] }";
                return;
            }
            case StmtKind::Try: {
                const auto& t = node_cast<TryStmt>(s);
                out += "Try { body: ";
                stmts(t.body);
                out += ", catch_var: ";
                quoted(t.catch_var);
                out += ", catch_body: ";
                stmts(t.catch_body);
                out += " }";
                return;
            }
            case StmtKind::Return: {
                const auto& r = node_cast<ReturnStmt>(s);
                if (r.value) {
                    out += "Return(Some(";
                    expr(*r.value);
                    out += "))";
                } else {
                    out += "Return(None)";
                }
                return;
            }
            case StmtKind::Break:
                out += "Break";
                return;
            case StmtKind::Continue:
                out += "Continue";
                return;
            case StmtKind::Global:
                out += "Global(";
                quoted(node_cast<GlobalStmt>(s).name);
                out += ')';
                return;
            case StmtKind::Use: {
                const auto& u = node_cast<UseStmt>(s);
                out += "Use { module: ";
                quoted(u.module);
                out += ", alias: ";
                if (u.alias) {
                    out += "Some(";
                    quoted(*u.alias);
                    out += ')';
                } else {
                    out += "None";
                }
                out += ", items: ";
                if (u.items) {
                    out += "Some(";
                    names(*u.items);
                    out += ')';
                } else {
                    out += "None";
                }
                out += " }";
                return;
            }
            case StmtKind::Expr:
                out += "Expr(";
                expr(*node_cast<ExprStmt>(s).expr);
                out += ')';
                return;
        }
    }
};

}  // namespace

std::string debug_text(const Expr& expr) {
    DebugWriter w;
    w.expr(expr);
    return std::move(w.out);
}

std::string debug_text(const Stmt& stmt) {
    DebugWriter w;
    w.stmt(stmt);
    return std::move(w.out);
}

std::string debug_text(const Pattern& pattern) {
    DebugWriter w;
    w.pattern(pattern);
    return std::move(w.out);
}

std::string debug_text(const StmtList& statements) {
    DebugWriter w;
    w.stmts(statements);
    return std::move(w.out);
}

}  // namespace tarnel
