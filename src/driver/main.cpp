// Program entry: parse the command line and hand over to the help text, the version line,
// the shell or the script runner.
#include <new>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "driver/command_line.h"
#include "driver/script_runner.h"
#include "repl/repl.h"
#include "support/console.h"

namespace {

int run(const std::vector<std::string>& arguments) {
    using namespace tarnel;
    return std::visit(
        [](const auto& command) -> int {
            using Kind = std::decay_t<decltype(command)>;
            if constexpr (std::is_same_v<Kind, command::Help>) {
                write_out(help_text());
            } else if constexpr (std::is_same_v<Kind, command::Version>) {
                write_out(version_line());
            } else if constexpr (std::is_same_v<Kind, command::Shell>) {
                run_shell();
            } else {
                return run_script(command);
            }
            return 0;
        },
        parse_command(arguments));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarnel;
    init_console();
    int status = 1;
    try {
        // Arguments stay byte strings: a path need not be valid text.
        std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
        status = run(arguments);
    } catch (const std::bad_alloc&) {
        // Outside a run (reading or parsing a huge script); a run catches its own.
        write_err("Error: out of memory\n");
    }
    flush_out();
    return status;
}
