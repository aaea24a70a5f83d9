// Call dispatch and user-function invocation.
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
        interp_.push_scope();
        interp_.unit = &unit;
    }
    ~CallFrame() {
        interp_.unit = outer_unit_;
        interp_.pop_scope();
        --interp_.call_depth;
    }
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

private:
    Interpreter& interp_;
    const Unit* outer_unit_;
};

// Truncates the argument stack back to where this call's arguments began.
class ArgumentWindow {
public:
    explicit ArgumentWindow(Interpreter& interp) : interp_(interp), base_(interp.arg_stack.size()) {}
    ~ArgumentWindow() { interp_.arg_stack.resize(base_); }
    ArgumentWindow(const ArgumentWindow&) = delete;
    ArgumentWindow& operator=(const ArgumentWindow&) = delete;
    std::span<Value> values() {
        return std::span<Value>(interp_.arg_stack).subspan(base_);
    }

private:
    Interpreter& interp_;
    size_t base_;
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
            interp.set_variable(function.param_slots[i], std::move(args[i]));
        }
        for (const StmtPtr& statement : function.definition.body) {
            execute(interp, *statement);
            if (interp.signalled()) break;
        }
    }
    if (!interp.has_return) return Value();
    interp.has_return = false;
    return std::move(interp.return_value);
}

Value call_function(Interpreter& interp, const CallExpr& call, const Symbol* assign_to) {
    if (interp.abandoned()) [[unlikely]] return Value();
    const bool tracing = extra_debug();
    if (tracing) trace_call_parts("Calling function: ", call.name);

    ArgumentWindow window(interp);
    for (const ExprPtr& arg : call.args) {
        Value value = evaluate(interp, *arg);
        interp.arg_stack.push_back(std::move(value));
    }
    if (interp.abandoned()) [[unlikely]] return Value();  // while an argument was evaluated
    std::span<Value> args = window.values();

    const CallSite& site = interp.unit->calls[call.id];
    if (site.route == CallRoute::Graphics) {
        if (auto result = call_graphics(call.name, args, interp.module_state)) return std::move(*result);
    } else if (site.route == CallRoute::Http) {
        if (auto result = call_http(call.name, args)) return std::move(*result);
    }

    if (site.builtin != kNotBuiltin) {
        // A builtin cannot observe variables, so `x = f(x, ...)` may hand it x's only share.
        Value* lent = nullptr;
        if (assign_to != nullptr && !call.args.empty() && call.args[0]->kind == ExprKind::Identifier &&
            node_cast<IdentifierExpr>(*call.args[0]).symbol == *assign_to) {
            lent = release_for_update(interp, *assign_to, args[0]);
        }
        Value result = update_lent(lent, lent != nullptr ? &args[0] : nullptr, [&] {
            return call_builtin(site.builtin, args, interp.module_state);
        });
        if (tracing) trace_call_parts(call.name, " is a builtin");
        return result;
    }

    if (tracing) trace_call_parts(call.name, " is not a builtin, looking for user function");
    Value callee = site.route == CallRoute::Plain ? interp.get_variable(call.symbol)
                                                  : interp.get_variable(std::string_view(call.name));
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

}  // namespace tarnel
