// Calls: evaluating the arguments, deciding who answers the name (graphics, http, the builtin
// table, a function value) and running user functions.
#include "interpreter/builtins/builtins.h"
#include "interpreter/http/http.h"
#include "interpreter/interpreter_state.h"

namespace tarnel {

namespace {

// Pushes the call's scope and enters the function's unit; undoes both on the way out.
class CallFrame {
public:
    CallFrame(Interpreter& interp, const Unit& unit) : interp_(interp), outer_unit_(interp.unit) {
        ++interp_.call_depth;
        interp_.env.push_scope();
        interp_.unit = &unit;
    }
    ~CallFrame() {
        interp_.unit = outer_unit_;
        interp_.env.pop_scope();
        --interp_.call_depth;
    }
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

private:
    Interpreter& interp_;
    const Unit* outer_unit_;
};

std::optional<Value> call_module_function(const std::string& name, std::span<Value> args,
                                          Interpreter& interp) {
    if (auto result = call_graphics(name, args, interp.module_state)) return result;
    return call_http(name, args);
}

// The trace lines of a call, out of line: their temporaries would otherwise widen the frame of
// every call, and deep recursion pays for each byte.
[[gnu::cold, gnu::noinline]] void trace_call_parts(std::string_view first, std::string_view second = {},
                                                   std::string_view third = {}) {
    std::string message;
    message.reserve(first.size() + second.size() + third.size());
    message.append(first).append(second).append(third);
    trace_call(message);
}

[[gnu::cold, gnu::noinline]] void trace_lookup(const std::string& name, const Value& callee) {
    trace_call_parts("get_variable(", name, ") returned: " + debug_string(callee));
}

[[gnu::cold, gnu::noinline]] void trace_found(const CompiledFunction& function) {
    trace_call_parts("Found function with ", std::to_string(function.param_slots.size()),
                     " params, calling");
}

// The call limit, or the end of the native stack when that comes first.
bool recursion_too_deep(Interpreter& interp) {
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    if (interp.call_depth < interp.limits.max_call_depth && here > interp.stack_limit) [[likely]] {
        return false;
    }
    interp.abandon(Abandonment::RecursionLimit);
    return true;
}

}  // namespace

Value call_user_function(Interpreter& interp, const CompiledFunction& function, std::span<Value> args) {
    if (recursion_too_deep(interp) || !interp.keep_going()) return Value();
    {
        CallFrame frame(interp, function.unit);
        size_t bound = std::min(function.param_slots.size(), args.size());
        for (size_t i = 0; i < bound; ++i) {
            interp.env.set_variable(function.param_slots[i], std::move(args[i]));
        }
        for (const StmtPtr& statement : function.definition.body) {
            execute(interp, *statement);
            if (interp.signalled()) break;
        }
    }
    if (!interp.signals.has_return) return Value();
    interp.signals.has_return = false;
    return std::move(interp.signals.return_value);
}

namespace {

// The two halves of a call, inlined into call_function (the hot path) and also offered out of
// line to the assignment that updates a variable in place.
[[gnu::always_inline]] inline bool begin_call_inline(Interpreter& interp, const CallExpr& call) {
    if (interp.abandoned()) [[unlikely]] return false;
    if (extra_debug()) trace_call_parts("Calling function: ", call.name);
    for (const ExprPtr& arg : call.args) {
        Value value = evaluate(interp, *arg);
        interp.arg_stack.push_back(std::move(value));
    }
    return !interp.abandoned();  // it may have been abandoned while an argument was evaluated
}

[[gnu::always_inline]] inline Value invoke_inline(Interpreter& interp, const CallExpr& call,
                                                  std::span<Value> args) {
    const bool tracing = extra_debug();
    const CallSite& site = interp.unit->calls[call.id];
    if (site.route == CallRoute::Graphics) {
        if (auto result = call_graphics(call.name, args, interp.module_state)) return std::move(*result);
    } else if (site.route == CallRoute::Http) {
        if (auto result = call_http(call.name, args)) return std::move(*result);
    }

    if (site.builtin != kNotBuiltin) {
        Value result = call_builtin(site.builtin, args, interp.module_state);
        if (tracing) trace_call_parts(call.name, " is a builtin");
        return result;
    }

    if (tracing) trace_call_parts(call.name, " is not a builtin, looking for user function");
    Value callee = site.route == CallRoute::Plain ? interp.env.get_variable(call.symbol)
                                                  : interp.get_variable(call.name);
    if (tracing) trace_lookup(call.name, callee);

    if (callee.is(ValueKind::BuiltinFunction)) {
        auto result = call_module_function(callee.builtin_name(), args, interp);
        return result ? std::move(*result) : Value();
    }
    if (callee.is(ValueKind::Function)) {
        // `callee` holds the definition, so the body stays alive even if the function
        // redefines its own name while it runs.
        const auto& function = static_cast<const CompiledFunction&>(*callee.as_function());
        if (tracing) trace_found(function);
        return call_user_function(interp, function, args);
    }
    if (tracing) trace_call_parts("Function not found for: ", call.name);
    return Value();
}

}  // namespace

bool begin_call(Interpreter& interp, const CallExpr& call) { return begin_call_inline(interp, call); }

Value invoke(Interpreter& interp, const CallExpr& call, std::span<Value> args) {
    return invoke_inline(interp, call, args);
}

[[gnu::noinline]] Value call_function(Interpreter& interp, const CallExpr& call) {
    ArgumentWindow window(interp);
    if (!begin_call_inline(interp, call)) return Value();
    return invoke_inline(interp, call, window.values());
}

}  // namespace tarnel
