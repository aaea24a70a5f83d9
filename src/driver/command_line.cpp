#include "driver/command_line.h"

namespace tarnel {

Command parse_command(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return command::Shell{};
    command::Run run;
    for (const std::string& argument : arguments) {
        if (argument == "-h") return command::Help{};
        if (argument == "-v") return command::Version{};
        if (argument == "-d") {
            run.debug = true;
        } else if (argument == "-D") {
            run.debug = true;
            run.extra_debug = true;
        } else if (run.path.empty() && !argument.starts_with('-')) {
            run.path = argument;  // may stay empty for an empty argument
        }
    }
    if (run.path.empty()) return command::Shell{};  // the shell never shows log lines
    return run;
}

std::string_view help_text() {
    return "Tarnel - A performant programming language\n"
           "\n"
           "USAGE:\n"
           "    tarnel [OPTIONS] [FILE]\n"
           "\n"
           "OPTIONS:\n"
           "    -h       Print this help message\n"
           "    -v       Print the version\n"
           "    -d       Enable debug output during execution\n"
           "    -D       Enable extra debug output during runtime\n"
           "\n"
           "ARGS:\n"
           "    FILE             Path to a .tn file to execute\n"
           "\n"
           "EXAMPLES:\n"
           "    tarnel                        Start the interactive REPL\n"
           "    tarnel script.tn              Run a Tarnel script\n"
           "    tarnel script.tn -d           Run with debug output\n";
}

std::string_view version_line() {
    return "Tarnel version " TARNEL_VERSION "\n";  // the project's version, set by CMake
}

bool has_script_extension(std::string_view path) {
    // Only the last component counts; "dir/a.tn/" ends in an empty one, which has no extension.
    size_t start = path.find_last_of("/\\");
    std::string_view name = start == std::string_view::npos ? path : path.substr(start + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    return name.substr(dot + 1) == "tn";
}

}  // namespace tarnel
