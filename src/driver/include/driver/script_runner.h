// Runs one script file: extension check, reading, then lexing, parsing and execution, each
// phase timed with a monotonic clock and, with -d or -D, logged on standard error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "driver/command_line.h"

namespace tarnel {

// Returns the process exit status: 1 for a wrong extension or an unreadable file, otherwise
// what the interpreter returns.
int run_script(const command::Run& run);

// Milliseconds with exactly three decimals: 0.042 for 42 microseconds.
std::string format_milliseconds(double milliseconds);

}  // namespace tarnel
