#include "driver/script_runner.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "interpreter/interpreter.h"
#include "support/console.h"
#include "support/text_file.h"

namespace tarnel {

namespace {

constexpr std::string_view kTag = "TARNEL";

std::string separator() {
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "\u2500";
    return line;
}

using Clock = std::chrono::steady_clock;

double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

std::string format_milliseconds(double milliseconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3fms", milliseconds);
    return text;
}

int run_script(const command::Run& run) {
    auto log = [&](std::string_view message) {
        if (run.debug) log_line(kTag, message);
    };
    const std::string rule = separator();
    log(rule);
    log("Starting Tarnel interpreter...");

    if (!has_script_extension(run.path)) {
        write_err("Error: Only .tn files are allowed.\n");
        return 1;
    }
    std::string error;
    std::optional<std::string> source = read_text_file(run.path, FileRule::AnyReadable, error);
    if (!source) {
        write_err("Error: Failed to read the file: " + error + "\n");
        return 1;
    }
    log("File read successfully (" + std::to_string(source->size()) + " bytes)");

    auto names = std::make_shared<NameTable>();
    LoadTimes times;
    std::shared_ptr<const Unit> program = load_source(*source, *names, &times);
    log("Tokenization completed in " + format_milliseconds(times.tokenize_ms));
    log("Parsing completed in " + format_milliseconds(times.parse_ms));

    log("Starting execution...");
    log(rule);
    const auto start = Clock::now();
    // Deeply recursive scripts need far more native stack than the main thread has.
    const int status =
        run_on_large_stack([&] { return run_program(std::move(program), run.extra_debug, names); });
    const double execute_ms = milliseconds_since(start);

    log(rule);
    log("Tokenization : " + format_milliseconds(times.tokenize_ms));
    log("Parsing      : " + format_milliseconds(times.parse_ms));
    log("Execution    : " + format_milliseconds(execute_ms));
    log(rule);
    return status;
}

}  // namespace tarnel
