#include "repl/repl.h"

#include <unistd.h>

#include <editline/readline.h>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "input_scan.h"
#include "interpreter/interpreter.h"
#include "support/console.h"
#include "support/utf8.h"

namespace tarnel {

namespace {

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// Shows `prompt` and reads one line. At a terminal the line editor shows the prompt and keeps
// a history; otherwise the prompt is written to standard output as it is, so piped sessions
// are byte for byte predictable. False at end of input, on a read error and for a line that
// is not UTF-8.
bool read_input_line(const char* prompt, bool terminal, std::string& line) {
    if (terminal) {
        flush_out();
        std::unique_ptr<char, FreeDeleter> raw(readline(prompt));
        if (!raw) return false;
        line = raw.get();
        if (!trim_white_space(line).empty()) add_history(raw.get());
    } else {
        write_out(prompt);
        flush_out();
        if (!read_line(line)) return false;
    }
    return is_valid_utf8(line);
}

void shell_loop() {
    write_out("Welcome to Tarnel Interactive REPL!\n");
    write_out("Type 'exit' to quit.\n");
    write_out("\n");
    Session session(std::make_shared<NameTable>());
    const bool terminal = isatty(STDIN_FILENO) != 0;
    BracketDepth depth;
    std::string pending;
    std::string line;
    while (read_input_line(depth.balanced() ? ">>> " : "... ", terminal, line)) {
        std::string_view input = trim_white_space(line);
        if (input.empty()) continue;
        if (input == "exit" || input == "quit") {
            write_out("Goodbye!\n");
            break;
        }
        depth.scan(input);
        if (!pending.empty()) pending += '\n';
        pending += input;
        if (depth.waiting()) continue;

        try {
            session.run_input(
                load_source(pending, session.names()));  // an abandoned input says why
        } catch (const std::bad_alloc&) {
            write_err("Error: out of memory\n");  // reading the input; a run catches its own
        }
        pending.clear();
    }
    flush_out();
}

}  // namespace

void run_shell() {
    // Inputs may recurse deeply, like scripts; the whole loop runs on the large stack.
    run_on_large_stack([] {
        shell_loop();
        return 0;
    });
}

}  // namespace tarnel
