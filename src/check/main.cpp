// tarnel-check FILE...: prints one line per finding, "path:line:column: warning: message
// [check]". Exit status 0 when nothing is found, 1 when something is, 2 when a file cannot be
// read or the command line is wrong.
#include <string>
#include <vector>

#include "check/checker.h"
#include "support/console.h"

namespace {

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kTrouble = 2;

std::string help_text() {
    std::string text =
        "Usage: tarnel-check [--disable CHECK]... FILE...\n"
        "\n"
        "Reports what the Tarnel interpreter accepts without a word but probably does not do\n"
        "what was meant, one line per finding: FILE:LINE:COLUMN: warning: MESSAGE [CHECK].\n"
        "Exit status: 0 nothing found, 1 findings, 2 a file could not be read.\n"
        "\n"
        "Options:\n"
        "  -h, --help        show this text\n"
        "  --disable CHECK   leave out one check (may be repeated)\n"
        "\n"
        "A comment \"# tarnel-check: ignore[CHECK]\" (names separated by commas) silences those\n"
        "checks on its line. Modules named by `use` are read from the script's folder.\n"
        "\n"
        "Checks:\n";
    for (const tarnel::CheckInfo& info : tarnel::check_list()) {
        text += "  " + std::string(info.name) + std::string(20 - info.name.size(), ' ') +
                std::string(info.summary) + "\n";
    }
    return text;
}

int usage_error(const std::string& message) {
    tarnel::write_err("tarnel-check: " + message + "\nTry 'tarnel-check --help'.\n");
    return kTrouble;
}

int run(const std::vector<std::string>& arguments) {
    using namespace tarnel;
    CheckOptions options;
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            write_out(help_text());
            return kClean;
        }
        if (argument == "--disable") {
            if (i + 1 == arguments.size()) return usage_error("--disable needs a check name");
            const std::string& name = arguments[++i];
            const std::optional<CheckId> check = find_check(name);
            if (!check) return usage_error("no check named '" + name + "'");
            options.disabled.push_back(*check);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage_error("unknown option '" + argument + "'");
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.empty()) return usage_error("no files to check");
    int status = kClean;
    for (const FileReport& report : check_files(paths, options)) {
        if (report.error) {
            write_err("tarnel-check: " + report.path + ": " + *report.error + "\n");
            status = kTrouble;
            continue;
        }
        for (const Finding& finding : report.findings)
            write_out(format_finding(report.path, finding) + "\n");
        if (!report.findings.empty() && status == kClean) status = kFindings;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    tarnel::init_console();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = run(arguments);
    tarnel::flush_out();
    return status;
}
