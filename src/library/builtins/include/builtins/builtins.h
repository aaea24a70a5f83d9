// The builtin table: the bare function names of the language (print, len, upper, rect, ...).
//
// The call dispatch offers every plain call to this table before looking for user functions,
// so a builtin always wins over a variable of the same name. Names are resolved once per call
// site to a small id; the table itself is a fixed set, so rejecting a name allocates nothing.
// Misuse never fails loudly: too few arguments or unsupported kinds give Null.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "values/value.h"

// Every builtin with the fewest arguments it works with: the one list from which the dispatch
// table, the handler declarations and the list of names (shell completion, the checker, the
// editor files) are made. P(name, minimum) is a plain builtin, W(name, minimum) one that works
// on the interpreter's window.
// clang-format off
#define TARNEL_BUILTINS(P, W)                                                                    \
    P(print, 0) P(input, 1) P(typeof, 1) P(is_number, 0) P(is_string, 0) P(is_array, 0)         \
    P(is_dict, 0) P(len, 1) P(concat, 0)                                                        \
    P(upper, 1) P(lower, 1) P(slice, 3) P(split, 2) P(contains, 2)                              \
    P(push, 2) P(pop, 1) P(reverse, 1)                                                          \
    P(abs, 1) P(pow, 2) P(sqrt, 1) P(floor, 1) P(ceil, 1) P(round, 1) P(min, 2) P(max, 2)       \
    P(random, 0) P(random_range, 2)                                                             \
    P(rect, 4) P(color, 3) P(circle, 3) P(triangle, 6)                                          \
    W(window, 2) W(clear, 0) W(present, 0) W(is_open, 0) W(window_width, 0)                     \
    W(window_height, 0) W(draw, 2) W(fill, 2)
// clang-format on

namespace tarnel {

class GraphicsState;

struct BuiltinInfo {
    std::string_view name;
    int min_args;  // with fewer the builtin answers Null (the is_ tests: false)
};
// All 39 builtins, in the order of the list above.
std::span<const BuiltinInfo> builtin_list();

using BuiltinId = int16_t;
constexpr BuiltinId kNotBuiltin = -1;

// The id of a builtin name (exact, case-sensitive), or kNotBuiltin.
BuiltinId find_builtin(std::string_view name);

// Runs one builtin. It may move values out of `args`; the caller discards them afterwards.
Value call_builtin(BuiltinId id, std::span<Value> args, GraphicsState& graphics);

// The same by name: nothing when the name is not a builtin.
std::optional<Value> call_builtin(std::string_view name, std::span<Value> args,
                                  GraphicsState& graphics);

}  // namespace tarnel
