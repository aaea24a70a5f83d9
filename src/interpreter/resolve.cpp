// Name resolution: a pass over a freshly parsed tree that records, per call, who answers its
// name and, per definition, the symbols its parameters bind. The tree stays untouched.

#include "compiler.h"
#include "parser/tree_walk.h"
#include "unit.h"

namespace tarnel {

namespace {

CallRoute route_of(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) return CallRoute::Plain;
    const std::string_view prefix = name.substr(0, dot);
    if (prefix == "sdl2") return CallRoute::Graphics;
    if (prefix == "http") return CallRoute::Http;
    return CallRoute::Dotted;
}

template <typename T>
T& slot(std::vector<T>& table, uint32_t id) {
    if (id >= table.size()) table.resize(id + 1);
    return table[id];
}

}  // namespace

void resolve(Unit& unit, NameTable& names) {
    // An explicit stack: trees can be thousands of links high.
    std::vector<const Expr*> exprs;
    std::vector<const Stmt*> stmts;
    auto push_expr = [&](const Expr& e) { exprs.push_back(&e); };
    auto push_stmt = [&](const Stmt& s) { stmts.push_back(&s); };
    for (const StmtPtr& statement : unit.statements)
        stmts.push_back(statement.get());
    while (!exprs.empty() || !stmts.empty()) {
        if (!stmts.empty()) {
            const Stmt& statement = *stmts.back();
            stmts.pop_back();
            if (statement.kind == StmtKind::Function) {
                const auto& definition = node_cast<FunctionStmt>(statement);
                std::vector<Symbol> slots;
                slots.reserve(definition.params.size());
                for (const std::string& param : definition.params)
                    slots.push_back(names.intern(param));
                // Dropped definitions leave gaps in the numbering, which stay empty.
                slot(unit.functions, definition.id) =
                    std::make_unique<CompiledFunction>(definition, unit, std::move(slots));
            }
            for_each_child(statement, push_expr, push_stmt);
            continue;
        }
        const Expr& expr = *exprs.back();
        exprs.pop_back();
        if (expr.kind == ExprKind::Call) {
            const auto& call = node_cast<CallExpr>(expr);
            slot(unit.calls, call.id) = {route_of(call.name), find_builtin(call.name)};
        }
        for_each_child(expr, push_expr, push_stmt);
    }
}

CompiledFunction::CompiledFunction(const FunctionStmt& definition, const Unit& unit,
                                   std::vector<Symbol> slots)
    : definition(definition), unit(unit), param_slots(std::move(slots)) {}

CompiledFunction::~CompiledFunction() = default;

const Code& CompiledFunction::compile(bool tracing) const {
    code_ = std::make_unique<Code>(compile_function(unit, *this, {tracing}));
    traced_ = tracing;
    return *code_;
}

Value Unit::function_value(uint32_t id) const {
    // The aliasing constructor: the value points at the function and owns the whole unit.
    return Value::function(
        std::shared_ptr<const FunctionCode>(shared_from_this(), functions[id].get()));
}

}  // namespace tarnel
