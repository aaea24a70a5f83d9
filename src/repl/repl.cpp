#include "repl/repl.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "completion.h"
#include "history_file.h"
#include "input_scan.h"
#include "interpreter/interpreter.h"
#include "line_editor.h"
#include "support/console.h"
#include "support/interrupt.h"
#include "support/utf8.h"

namespace tarnel {

namespace {

enum class ReadStatus { Text, Interrupted, End };

// Where inputs come from. At a terminal: the line editor, with Tab completion and a history
// of whole inputs kept on disk. Otherwise standard input as it is, with the prompt written to
// standard output, so piped sessions are byte for byte predictable.
class InputSource {
  public:
    InputSource(bool terminal, Session& session) {
        if (!terminal) return;
        try {
            editor_.emplace([&session](std::string_view word) {
                return completions(word, session.defined_names());
            });
        } catch (const std::exception&) {
            return;  // no editor to be had (no memory, no plugin): plain reading still works
        }
        const auto path = history_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
        if (!path) return;
        history_.emplace(*path);
        for (const std::string& entry : history_->load())
            editor_->add_history(entry);
    }

    // Shows `prompt` and reads one line, or at a terminal one entry, which may be a recalled
    // multi-line input.
    ReadStatus read(const char* prompt, std::string& text) {
        if (editor_) {
            flush_out();
            clear_interrupt();  // a Ctrl-C that no run saw is forgotten
            switch (editor_->read(prompt, text)) {
                case LineEditor::Status::Line:
                    return ReadStatus::Text;
                case LineEditor::Status::Interrupted:
                    return ReadStatus::Interrupted;
                case LineEditor::Status::End:
                    write_out("\n");  // the terminal's next prompt on a line of its own
                    return ReadStatus::End;
            }
        }
        write_out(prompt);
        flush_out();
        return read_line(text) ? ReadStatus::Text : ReadStatus::End;
    }

    // A complete input, as one history entry (a repeat of the last entry is not kept twice).
    void remember(const std::string& input) {
        if (!editor_ || input == last_) return;
        editor_->add_history(input);
        if (history_) history_->append(input);
        last_ = input;
    }

  private:
    std::optional<LineEditor> editor_;
    std::optional<HistoryFile> history_;
    std::string last_;
};

void run_input(Session& session, const std::string& input) {
    try {
        session.run_input(load_source(input, session.names()));  // an abandoned input says why
    } catch (const std::bad_alloc&) {
        write_err("Error: out of memory\n");  // reading the input; a run catches its own
    }
}

void shell_loop(bool terminal) {
    write_out("Welcome to Tarnel Interactive REPL!\n");
    write_out("Type 'exit' to quit.\n");
    write_out("\n");
    RunLimits limits;
    if (terminal) limits.interrupt = interrupt_flag();
    Session session(std::make_shared<NameTable>(), limits);
    InputSource source(terminal, session);
    BracketDepth depth;
    std::string pending;
    std::string text;
    for (;;) {
        const ReadStatus status = source.read(depth.balanced() ? ">>> " : "... ", text);
        if (status == ReadStatus::Interrupted) {
            // Ctrl-C at the prompt drops the unfinished input and starts afresh.
            write_out("\n");
            pending.clear();
            depth.reset();
            continue;
        }
        if (status == ReadStatus::End || !is_valid_utf8(text)) break;

        // One line, or the lines of a recalled input, taken together.
        bool added = false;
        std::string_view rest = text;
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            std::string_view input = trim_white_space(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (input.empty()) continue;
            if (input == "exit" || input == "quit") {
                write_out("Goodbye!\n");
                flush_out();
                return;
            }
            depth.scan(input);
            if (!pending.empty()) pending += '\n';
            pending += input;
            added = true;
        }
        if (!added || depth.waiting()) continue;

        source.remember(pending);
        run_input(session, pending);
        pending.clear();
    }
    flush_out();
}

}  // namespace

void run_shell() {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    std::optional<InterruptCatcher> catcher;
    std::optional<SigintMask> waiting_thread;
    if (terminal) {
        // Typed text in the terminal's encoding; every other category (numbers) stays "C".
        std::setlocale(LC_CTYPE, "");
        catcher.emplace();
        // Ctrl-C has to cut short the shell thread's reads and waits, so only it takes SIGINT.
        waiting_thread.emplace(SigintMask::Mode::Block);
    }
    // Inputs may recurse deeply, like scripts; the whole loop runs on the large stack.
    run_on_large_stack([terminal] {
        std::optional<SigintMask> shell_thread;
        if (terminal) shell_thread.emplace(SigintMask::Mode::Unblock);
        shell_loop(terminal);
        return 0;
    });
}

}  // namespace tarnel
