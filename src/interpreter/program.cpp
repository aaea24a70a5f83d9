// Running whole programs: a script with its hoisting pass and `main` rule, and the shell's
// inputs, each compiled first and then run by the engine.
#include <new>
#include <stdexcept>

#include "compiler.h"
#include "interpreter_state.h"

namespace tarnel {

namespace {

// Memory running out while code is compiled unwinds to here (the engine catches its own).
template <typename Work>
void abandon_on_exhaustion(Interpreter& interp, Work&& work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        interp.abandon(Abandonment::OutOfMemory);
    } catch (const std::length_error&) {  // a size past what any container can hold
        interp.abandon(Abandonment::OutOfMemory);
    }
}

// The hoisting pass binds the top-level lets and defs in order; then either `main` runs alone,
// or every top-level statement runs (the lets and defs again), until a return is left pending.
void run_script(Interpreter& interp, const Unit& unit) {
    const CompileOptions options{extra_debug(), TopLevel::Script};
    const Code hoisting = compile_hoisting(unit, unit.statements, options);
    run_code(interp, hoisting, unit);
    if (interp.abandoned()) return;
    const Value main_function = interp.env.get_variable(interp.names()->intern("main"));
    if (main_function.is(ValueKind::Function)) {
        run_function(interp, static_cast<const CompiledFunction&>(*main_function.as_function()));
        return;
    }
    const Code program = compile_top_level(unit, unit.statements, options);
    run_code(interp, program, unit);
}

}  // namespace

Value operate(Interpreter& interp, Value left, BinaryOperator op, const Value& right) {
    if (divides_by_zero(left, op, right)) interp.report("Error: division by zero\n");
    return apply_operator(std::move(left), op, right);
}

int run_program(std::shared_ptr<const Unit> program, bool extra_debug_on,
                std::shared_ptr<NameTable> names, RunLimits limits) {
    set_extra_debug(extra_debug_on);
    Interpreter interp(std::move(names), limits);
    abandon_on_exhaustion(interp, [&] { run_script(interp, *program); });
    return interp.abandoned() ? 1 : 0;
}

Session::Session(std::shared_ptr<NameTable> names, RunLimits limits)
    : names_(std::move(names)), interpreter_(std::make_unique<Interpreter>(names_, limits)) {}

Session::~Session() = default;

NameTable& Session::names() {
    return *names_;
}

bool Session::run_input(std::shared_ptr<const Unit> input) {
    Interpreter& interp = *interpreter_;
    abandon_on_exhaustion(interp, [&] {
        const Code code =
            compile_top_level(*input, input->statements, {extra_debug(), TopLevel::Shell});
        run_code(interp, code, *input);
    });
    // An interrupt during the input's last call ends the input too.
    if (!interp.abandoned() && interp.interrupted()) interp.abandon(Abandonment::Interrupted);
    if (!interp.abandoned()) return true;
    // Everything has unwound by now; the shell goes on with the state reached.
    interp.clear_abandonment();
    interp.signals.clear();
    return false;
}

std::vector<std::string> Session::defined_names() const {
    std::vector<std::string> names = interpreter_->env.global_names();
    for (const auto& [module, exports] : interpreter_->registry.modules) {
        names.push_back(module);
        for (size_t at = 0; at < exports->size(); ++at)
            names.push_back(module + "." + exports->key(at));
    }
    return names;
}

}  // namespace tarnel
