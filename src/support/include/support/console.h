// Console and process support shared by every stage of the interpreter.
//
// Standard output is written through one buffer that is flushed at each line end, before
// anything goes to standard error and before input is read, so a combined log keeps the order
// in which things happened. The diagnostic log line format lives here because the driver, the
// interpreter and the module loader all write it. Deep recursion in the evaluator needs more native
// stack than the main thread has, so work can be run on a thread with a large stack.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarnel {

// Appends to standard output. When standard output is closed (a reader that went away),
// the program ends quietly with status 0.
void write_out(std::string_view text);
void flush_out();

// Writes to standard error after flushing standard output.
void write_err(std::string_view text);

// ESC[33m[ ESC[93m tag ESC[33m] ESC[0m, a space, the message and a line feed, on stderr.
void log_line(std::string_view tag, std::string_view message);

// Reads one line from standard input, including its line terminator, after flushing standard
// output. Returns false when nothing could be read (end of input, a read error or an
// interrupt).
bool read_line(std::string& line);

// Sets up the process: standard output flushed at each line end, SIGPIPE ignored
// (a closed socket or pipe becomes an error return, never a signal).
void init_console();

// Runs `work` on a thread whose stack is large enough for very deep recursion and returns its
// result. The calling thread only waits.
int run_on_large_stack(const std::function<int()>& work);

}  // namespace tarnel
