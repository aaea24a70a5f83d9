// The syntax tree: the only program representation the interpreter sees.
//
// Nodes are strictly owned from the top and immutable after parsing, with one deliberate
// exception: a function's parameters and body are held by a shared, immutable FunctionDef, so
// that a function value can keep its body alive in O(1) after the tree that defined it is gone
// (the shell drops each input's tree after running it). Names are interned into a NameTable at
// parse time so the interpreter never hashes a variable name while it runs.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lexer/lexer.h"
#include "lexer/operators.h"

namespace tarnel {

// An interned name. Symbols are dense small integers, usable as indices.
using Symbol = uint32_t;

// Maps each distinct name to its Symbol. One table is shared by everything that runs in one
// interpreter family (a script, the modules it loads, or a shell session), so functions
// exported from a module resolve their names consistently in the importer.
class NameTable {
public:
    Symbol intern(std::string_view name);
    const std::string& text(Symbol symbol) const { return names_[symbol]; }
    size_t size() const { return names_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Symbol, Hash, std::equal_to<>> ids_;
    std::deque<std::string> names_;  // deque: references stay valid as it grows
};

enum class ExprKind : uint8_t {
    Number, Float, String, Boolean, Identifier, BinaryOp, UnaryOp, Call, Array, Dict, Index, Range,
};

struct Expr {
    const ExprKind kind;
    explicit Expr(ExprKind k) : kind(k) {}
    virtual ~Expr() = default;
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;
};
using ExprPtr = std::unique_ptr<Expr>;

struct NumberExpr : Expr {
    int64_t value;
    explicit NumberExpr(int64_t v) : Expr(ExprKind::Number), value(v) {}
};
struct FloatExpr : Expr {
    double value;
    explicit FloatExpr(double v) : Expr(ExprKind::Float), value(v) {}
};
struct StringExpr : Expr {
    std::string value;
    explicit StringExpr(std::string v) : Expr(ExprKind::String), value(std::move(v)) {}
};
struct BooleanExpr : Expr {
    bool value;
    explicit BooleanExpr(bool v) : Expr(ExprKind::Boolean), value(v) {}
};
struct IdentifierExpr : Expr {
    std::string name;
    Symbol symbol;
    IdentifierExpr(std::string n, Symbol s)
        : Expr(ExprKind::Identifier), name(std::move(n)), symbol(s) {}
};
struct BinaryOpExpr : Expr {
    ExprPtr left;
    BinaryOperator op;
    ExprPtr right;
    BinaryOpExpr(ExprPtr l, BinaryOperator o, ExprPtr r)
        : Expr(ExprKind::BinaryOp), left(std::move(l)), op(o), right(std::move(r)) {}
};
struct UnaryOpExpr : Expr {
    UnaryOperator op;
    ExprPtr operand;
    UnaryOpExpr(UnaryOperator o, ExprPtr e) : Expr(ExprKind::UnaryOp), op(o), operand(std::move(e)) {}
};

// Who answers a call, as far as the name alone decides it.
enum class CallRoute : uint8_t {
    Plain,     // no dot: builtin table, then variable lookup
    Graphics,  // "sdl2." prefix
    Http,      // "http." prefix
    Dotted,    // other module-qualified name
};

struct CallExpr : Expr {
    std::string name;
    std::vector<ExprPtr> args;
    Symbol symbol;    // the interned full name (used for plain names)
    CallRoute route;  // decided by the parser from the name
    // Evaluation cache owned by the interpreter: the builtin table's answer for `name`,
    // resolved on first use. It never changes what the node means.
    mutable int16_t builtin_id = kUnresolved;
    static constexpr int16_t kUnresolved = -2;

    CallExpr(std::string n, std::vector<ExprPtr> a, Symbol s, CallRoute r)
        : Expr(ExprKind::Call), name(std::move(n)), args(std::move(a)), symbol(s), route(r) {}
};
struct ArrayExpr : Expr {
    std::vector<ExprPtr> items;
    explicit ArrayExpr(std::vector<ExprPtr> i) : Expr(ExprKind::Array), items(std::move(i)) {}
};
struct DictExpr : Expr {
    std::vector<std::pair<std::string, ExprPtr>> pairs;
    explicit DictExpr(std::vector<std::pair<std::string, ExprPtr>> p)
        : Expr(ExprKind::Dict), pairs(std::move(p)) {}
};
struct IndexExpr : Expr {
    ExprPtr object;
    ExprPtr index;
    IndexExpr(ExprPtr o, ExprPtr i) : Expr(ExprKind::Index), object(std::move(o)), index(std::move(i)) {}
};
struct RangeExpr : Expr {
    ExprPtr start;
    ExprPtr end;
    RangeExpr(ExprPtr s, ExprPtr e) : Expr(ExprKind::Range), start(std::move(s)), end(std::move(e)) {}
};

enum class PatternKind : uint8_t { Value, Wildcard };
struct Pattern {
    PatternKind kind = PatternKind::Wildcard;
    ExprPtr value;  // only for PatternKind::Value
};

enum class StmtKind : uint8_t {
    Let, Assign, CompoundAssign, Function, If, While, For, Match, Try, Return, Break, Continue,
    Global, Use, Expr,
};

struct Stmt {
    const StmtKind kind;
    explicit Stmt(StmtKind k) : kind(k) {}
    virtual ~Stmt() = default;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
};
using StmtPtr = std::unique_ptr<Stmt>;
using StmtList = std::vector<StmtPtr>;

// Let and Assign share one shape; `kind` tells them apart.
struct AssignStmt : Stmt {
    std::string name;
    Symbol symbol;
    ExprPtr value;
    AssignStmt(StmtKind k, std::string n, Symbol s, ExprPtr v)
        : Stmt(k), name(std::move(n)), symbol(s), value(std::move(v)) {}
};
struct CompoundAssignStmt : Stmt {
    std::string name;
    Symbol symbol;
    BinaryOperator op;  // the arithmetic: Plus for +=, Minus, Star or Slash
    ExprPtr value;
    CompoundAssignStmt(std::string n, Symbol s, BinaryOperator o, ExprPtr v)
        : Stmt(StmtKind::CompoundAssign), name(std::move(n)), symbol(s), op(o), value(std::move(v)) {}
};

// Parameters and body of a function, shared by the defining statement and every function
// value made from it.
struct FunctionDef {
    std::vector<std::string> params;
    std::vector<Symbol> param_symbols;
    StmtList body;
};
struct FunctionStmt : Stmt {
    std::string name;
    Symbol symbol;
    std::shared_ptr<const FunctionDef> def;
    FunctionStmt(std::string n, Symbol s, std::shared_ptr<const FunctionDef> d)
        : Stmt(StmtKind::Function), name(std::move(n)), symbol(s), def(std::move(d)) {}
};
struct IfStmt : Stmt {
    ExprPtr condition;
    StmtList then_body;
    std::optional<StmtList> else_body;
    IfStmt(ExprPtr c, StmtList t, std::optional<StmtList> e)
        : Stmt(StmtKind::If), condition(std::move(c)), then_body(std::move(t)), else_body(std::move(e)) {}
};
struct WhileStmt : Stmt {
    ExprPtr condition;
    StmtList body;
    WhileStmt(ExprPtr c, StmtList b) : Stmt(StmtKind::While), condition(std::move(c)), body(std::move(b)) {}
};
struct ForStmt : Stmt {
    std::string var;
    Symbol var_symbol;
    ExprPtr iter;
    StmtList body;
    ForStmt(std::string v, Symbol s, ExprPtr i, StmtList b)
        : Stmt(StmtKind::For), var(std::move(v)), var_symbol(s), iter(std::move(i)), body(std::move(b)) {}
};
struct MatchArm {
    Pattern pattern;
    StmtList body;
};
struct MatchStmt : Stmt {
    ExprPtr expr;
    std::vector<MatchArm> arms;
    MatchStmt(ExprPtr e, std::vector<MatchArm> a) : Stmt(StmtKind::Match), expr(std::move(e)), arms(std::move(a)) {}
};
struct TryStmt : Stmt {
    StmtList body;
    std::string catch_var;
    Symbol catch_symbol;
    StmtList catch_body;
    TryStmt(StmtList b, std::string v, Symbol s, StmtList c)
        : Stmt(StmtKind::Try), body(std::move(b)), catch_var(std::move(v)), catch_symbol(s),
          catch_body(std::move(c)) {}
};
struct ReturnStmt : Stmt {
    ExprPtr value;  // null for a bare return
    explicit ReturnStmt(ExprPtr v) : Stmt(StmtKind::Return), value(std::move(v)) {}
};
struct BreakStmt : Stmt {
    BreakStmt() : Stmt(StmtKind::Break) {}
};
struct ContinueStmt : Stmt {
    ContinueStmt() : Stmt(StmtKind::Continue) {}
};
struct GlobalStmt : Stmt {
    std::string name;
    Symbol symbol;
    GlobalStmt(std::string n, Symbol s) : Stmt(StmtKind::Global), name(std::move(n)), symbol(s) {}
};
struct UseStmt : Stmt {
    std::string module;
    std::optional<std::string> alias;
    std::optional<std::vector<std::string>> items;
    UseStmt(std::string m, std::optional<std::string> a, std::optional<std::vector<std::string>> i)
        : Stmt(StmtKind::Use), module(std::move(m)), alias(std::move(a)), items(std::move(i)) {}
};
struct ExprStmt : Stmt {
    ExprPtr expr;
    explicit ExprStmt(ExprPtr e) : Stmt(StmtKind::Expr), expr(std::move(e)) {}
};

// One-line debug texts, e.g. BinaryOp { left: Number(1), op: Plus, right: Number(2) }.
std::string debug_text(const Expr& expr);
std::string debug_text(const Stmt& stmt);
std::string debug_text(const Pattern& pattern);
std::string debug_text(const StmtList& statements);  // [stmt, stmt]

}  // namespace tarnel
