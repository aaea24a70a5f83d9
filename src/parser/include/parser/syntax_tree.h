// The syntax tree: the only program representation the interpreter sees.
//
// Nodes are strictly owned from the top and immutable after parsing. Names are interned into a
// NameTable at parse time so the interpreter never hashes a variable name while it runs. Calls
// and function definitions carry a dense number, unique within one parse, so that analyses can
// keep what they learn in side tables indexed by it instead of in the tree.
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
#include "support/check.h"

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
    Number,
    Float,
    String,
    Boolean,
    Identifier,
    BinaryOp,
    UnaryOp,
    Call,
    Array,
    Dict,
    Index,
    Range,
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
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Number; }
    int64_t value;
    explicit NumberExpr(int64_t v) : Expr(ExprKind::Number), value(v) {}
};
struct FloatExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Float; }
    double value;
    explicit FloatExpr(double v) : Expr(ExprKind::Float), value(v) {}
};
struct StringExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::String; }
    std::string value;
    explicit StringExpr(std::string v) : Expr(ExprKind::String), value(std::move(v)) {}
};
struct BooleanExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Boolean; }
    bool value;
    explicit BooleanExpr(bool v) : Expr(ExprKind::Boolean), value(v) {}
};
struct IdentifierExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Identifier; }
    std::string name;
    Symbol symbol;
    IdentifierExpr(std::string n, Symbol s)
        : Expr(ExprKind::Identifier), name(std::move(n)), symbol(s) {}
};
struct BinaryOpExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::BinaryOp; }
    ExprPtr left;
    BinaryOperator op;
    ExprPtr right;
    BinaryOpExpr(ExprPtr l, BinaryOperator o, ExprPtr r)
        : Expr(ExprKind::BinaryOp), left(std::move(l)), op(o), right(std::move(r)) {}
};
struct UnaryOpExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::UnaryOp; }
    UnaryOperator op;
    ExprPtr operand;
    UnaryOpExpr(UnaryOperator o, ExprPtr e)
        : Expr(ExprKind::UnaryOp), op(o), operand(std::move(e)) {}
};

struct CallExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Call; }
    std::string name;
    std::vector<ExprPtr> args;
    Symbol symbol;  // the interned full name
    uint32_t id;    // 0, 1, 2, ... in the order the parser made the calls of one parse
    CallExpr(std::string n, std::vector<ExprPtr> a, Symbol s, uint32_t i)
        : Expr(ExprKind::Call), name(std::move(n)), args(std::move(a)), symbol(s), id(i) {}
};
struct ArrayExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Array; }
    std::vector<ExprPtr> items;
    explicit ArrayExpr(std::vector<ExprPtr> i) : Expr(ExprKind::Array), items(std::move(i)) {}
};
struct DictExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Dict; }
    std::vector<std::pair<std::string, ExprPtr>> pairs;
    explicit DictExpr(std::vector<std::pair<std::string, ExprPtr>> p)
        : Expr(ExprKind::Dict), pairs(std::move(p)) {}
};
struct IndexExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Index; }
    ExprPtr object;
    ExprPtr index;
    IndexExpr(ExprPtr o, ExprPtr i)
        : Expr(ExprKind::Index), object(std::move(o)), index(std::move(i)) {}
};
struct RangeExpr : Expr {
    static constexpr bool is_kind(ExprKind k) { return k == ExprKind::Range; }
    ExprPtr start;
    ExprPtr end;
    RangeExpr(ExprPtr s, ExprPtr e)
        : Expr(ExprKind::Range), start(std::move(s)), end(std::move(e)) {}
};

enum class PatternKind : uint8_t { Value, Wildcard };
struct Pattern {
    PatternKind kind = PatternKind::Wildcard;
    ExprPtr value;  // only for PatternKind::Value
};

enum class StmtKind : uint8_t {
    Let,
    Assign,
    CompoundAssign,
    Function,
    If,
    While,
    For,
    Match,
    Try,
    Return,
    Break,
    Continue,
    Global,
    Use,
    Expr,
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
    static constexpr bool is_kind(StmtKind k) {
        return k == StmtKind::Let || k == StmtKind::Assign;
    }
    std::string name;
    Symbol symbol;
    ExprPtr value;
    AssignStmt(StmtKind k, std::string n, Symbol s, ExprPtr v)
        : Stmt(k), name(std::move(n)), symbol(s), value(std::move(v)) {}
};
struct CompoundAssignStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::CompoundAssign; }
    std::string name;
    Symbol symbol;
    BinaryOperator op;  // the arithmetic: Plus for +=, Minus, Star or Slash
    ExprPtr value;
    CompoundAssignStmt(std::string n, Symbol s, BinaryOperator o, ExprPtr v)
        : Stmt(StmtKind::CompoundAssign),
          name(std::move(n)),
          symbol(s),
          op(o),
          value(std::move(v)) {}
};

struct FunctionStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Function; }
    std::string name;
    Symbol symbol;
    std::vector<std::string> params;
    StmtList body;
    uint32_t id;  // 0, 1, 2, ... in the order the parser made the definitions of one parse
    FunctionStmt(std::string n, Symbol s, std::vector<std::string> p, StmtList b, uint32_t i)
        : Stmt(StmtKind::Function),
          name(std::move(n)),
          symbol(s),
          params(std::move(p)),
          body(std::move(b)),
          id(i) {}
};
struct IfStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::If; }
    ExprPtr condition;
    StmtList then_body;
    std::optional<StmtList> else_body;
    IfStmt(ExprPtr c, StmtList t, std::optional<StmtList> e)
        : Stmt(StmtKind::If),
          condition(std::move(c)),
          then_body(std::move(t)),
          else_body(std::move(e)) {}
};
struct WhileStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::While; }
    ExprPtr condition;
    StmtList body;
    WhileStmt(ExprPtr c, StmtList b)
        : Stmt(StmtKind::While), condition(std::move(c)), body(std::move(b)) {}
};
struct ForStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::For; }
    std::string var;
    Symbol var_symbol;
    ExprPtr iter;
    StmtList body;
    ForStmt(std::string v, Symbol s, ExprPtr i, StmtList b)
        : Stmt(StmtKind::For),
          var(std::move(v)),
          var_symbol(s),
          iter(std::move(i)),
          body(std::move(b)) {}
};
struct MatchArm {
    Pattern pattern;
    StmtList body;
};
struct MatchStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Match; }
    ExprPtr expr;
    std::vector<MatchArm> arms;
    MatchStmt(ExprPtr e, std::vector<MatchArm> a)
        : Stmt(StmtKind::Match), expr(std::move(e)), arms(std::move(a)) {}
};
struct TryStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Try; }
    StmtList body;
    std::string catch_var;
    Symbol catch_symbol;
    StmtList catch_body;
    TryStmt(StmtList b, std::string v, Symbol s, StmtList c)
        : Stmt(StmtKind::Try),
          body(std::move(b)),
          catch_var(std::move(v)),
          catch_symbol(s),
          catch_body(std::move(c)) {}
};
struct ReturnStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Return; }
    ExprPtr value;  // null for a bare return
    explicit ReturnStmt(ExprPtr v) : Stmt(StmtKind::Return), value(std::move(v)) {}
};
struct BreakStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Break; }
    BreakStmt() : Stmt(StmtKind::Break) {}
};
struct ContinueStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Continue; }
    ContinueStmt() : Stmt(StmtKind::Continue) {}
};
struct GlobalStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Global; }
    std::string name;
    Symbol symbol;
    GlobalStmt(std::string n, Symbol s) : Stmt(StmtKind::Global), name(std::move(n)), symbol(s) {}
};
struct UseStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Use; }
    std::string module;
    std::optional<std::string> alias;
    std::optional<std::vector<std::string>> items;
    UseStmt(std::string m, std::optional<std::string> a, std::optional<std::vector<std::string>> i)
        : Stmt(StmtKind::Use), module(std::move(m)), alias(std::move(a)), items(std::move(i)) {}
};
struct ExprStmt : Stmt {
    static constexpr bool is_kind(StmtKind k) { return k == StmtKind::Expr; }
    ExprPtr expr;
    explicit ExprStmt(ExprPtr e) : Stmt(StmtKind::Expr), expr(std::move(e)) {}
};

// A node as its concrete type, e.g. node_cast<CallExpr>(expr). The kind is checked in the
// checked builds; otherwise this is a plain static_cast.
template <typename T>
const T& node_cast(const Expr& node) {
    TARNEL_CHECK(T::is_kind(node.kind));
    return static_cast<const T&>(node);
}
template <typename T>
const T& node_cast(const Stmt& node) {
    TARNEL_CHECK(T::is_kind(node.kind));
    return static_cast<const T&>(node);
}
template <typename T>
T& node_cast(Expr& node) {  // the parser, while it still rearranges nodes
    TARNEL_CHECK(T::is_kind(node.kind));
    return static_cast<T&>(node);
}

// One-line debug texts, e.g. BinaryOp { left: Number(1), op: Plus, right: Number(2) }.
std::string debug_text(const Expr& expr);
std::string debug_text(const Stmt& stmt);
std::string debug_text(const Pattern& pattern);
std::string debug_text(const StmtList& statements);  // [stmt, stmt]

}  // namespace tarnel
