// One loaded source (a script, a module file or a shell input): its tree, and what name
// resolution learned about it, kept in side tables indexed by the numbers the parser gave each
// call and each definition (never in the tree). Function values share ownership of the unit
// that defined them, so a body outlives the input it came from.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "builtins/builtins.h"
#include "parser/syntax_tree.h"
#include "values/value.h"

namespace tarnel {

// Who answers a call, as far as its name alone decides.
enum class CallRoute : uint8_t {
    Plain,     // no dot: the builtin table, then a variable
    Graphics,  // "sdl2." prefix
    Http,      // "http." prefix
    Dotted,    // another module-qualified name: a module's export
};

struct CallSite {
    CallRoute route;
    BuiltinId builtin;  // the builtin table's answer for the name, or kNotBuiltin
};

class Unit;
struct Code;

// A definition as the interpreter runs it: the body, the symbol each parameter binds, and the
// body's code, compiled on the first call.
class CompiledFunction final : public FunctionCode {
  public:
    CompiledFunction(const FunctionStmt& definition, const Unit& unit, std::vector<Symbol> slots);
    ~CompiledFunction() override;
    const std::vector<std::string>& params() const override { return definition.params; }
    std::string debug_body() const override { return debug_text(definition.body); }
    // The body's code; compiled again if it was compiled for the other tracing mode.
    const Code& code(bool tracing) const {
        if (code_ != nullptr && traced_ == tracing) [[likely]]
            return *code_;
        return compile(tracing);
    }

    const FunctionStmt& definition;
    const Unit& unit;
    const std::vector<Symbol> param_slots;

  private:
    const Code& compile(bool tracing) const;
    mutable std::unique_ptr<Code> code_;
    mutable bool traced_ = false;
};

class Unit : public std::enable_shared_from_this<Unit> {
  public:
    StmtList statements;
    std::vector<CallSite> calls;                               // by CallExpr::id
    std::vector<std::unique_ptr<CompiledFunction>> functions;  // by FunctionStmt::id

    // The value a `def` binds: shares ownership of this unit.
    Value function_value(uint32_t id) const;
};

// Fills the unit's side tables from its statements.
void resolve(Unit& unit, NameTable& names);

}  // namespace tarnel
