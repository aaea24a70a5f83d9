// The builtins of each family, as the dispatch table in builtin_table.cpp calls them.
//
// Every function receives the caller's owned argument list and may move values out of it.
// Each checks its own minimum argument count and answers misuse with Null.
#pragma once

#include <span>

#include "builtins/builtins.h"
#include "values/value.h"

namespace tarnel {

class GraphicsState;

using Args = std::span<Value>;

// One handler per builtin, named builtin_<name> (see TARNEL_BUILTINS): output and input, type
// tests, length and concatenation (core_builtins.cpp), text (text_builtins.cpp), arrays
// (array_builtins.cpp), mathematics and random numbers (math_builtins.cpp), shape values
// (shape_builtins.cpp) and the window (window_builtins.cpp).
#define TARNEL_DECLARE_PLAIN(name, minimum) Value builtin_##name(Args args);
#define TARNEL_DECLARE_WINDOW(name, minimum) \
    Value builtin_##name(Args args, GraphicsState& graphics);
TARNEL_BUILTINS(TARNEL_DECLARE_PLAIN, TARNEL_DECLARE_WINDOW)
#undef TARNEL_DECLARE_PLAIN
#undef TARNEL_DECLARE_WINDOW

}  // namespace tarnel
