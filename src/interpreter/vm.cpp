// The engine's loop. Each instruction's handler is a label; `table` maps opcodes to handlers.
// While a signal is pending every opcode maps to `pending`, which first sends a statement
// boundary to its handler (bytecode.h), so code without pending signals pays nothing for them.
#include <new>
#include <stdexcept>

#include "builtins/builtins.h"
#include "graphics/graphics.h"
#include "http/http.h"
#include "interpreter_state.h"
#include "vm.h"

namespace tarnel {

namespace {

[[gnu::cold, gnu::noinline]] void trace_parts(std::string_view first, std::string_view second,
                                              std::string_view third = {}) {
    std::string message;
    message.reserve(first.size() + second.size() + third.size());
    message.append(first).append(second).append(third);
    trace_call(message);
}

// The generic form of every two-operand instruction (the loop inlines the number cases).
[[gnu::noinline]] Value binary_slow(Interpreter& interp, BinaryOperator op, Value left,
                                    const Value& right) {
    return operate(interp, std::move(left), op, right);
}

// The truth of `left op right` for the fused compare-and-jump instructions (the loop handles
// two integers itself).
[[gnu::noinline]] bool compare(BinaryOperator op, const Value& left, const Value& right) {
    if (left.kind() == right.kind()) {
        if (left.is(ValueKind::Number)) {
            const int64_t a = left.as_number();
            const int64_t b = right.as_number();
            switch (op) {
                case BinaryOperator::Less:
                    return a < b;
                case BinaryOperator::Greater:
                    return a > b;
                case BinaryOperator::LessEqual:
                    return a <= b;
                case BinaryOperator::GreaterEqual:
                    return a >= b;
                case BinaryOperator::Equal:
                    return a == b;
                default:
                    return a != b;
            }
        }
        if (left.is(ValueKind::Float))
            return is_truthy(float_operator(left.as_float(), op, right.as_float()));
    }
    return is_truthy(apply_operator(left, op, right));
}

Value make_range(const Value& start, const Value& end) {
    const auto low = to_int64(start);
    const auto high = to_int64(end);
    if (!low || !high) return Value();
    ValueList items;
    if (*low < *high) {
        const uint64_t count = static_cast<uint64_t>(*high) - static_cast<uint64_t>(*low);
        if (count > static_cast<uint64_t>(kMaxRangeLength)) return Value();
        items.reserve(count);
        for (int64_t i = *low; i < *high; ++i)
            items.push_back(Value::number(i));
    }
    return Value::array(std::move(items));
}

// A dictionary's entry under `key` (a copy), or Null.
Value field(const Value& object, std::string_view key, size_t hash) {
    if (!object.is(ValueKind::Dict)) return Value();
    const DictMap& map = object.as_dict();
    const size_t at = map.find(key, hash);
    return at == DictMap::npos ? Value() : map.value(at);
}

// The same for a key the code names.
Value field(const Value& object, const DictKey& key) {
    if (!object.is(ValueKind::Dict)) return Value();
    const DictMap& map = object.as_dict();
    const size_t at = map.find(key.text, key.hash, key.last_at);
    if (at == DictMap::npos) return Value();
    key.last_at = at;
    return map.value(at);
}

Value index_value(const Value& object, const Value& index) {
    if (object.is(ValueKind::Array) && index.is(ValueKind::Number)) {
        const ValueList& items = object.as_array();
        const int64_t i = index.as_number();
        if (i < 0 || static_cast<uint64_t>(i) >= items.size()) return Value();
        return items[static_cast<size_t>(i)];
    }
    if (object.is(ValueKind::Dict) && index.is(ValueKind::String))
        return field(object, index.as_string(), DictMap::hash_of(index.as_string()));
    return Value();
}

std::optional<Value> call_module_function(Interpreter& interp, const std::string& name,
                                          std::span<Value> args) {
    if (auto result = call_graphics(name, args, interp.module_state)) return result;
    return call_http(name, args);
}

// An array of the `count` values from `items` on, which are taken.
Value new_array(Value* items, uint32_t count) {
    ValueList list;
    list.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        list.push_back(std::move(items[i]));
    return Value::array(std::move(list));
}

// A dictionary of `keys` and the values from `values` on, which are taken; a key that occurs
// twice keeps its last value.
Value new_dict(const std::vector<DictKey>& keys, Value* values) {
    DictMap map;
    map.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        map.insert_or_assign(keys[i].text, keys[i].hash, std::move(values[i]));
    return Value::dict(std::move(map));
}

// Runs a builtin on the arguments from `args` on and returns its answer; the arguments are
// released (the first one may have been updated in place and taken).
Value builtin_at(Interpreter& interp, const CompiledCall& call, Value* args) {
    std::span<Value> span(args, call.argc);
    Value result = call_builtin(call.builtin, span, interp.module_state);
    for (Value& arg : span)
        arg = Value();
    return result;
}

// A call that no script function answers: a module's function, a builtin function value, or
// Null. Either way the arguments are released.
Value module_call_at(Interpreter& interp, const CompiledCall& call, Value* args,
                     const Value& callee) {
    std::span<Value> span(args, call.argc);
    Value result;
    if (callee.is(ValueKind::BuiltinFunction)) {
        if (auto answer = call_module_function(interp, callee.builtin_name(), span))
            result = std::move(*answer);
    }
    for (Value& arg : span)
        arg = Value();
    return result;
}

// The "sdl2." or "http." module's answer for a call routed to it, if it has one.
bool routed_call(Interpreter& interp, const CompiledCall& call, Value* args, Value& result) {
    std::span<Value> span(args, call.argc);
    std::optional<Value> answer = call.route == CallRoute::Graphics
                                      ? call_graphics(call.call->name, span, interp.module_state)
                                      : call_http(call.call->name, span);
    if (!answer) return false;
    for (Value& arg : span)
        arg = Value();
    result = std::move(*answer);
    return true;
}

// A call under -D, with every trace line. True when `out` is a script function to enter;
// otherwise `out` is the call's result and the arguments are released.
bool traced_call(Interpreter& interp, const CompiledCall& call, Value* args, Value& out) {
    const std::string& name = call.call->name;
    std::span<Value> span(args, call.argc);
    std::optional<Value> answer;
    if (call.route == CallRoute::Graphics) answer = call_graphics(name, span, interp.module_state);
    if (call.route == CallRoute::Http) answer = call_http(name, span);
    if (!answer && call.builtin != kNotBuiltin) {
        answer = call_builtin(call.builtin, span, interp.module_state);
        trace_parts(name, " is a builtin");
    }
    if (!answer) {
        trace_parts(name, " is not a builtin, looking for user function");
        Value callee = call.route == CallRoute::Plain ? interp.env.get_variable(call.call->symbol)
                                                      : interp.get_variable(name);
        trace_parts("get_variable(", name, ") returned: " + debug_string(callee));
        if (callee.is(ValueKind::Function)) {
            const auto& function = static_cast<const CompiledFunction&>(*callee.as_function());
            trace_parts("Found function with ", std::to_string(function.param_slots.size()),
                        " params, calling");
            out = std::move(callee);
            return true;
        }
        if (callee.is(ValueKind::BuiltinFunction)) {
            answer = call_module_function(interp, callee.builtin_name(), span);
        } else {
            trace_parts("Function not found for: ", name);
        }
    }
    for (Value& arg : span)
        arg = Value();
    out = answer ? std::move(*answer) : Value();
    return false;
}

// left = left op right, where `left` is the variable's own cell (nothing else holds it).
inline void update_in_place(Interpreter& interp, Value& left, BinaryOperator op,
                            const Value& right) {
    if (left.kind() == right.kind()) {
        if (left.is(ValueKind::Number)) {
            if ((op == BinaryOperator::Slash || op == BinaryOperator::Percent) &&
                right.as_number() == 0) [[unlikely]] {
                interp.report("Error: division by zero\n");
            }
            left = number_operator(left.as_number(), op, right.as_number());
            return;
        }
        if (left.is(ValueKind::Float)) {
            left = float_operator(left.as_float(), op, right.as_float());
            return;
        }
        if (left.is(ValueKind::String) && op == BinaryOperator::Plus) {
            left.mutable_string() += right.as_string();  // strong guarantee: kept whole on failure
            return;
        }
    }
    // `right` may be the variable itself (x = x op x): then the left operand is a copy.
    left = operate(interp, &right == &left ? Value(left) : std::move(left), op, right);
}

// name = name op value, or name + values..., when the read would see another binding than
// the write makes (a caller's local, or a global behind a local): read, compute, then bind.
void update_elsewhere(Interpreter& interp, Symbol symbol, BinaryOperator op, const Value* values,
                      uint32_t count) {
    Value result = interp.env.get_variable(symbol);
    for (uint32_t i = 0; i < count; ++i)
        result = operate(interp, std::move(result), op, values[i]);
    interp.env.set_variable(symbol, std::move(result));
}

// Takes a pending Error return for a try: its message, or nothing (the return stays pending).
std::optional<std::string> caught_error(ControlSignals& signals) {
    if (!signals.has_return || !signals.return_value.is(ValueKind::Error)) return std::nullopt;
    std::string message = signals.return_value.error_message();
    signals.return_value = Value();
    signals.has_return = false;
    return message;
}

// A variable's value lent to an in-place update (LendForUpdate), to give back if the update
// fails for lack of memory.
struct Lent {
    bool active = false;
    Symbol symbol = 0;
    size_t reg = 0;  // absolute
};

class Engine {
  public:
    explicit Engine(Interpreter& interp)
        : interp_(interp), state_(interp.engine), env_(interp.env), tracing_(extra_debug()) {}

    // Runs from `pc` in `code` until Halt or until the frame stack is back to `stop_depth`
    // frames; abandons the run (unwinding to `stop_depth`) when memory runs out.
    void run(const Code* code, const Unit* unit, uint32_t base, const Instr* pc,
             size_t stop_depth) {
        try {
            loop(code, unit, base, pc, stop_depth);
        } catch (const std::bad_alloc&) {
            out_of_memory();
        } catch (const std::length_error&) {  // a size past what any container can hold
            out_of_memory();
        }
        if (interp_.abandoned()) unwind(stop_depth);
    }

    // Makes room for `count` registers from `base` on.
    void reserve_registers(size_t end) {
        if (state_.registers.size() < end) state_.registers.resize(end);
    }

  private:
    void loop(const Code* code, const Unit* unit, uint32_t base, const Instr* pc,
              size_t stop_depth);
    void out_of_memory() {
        if (lent_.active) {
            Value* slot = env_.shared_assignment_slot(lent_.symbol);
            if (slot != nullptr && slot->is_null()) *slot = std::move(state_.registers[lent_.reg]);
        }
        interp_.abandon(Abandonment::OutOfMemory);
    }
    // Registers [from, to) are within the register stack.
    void clear_registers(size_t from, size_t to) {
        for (Value *r = state_.registers.data() + from, *end = state_.registers.data() + to;
             r != end; ++r) {
            r->reset();
        }
    }
    // Ends the frames pushed since `stop_depth`, restoring every binding they made.
    void unwind(size_t stop_depth) {
        while (state_.frames.size() > stop_depth) {
            const Frame& frame = state_.frames.back();
            env_.pop_scope(frame.scope);
            clear_registers(frame.base, frame.top);
            state_.frames.pop_back();
        }
    }

    Interpreter& interp_;
    EngineState& state_;
    Environment& env_;
    const bool tracing_;
    Lent lent_;
};

void Engine::loop(const Code* code, const Unit* unit, uint32_t base, const Instr* pc,
                  size_t stop_depth) {
    static const void* const kHandlers[] = {
#define TARNEL_OPCODE_LABEL(name) &&op_##name,
        TARNEL_OPCODES(TARNEL_OPCODE_LABEL)
#undef TARNEL_OPCODE_LABEL
    };
    static const void* const kPending[] = {
#define TARNEL_OPCODE_PENDING(name) &&pending,
        TARNEL_OPCODES(TARNEL_OPCODE_PENDING)
#undef TARNEL_OPCODE_PENDING
    };

    ControlSignals& signals = interp_.signals;
    // Objects the handlers share. Locals with destructors must not live in a handler across its
    // dispatch (a computed goto leaves their scope without destroying them), so handlers keep
    // such values here or in helper functions.
    Value callee;                            // a function found other than in its cell
    const Value* entered = nullptr;          // the function a call is entering
    const CompiledCall* entering = nullptr;  // and its call
    // The code the run started in, which the frames below the first one return to.
    const Code* const entry_code = code;
    const Unit* const entry_unit = unit;
    const uint32_t entry_base = base;
    const size_t entry_depth = state_.frames.size();
    const void* const* table = signals.any() ? kPending : kHandlers;
    const Instr* instrs;
    const uint32_t* boundary;
    Value* regs;
    Value* bases[3];  // by operand kind: registers, cells, constants

// Derived pointers, after a change of frame or of the register or cell arrays.
#define RELOAD()                                               \
    do {                                                       \
        instrs = code->instrs.data();                          \
        boundary = code->boundary.data();                      \
        regs = state_.registers.data() + base;                 \
        bases[0] = regs;                                       \
        bases[1] = env_.cells();                               \
        bases[2] = const_cast<Value*>(code->constants.data()); \
    } while (0)
#define DISPATCH() goto* table[static_cast<uint8_t>(pc->op)]
#define NEXT()      \
    do {            \
        ++pc;       \
        DISPATCH(); \
    } while (0)
// Jump targets are stored relative to the jumping instruction.
#define JUMP(target)                        \
    do {                                    \
        pc += static_cast<int32_t>(target); \
        DISPATCH();                         \
    } while (0)
#define O(x) (bases[(x) >> kOperandShift][(x)&kOperandIndex])
#define R(x) (regs[(x)])
// A register operand is a temporary and is taken; a cell or a constant is copied.
#define TAKE(x) (operand_kind(x) == OperandKind::Register ? std::move(O(x)) : Value(O(x)))
#define UPDATE_MODE() (table = signals.any() ? kPending : kHandlers)
// After a call the engine does not enter: a builtin or module function may have waited for
// input or the network until an interrupt cut it short.
#define NEXT_AFTER_CALL() goto after_call
#define CHECK_ABANDONED()                \
    do {                                 \
        if (interp_.abandoned()) return; \
    } while (0)

    env_.reserve_symbol(code->max_symbol);
    RELOAD();
    DISPATCH();

after_call:
    if (interp_.interrupted()) [[unlikely]] {
        interp_.abandon(Abandonment::Interrupted);
        return;
    }
    NEXT();

pending : {
    const uint32_t handler = boundary[pc - instrs];
    if (handler != kNoBoundary) pc = instrs + handler;
    goto* kHandlers[static_cast<uint8_t>(pc->op)];
}

op_Copy:
    R(pc->a) = TAKE(pc->b);
    NEXT();

op_SetVar:
    env_.set_variable(pc->a, TAKE(pc->b));
    if (lent_.active && lent_.symbol == pc->a) lent_.active = false;
    NEXT();

#define NUMERIC_BINARY(name, op, checks_zero)                                 \
    op_##name : {                                                             \
        const Value& l = O(pc->b);                                            \
        const Value& r = O(pc->c);                                            \
        if (l.kind() == r.kind()) {                                           \
            if (l.is(ValueKind::Number)) {                                    \
                if (checks_zero && r.as_number() == 0) [[unlikely]] {         \
                    interp_.report("Error: division by zero\n");              \
                }                                                             \
                R(pc->a) = number_operator(l.as_number(), op, r.as_number()); \
                NEXT();                                                       \
            }                                                                 \
            if (l.is(ValueKind::Float)) {                                     \
                R(pc->a) = float_operator(l.as_float(), op, r.as_float());    \
                NEXT();                                                       \
            }                                                                 \
        }                                                                     \
        R(pc->a) = binary_slow(interp_, op, TAKE(pc->b), O(pc->c));           \
        NEXT();                                                               \
    }
    NUMERIC_BINARY(Sub, BinaryOperator::Minus, false)
    NUMERIC_BINARY(Mul, BinaryOperator::Star, false)
    NUMERIC_BINARY(Div, BinaryOperator::Slash, true)
    NUMERIC_BINARY(Mod, BinaryOperator::Percent, true)
    NUMERIC_BINARY(Pow, BinaryOperator::Power, false)
    NUMERIC_BINARY(Eq, BinaryOperator::Equal, false)
    NUMERIC_BINARY(Ne, BinaryOperator::NotEqual, false)
    NUMERIC_BINARY(Lt, BinaryOperator::Less, false)
    NUMERIC_BINARY(Gt, BinaryOperator::Greater, false)
    NUMERIC_BINARY(Le, BinaryOperator::LessEqual, false)
    NUMERIC_BINARY(Ge, BinaryOperator::GreaterEqual, false)
#undef NUMERIC_BINARY

op_Add : {
    Value& l = O(pc->b);
    const Value& r = O(pc->c);
    if (l.kind() == r.kind()) {
        if (l.is(ValueKind::Number)) {
            R(pc->a) = Value::number(
                wrap(static_cast<uint64_t>(l.as_number()) + static_cast<uint64_t>(r.as_number())));
            NEXT();
        }
        if (l.is(ValueKind::Float)) {
            R(pc->a) = Value::real(l.as_float() + r.as_float());
            NEXT();
        }
        if (l.is(ValueKind::String) && operand_kind(pc->b) == OperandKind::Register) {
            // A temporary string: grows where it lies (kept whole if memory runs out).
            l.mutable_string() += r.as_string();
            if (pc->a != operand_index(pc->b)) R(pc->a) = std::move(l);
            NEXT();
        }
    }
    R(pc->a) = binary_slow(interp_, BinaryOperator::Plus, TAKE(pc->b), O(pc->c));
    NEXT();
}

op_And : {
    const Value& l = O(pc->b);
    const Value& r = O(pc->c);
    R(pc->a) = l.is(ValueKind::Boolean) && r.is(ValueKind::Boolean)
                   ? Value::boolean(l.as_boolean() && r.as_boolean())
                   : Value();
    NEXT();
}

op_Or : {
    const Value& l = O(pc->b);
    const Value& r = O(pc->c);
    R(pc->a) = l.is(ValueKind::Boolean) && r.is(ValueKind::Boolean)
                   ? Value::boolean(l.as_boolean() || r.as_boolean())
                   : Value();
    NEXT();
}

op_Not:
    R(pc->a) = Value::boolean(!is_truthy(O(pc->b)));
    NEXT();

op_Neg:
    R(pc->a) = apply_unary(UnaryOperator::Minus, O(pc->b));
    NEXT();

op_Jump:
    JUMP(pc->a);

op_Loop:
    if (!interp_.keep_going()) [[unlikely]]
        return;
    JUMP(pc->a);

op_JumpIfFalse:
    if (!is_truthy(O(pc->b))) JUMP(pc->a);
    NEXT();

#define COMPARE_JUMP(name, op, cmp)                               \
    op_##name : {                                                 \
        const Value& l = O(pc->b);                                \
        const Value& r = O(pc->c);                                \
        if (l.is(ValueKind::Number) && r.is(ValueKind::Number)) { \
            if (!(l.as_number() cmp r.as_number())) JUMP(pc->a);  \
            NEXT();                                               \
        }                                                         \
        if (!compare(op, l, r)) JUMP(pc->a);                      \
        NEXT();                                                   \
    }
    COMPARE_JUMP(JumpIfNotEq, BinaryOperator::Equal, ==)
    COMPARE_JUMP(JumpIfNotNe, BinaryOperator::NotEqual, !=)
    COMPARE_JUMP(JumpIfNotLt, BinaryOperator::Less, <)
    COMPARE_JUMP(JumpIfNotGt, BinaryOperator::Greater, >)
    COMPARE_JUMP(JumpIfNotLe, BinaryOperator::LessEqual, <=)
    COMPARE_JUMP(JumpIfNotGe, BinaryOperator::GreaterEqual, >=)
#undef COMPARE_JUMP

op_JumpIfNoMatch:
    if (!values_match(O(pc->b), O(pc->c))) JUMP(pc->a);
    NEXT();

op_NewArray:
    R(pc->a) = new_array(regs + pc->b, pc->c);
    NEXT();

op_NewDict:
    R(pc->a) = new_dict(code->key_lists[pc->c], regs + pc->b);
    NEXT();

op_Index:
    R(pc->a) = index_value(O(pc->b), O(pc->c));
    NEXT();

op_GetField:
    R(pc->a) = field(O(pc->b), code->field_keys[pc->c]);
    NEXT();

op_Range:
    R(pc->a) = make_range(O(pc->b), O(pc->c));
    NEXT();

op_CallBuiltin:
    R(pc->a) = builtin_at(interp_, code->calls[pc->c], regs + pc->a);
    NEXT_AFTER_CALL();

op_Call:
    entering = &code->calls[pc->c];
    if (entering->route == CallRoute::Plain) {
        const Value& target = env_.cells()[entering->call->symbol];
        if (target.is(ValueKind::Function)) [[likely]] {
            entered = &target;
            goto enter_function;
        }
        R(pc->a) = module_call_at(interp_, *entering, regs + pc->a, target);
        NEXT_AFTER_CALL();
    }
    if (entering->route == CallRoute::Graphics || entering->route == CallRoute::Http) {
        if (routed_call(interp_, *entering, regs + pc->a, R(pc->a))) NEXT_AFTER_CALL();
    }
    callee = interp_.get_variable(entering->call->name);
    if (callee.is(ValueKind::Function)) {
        entered = &callee;
        goto enter_function;
    }
    R(pc->a) = module_call_at(interp_, *entering, regs + pc->a, callee);
    callee = Value();
    NEXT_AFTER_CALL();

enter_function : {
    // A new scope and frame, the parameters bound in it, then on in the callee's code. The
    // frame holds the function first: binding a parameter may rebind the function's own name.
    if (state_.frames.size() >= static_cast<size_t>(interp_.limits.max_call_depth)) [[unlikely]] {
        interp_.abandon(Abandonment::RecursionLimit);
        return;
    }
    if (!interp_.keep_going()) [[unlikely]]
        return;
    const auto& function = static_cast<const CompiledFunction&>(*entered->as_function());
    const uint32_t argc = entering->argc;
    const uint32_t callee_base = base + pc->a;
    const uint32_t scope = env_.push_scope();
    state_.frames.push_back(
        {nullptr, &function.unit, pc + 1, *entered, callee_base, callee_base + argc, scope});
    callee = Value();
    const Code& body = function.code(tracing_);
    Frame& frame = state_.frames.back();
    frame.code = &body;
    frame.top = std::max(frame.top, callee_base + body.registers);
    env_.reserve_symbol(body.max_symbol);
    const size_t bound = std::min<size_t>(function.param_slots.size(), argc);
    for (size_t i = 0; i < bound; ++i)
        env_.set_variable(function.param_slots[i], std::move(R(pc->a + i)));
    reserve_registers(frame.top);
    code = &body;
    unit = &function.unit;
    base = callee_base;
    pc = body.instrs.data();
    RELOAD();
    DISPATCH();
}

op_TraceCall:
    trace_parts("Calling function: ", code->calls[pc->c].call->name);
    NEXT();

op_CallTraced:
    entering = &code->calls[pc->c];
    if (traced_call(interp_, *entering, regs + pc->a, callee)) {
        entered = &callee;
        goto enter_function;
    }
    R(pc->a) = std::move(callee);
    NEXT_AFTER_CALL();

op_AppendChain : {
    // name + a + b ... evaluated first, applied now, left to right: in place while the
    // accumulated value is an unshared string (kept whole if memory runs out).
    Value& accumulated = R(pc->a);
    for (uint32_t i = 1; i <= pc->c; ++i) {
        const Value& next = R(pc->a + i);
        if (accumulated.is(ValueKind::String) && next.is(ValueKind::String)) {
            accumulated.mutable_string() += next.as_string();
        } else {
            accumulated = apply_operator(std::move(accumulated), BinaryOperator::Plus, next);
        }
    }
    for (uint32_t i = 1; i <= pc->c; ++i)
        R(pc->a + i) = Value();
    NEXT();
}

op_UpdateVar : {
    if (Value* slot = env_.shared_assignment_slot(pc->a)) [[likely]] {
        update_in_place(interp_, *slot, static_cast<BinaryOperator>(pc->c), O(pc->b));
    } else {
        update_elsewhere(interp_, pc->a, static_cast<BinaryOperator>(pc->c), &O(pc->b), 1);
    }
    NEXT();
}

op_AppendVar : {
    // The operands were evaluated first; nothing runs between the additions, so they may go
    // straight into the variable.
    if (Value* slot = env_.shared_assignment_slot(pc->a)) [[likely]] {
        for (uint32_t i = 0; i < pc->c; ++i) {
            update_in_place(interp_, *slot, BinaryOperator::Plus, R(pc->b + i));
        }
    } else {
        update_elsewhere(interp_, pc->a, BinaryOperator::Plus, &R(pc->b), pc->c);
    }
    for (uint32_t i = 0; i < pc->c; ++i)
        R(pc->b + i) = Value();
    NEXT();
}

op_LendForUpdate : {
    Value* slot = env_.shared_assignment_slot(pc->a);
    if (slot != nullptr && slot->shares_payload_with(R(pc->b))) {
        *slot = Value();
        lent_ = {true, pc->a, base + pc->b};
    }
    NEXT();
}

op_Return:
    // The result goes to the frame's first register, where the caller expects it; the rest of
    // the frame's registers are cleared.
    if (signals.has_return) [[unlikely]] {  // a stale pending return: this one replaces it
        signals.has_return = false;
        signals.return_value = Value();
        UPDATE_MODE();
    }
    if (pc->b != operand(OperandKind::Register, 0)) regs[0] = TAKE(pc->b);
    goto leave_frame;

op_ReturnEnd:
    if (signals.has_return) {
        regs[0] = std::move(signals.return_value);
        signals.return_value = Value();
        signals.has_return = false;
        UPDATE_MODE();
    } else {
        regs[0].reset();
    }

leave_frame : {
    {
        Frame& frame = state_.frames.back();
        env_.pop_scope(frame.scope);
        clear_registers(frame.base + 1, std::max(frame.top, frame.base + 1));
        const Instr* resume = frame.resume;
        state_.frames.pop_back();
        if (resume == nullptr || state_.frames.size() < stop_depth) return;
        pc = resume;
    }
    if (state_.frames.size() > entry_depth) {
        const Frame& caller = state_.frames.back();
        code = caller.code;
        unit = caller.unit;
        base = caller.base;
    } else {
        code = entry_code;
        unit = entry_unit;
        base = entry_base;
    }
    RELOAD();
    DISPATCH();
}

op_SetReturn:
    signals.return_value = TAKE(pc->b);
    signals.has_return = true;
    UPDATE_MODE();
    NEXT();

op_SetBreak:
    signals.break_signal = true;
    UPDATE_MODE();
    NEXT();

op_SetContinue:
    signals.continue_signal = true;
    UPDATE_MODE();
    NEXT();

op_LoopSignal:
    if (signals.has_return || signals.break_signal) {
        signals.break_signal = false;
        UPDATE_MODE();
        JUMP(pc->a);
    }
    signals.continue_signal = false;
    UPDATE_MODE();
    JUMP(pc->b);

op_ClearBreak:
    if (signals.break_signal) {
        signals.break_signal = false;
        UPDATE_MODE();
    }
    NEXT();

op_TryCheck:
    if (signals.has_return && signals.return_value.is(ValueKind::Error)) {
        env_.set_variable(pc->a, Value::string(*caught_error(signals)));
        UPDATE_MODE();
        JUMP(pc->b);
    }
    JUMP(pc->c);

op_StatementCheck:
    if (static_cast<TopLevel>(pc->a) == TopLevel::Script) {
        if (signals.has_return) return;  // a top-level return ends the run
    } else if (signals.any()) {
        signals.clear();  // the shell consumes what the statement left pending
        UPDATE_MODE();
    }
    NEXT();

op_ForRangePrep : {
    const auto low = to_int64(R(pc->a));
    const auto high = to_int64(R(pc->a + 1));
    // Bounds that make no range (not numbers, or too long to build) iterate nothing and leave
    // the signals alone: the range would be Null, which no loop iterates.
    if (!low || !high) JUMP(pc->c + 1u);
    if (*low >= *high) JUMP(pc->c);
    if (static_cast<uint64_t>(*high) - static_cast<uint64_t>(*low) >
        static_cast<uint64_t>(kMaxRangeLength)) {
        JUMP(pc->c + 1u);
    }
    if (!interp_.keep_going()) [[unlikely]]
        return;
    R(pc->a) = Value::number(*low);
    R(pc->a + 1) = Value::number(*high);
    env_.set_variable(pc->b, Value::number(*low));
    NEXT();
}

op_ForRangeNext : {
    const int64_t next = R(pc->a).as_number() + 1;
    if (next >= R(pc->a + 1).as_number()) NEXT();
    if (!interp_.keep_going()) [[unlikely]]
        return;
    R(pc->a) = Value::number(next);
    env_.set_variable(pc->b, Value::number(next));
    JUMP(pc->c);
}

op_ForArrayPrep : {
    if (!R(pc->a).is(ValueKind::Array)) JUMP(pc->c + 1u);
    if (R(pc->a).as_array().empty()) JUMP(pc->c);
    if (!interp_.keep_going()) [[unlikely]]
        return;
    R(pc->a + 1) = Value::number(0);
    env_.set_variable(pc->b, R(pc->a).as_array().front());  // the loop's own copy of the array
    NEXT();
}

op_ForArrayNext : {
    const auto next = static_cast<size_t>(R(pc->a + 1).as_number()) + 1;
    const ValueList& items = R(pc->a).as_array();
    if (next >= items.size()) NEXT();
    if (!interp_.keep_going()) [[unlikely]]
        return;
    R(pc->a + 1) = Value::number(static_cast<int64_t>(next));
    env_.set_variable(pc->b, items[next]);
    JUMP(pc->c);
}

op_Def:
    env_.set_variable(pc->a, unit->function_value(pc->b));
    NEXT();

op_Global:
    env_.declare_global(pc->a);
    NEXT();

op_Use:
    apply_use(interp_, *code->uses[pc->a]);
    CHECK_ABANDONED();
    RELOAD();  // the module's names may have grown the cells
    NEXT();

op_Halt:
    return;

#undef RELOAD
#undef DISPATCH
#undef NEXT
#undef JUMP
#undef O
#undef R
#undef TAKE
#undef UPDATE_MODE
#undef CHECK_ABANDONED
#undef NEXT_AFTER_CALL
}

}  // namespace

void run_code(Interpreter& interp, const Code& code, const Unit& unit) {
    Engine engine(interp);
    const size_t depth = interp.engine.frames.size();
    const auto base = static_cast<uint32_t>(interp.engine.registers.size());
    engine.reserve_registers(base + code.registers);
    engine.run(&code, &unit, base, code.instrs.data(), depth);
    interp.engine.registers.resize(base);
}

Value run_function(Interpreter& interp, const CompiledFunction& function) {
    // A frame as if a call instruction had made it, with nowhere to resume: the loop ends when
    // the function returns, leaving the result in the frame's first register.
    Engine engine(interp);
    EngineState& state = interp.engine;
    const size_t depth = state.frames.size();
    const auto base = static_cast<uint32_t>(state.registers.size());
    if (depth >= static_cast<size_t>(interp.limits.max_call_depth) || !interp.keep_going()) {
        if (!interp.abandoned()) interp.abandon(Abandonment::RecursionLimit);
        return Value();
    }
    const Code& body = function.code(extra_debug());
    interp.env.reserve_symbol(body.max_symbol);
    const uint32_t scope = interp.env.push_scope();
    state.frames.push_back({&body, &function.unit, nullptr,
                            function.unit.function_value(function.definition.id), base,
                            base + std::max(body.registers, 1u), scope});
    engine.reserve_registers(state.frames.back().top);
    engine.run(&body, &function.unit, base, body.instrs.data(), depth);
    Value value = std::move(state.registers[base]);
    state.registers.resize(base);
    return value;
}

}  // namespace tarnel
