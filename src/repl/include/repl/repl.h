// The interactive shell: reads inputs from standard input until they balance their brackets,
// then runs them against one interpreter session that lives as long as the shell.
#pragma once

namespace tarnel {

// Runs until "exit", "quit", end of input or a read error.
void run_shell();

}  // namespace tarnel
