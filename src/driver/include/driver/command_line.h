// The command line: `tarnel [OPTIONS] [FILE]`.
//
// Options are matched exactly; -h and -v end the scan, -d and -D may come anywhere, and only
// the first argument that looks like a file counts. Nothing here touches the file system.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnel {

namespace command {
struct Help {
    bool operator==(const Help&) const = default;
};
struct Version {
    bool operator==(const Version&) const = default;
};
struct Shell {
    bool operator==(const Shell&) const = default;
};
struct Run {
    std::string path;
    bool debug = false;        // the driver's own log lines
    bool extra_debug = false;  // the interpreter's trace lines as well
    bool operator==(const Run&) const = default;
};
}  // namespace command

using Command = std::variant<command::Help, command::Version, command::Shell, command::Run>;

// `arguments` excludes the program name. Arguments are byte strings; they need not be UTF-8.
Command parse_command(const std::vector<std::string>& arguments);

std::string_view help_text();
std::string_view version_line();

// True when the last component of `path` (after the last '/' or '\') has the extension "tn",
// compared byte for byte. A leading full stop does not start an extension.
bool has_script_extension(std::string_view path);

}  // namespace tarnel
