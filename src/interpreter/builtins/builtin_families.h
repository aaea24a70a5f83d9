// The builtins of each family, as the dispatch table in builtin_table.cpp calls them.
//
// Every function receives the caller's owned argument list and may move values out of it.
// Each checks its own minimum argument count and answers misuse with Null.
#pragma once

#include <span>

#include "interpreter/values/value.h"

namespace tarnel {

class GraphicsState;

using Args = std::span<Value>;

// Output, input, type tests, length, concatenation.
Value builtin_print(Args args);
Value builtin_input(Args args);
Value builtin_typeof(Args args);
Value builtin_is_number(Args args);
Value builtin_is_string(Args args);
Value builtin_is_array(Args args);
Value builtin_is_dict(Args args);
Value builtin_len(Args args);
Value builtin_concat(Args args);

// Text.
Value builtin_upper(Args args);
Value builtin_lower(Args args);
Value builtin_slice(Args args);
Value builtin_split(Args args);
Value builtin_contains(Args args);

// Arrays.
Value builtin_push(Args args);
Value builtin_pop(Args args);
Value builtin_reverse(Args args);

// Mathematics and random numbers.
Value builtin_abs(Args args);
Value builtin_pow(Args args);
Value builtin_sqrt(Args args);
Value builtin_floor(Args args);
Value builtin_ceil(Args args);
Value builtin_round(Args args);
Value builtin_min(Args args);
Value builtin_max(Args args);
Value builtin_random(Args args);
Value builtin_random_range(Args args);

// Shape values.
Value builtin_rect(Args args);
Value builtin_color(Args args);
Value builtin_circle(Args args);
Value builtin_triangle(Args args);

// The window, through the interpreter's graphics state.
Value builtin_window(Args args, GraphicsState& graphics);
Value builtin_clear(Args args, GraphicsState& graphics);
Value builtin_present(Args args, GraphicsState& graphics);
Value builtin_is_open(Args args, GraphicsState& graphics);
Value builtin_window_width(Args args, GraphicsState& graphics);
Value builtin_window_height(Args args, GraphicsState& graphics);
Value builtin_draw(Args args, GraphicsState& graphics);
Value builtin_fill(Args args, GraphicsState& graphics);

}  // namespace tarnel
