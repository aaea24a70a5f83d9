// Program entry: parse the command line and hand over to the help text, the version line,
// the shell or the script runner.
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "command_line.h"
#include "repl/repl.h"
#include "script_runner.h"
#include "support/console.h"

int main(int argc, char** argv) {
    using namespace tarnel;
    init_console();
    // Arguments stay byte strings: a path need not be valid text.
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = std::visit(
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
    flush_out();
    return status;
}
