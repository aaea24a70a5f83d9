// tarnel-check: a static checker for what the language swallows silently.
//
// The interpreter never complains: the lexer drops stray characters, the parser drops what it
// cannot read and misuse yields null. The checker reads scripts with the same lexer and
// parser, asking both for their side records (positions, skipped and dropped tokens), and
// reports each silent surprise as a finding with its line and column.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// Every check: X(Enumerator, "name", "what it reports").
// clang-format off
#define TARNEL_CHECK_LIST(X)                                                                     \
    X(DroppedCharacter, "dropped-character",                                                    \
      "characters that start no token, which the lexer ignores")                                \
    X(SkippedCode, "skipped-code",                                                              \
      "tokens and statements the parser skips or drops (stray tokens, incomplete statements, " \
      "quoted or colon-less dictionary keys, match arms without =>, else without {)")           \
    X(MissingExpression, "missing-expression",                                                  \
      "an expression expected but absent, read as 0 (also a leading +)")                       \
    X(IndexAssignment, "index-assignment",                                                      \
      "a[i] = v and d.key = v, which assign nothing")                                           \
    X(ElseIf, "else-if",                                                                        \
      "else if, which does not chain: the second if is a separate statement")                   \
    X(UnknownFunction, "unknown-function",                                                      \
      "a call of a name that no builtin, module, definition or variable provides")              \
    X(ArgumentCount, "argument-count",                                                          \
      "too few arguments for a builtin or sdl2 function; a call of a function defined in the " \
      "file with another number of arguments than it has parameters")                          \
    X(NeverRuns, "never-runs",                                                                  \
      "in a script with main: top-level statements other than let and def (use included)")     \
    X(RunsTwice, "runs-twice",                                                                  \
      "in a script without main: a top-level let whose initializer has an effect, which runs " \
      "twice")                                                                                  \
    X(NullComparison, "null-comparison",                                                        \
      "== null and != null, which give null")                                                   \
    X(MixedNumbers, "mixed-numbers",                                                            \
      "arithmetic or comparison of an integer literal with a float literal, which gives null")  \
    X(DoubleSlash, "double-slash",                                                              \
      "// where a comment was probably meant: it divides twice")
// clang-format on

enum class CheckId : uint8_t {
#define TARNEL_CHECK_ENUM(id, name, summary) id,
    TARNEL_CHECK_LIST(TARNEL_CHECK_ENUM)
#undef TARNEL_CHECK_ENUM
};

struct CheckInfo {
    CheckId id;
    std::string_view name;
    std::string_view summary;
};
std::span<const CheckInfo> check_list();
std::string_view check_name(CheckId id);
std::optional<CheckId> find_check(std::string_view name);

struct Finding {
    uint32_t line = 0;    // 1-based, counted by line feeds
    uint32_t column = 0;  // 1-based, in code points
    CheckId check = CheckId::DroppedCharacter;
    std::string message;
};

struct FileReport {
    std::string path;
    std::optional<std::string> error;  // why the file could not be read
    std::vector<Finding> findings;     // sorted by position
};

struct CheckOptions {
    std::vector<CheckId> disabled;
};

// Checks each file as a script. Functions and variables are pooled over all the files and the
// modules they use (read from each file's folder). Findings silenced by a comment
// "# tarnel-check: ignore[name]" on their line, or disabled, are left out.
std::vector<FileReport> check_files(const std::vector<std::string>& paths,
                                    const CheckOptions& options);

// "path:line:column: warning: message [name]"
std::string format_finding(std::string_view path, const Finding& finding);

}  // namespace tarnel
