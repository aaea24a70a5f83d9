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
#define TARNEL_CHECK_LIST(X)                                                                       \
    X(DroppedCharacter, "dropped-character",                                                       \
      "characters that start no token (the lexer ignores them)")                                   \
    X(SkippedCode, "skipped-code",                                                                 \
      "tokens and statements the parser skips or drops")                                           \
    X(MissingExpression, "missing-expression",                                                     \
      "a missing expression, read as 0 (also a leading +)")                                        \
    X(IndexAssignment, "index-assignment",                                                         \
      "a[i] = v and d.key = v, which assign nothing")                                              \
    X(ElseIf, "else-if",                                                                           \
      "else if, which does not chain")                                                             \
    X(UnknownFunction, "unknown-function",                                                         \
      "calls of names nothing provides (they give null)")                                          \
    X(ArgumentCount, "argument-count",                                                             \
      "too few builtin arguments; a def called with a wrong count")                                \
    X(NeverRuns, "never-runs",                                                                     \
      "with main: top-level statements other than let and def")                                    \
    X(RunsTwice, "runs-twice",                                                                     \
      "without main: a top-level let with effects runs twice")                                     \
    X(NullComparison, "null-comparison",                                                           \
      "== null and != null, which give null")                                                      \
    X(MixedNumbers, "mixed-numbers",                                                               \
      "an integer literal mixed with a float literal: null")                                       \
    X(DoubleSlash, "double-slash",                                                                 \
      "// meant as a comment: it divides twice")
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
