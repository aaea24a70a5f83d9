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

#include "interpreter/values/value.h"

namespace tarnel {

class GraphicsState;

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
