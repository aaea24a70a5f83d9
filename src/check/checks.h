// The checks, grouped by what they read. Each reports through the sink, which drops what is
// disabled or silenced.
#pragma once

#include "finding_sink.h"
#include "program_index.h"
#include "source_file.h"

namespace tarnel {

struct CheckContext {
    const SourceFile& file;
    const ProgramIndex& index;
};

// dropped-character, double-slash: from the lexer's record.
void check_characters(const CheckContext& context, FindingSink& sink);
// skipped-code, missing-expression, index-assignment, else-if: from the parser's record.
void check_parse_events(const CheckContext& context, FindingSink& sink);
// unknown-function, argument-count.
void check_calls(const CheckContext& context, FindingSink& sink);
// never-runs, runs-twice: the top level of a script with and without main.
void check_top_level(const CheckContext& context, FindingSink& sink);
// null-comparison, mixed-numbers.
void check_operators(const CheckContext& context, FindingSink& sink);

// The name one edit (insertion, deletion, replacement or swap of neighbours) away from `name`,
// the first in order if several are; nothing if none is.
std::optional<std::string> one_edit_away(std::string_view name,
                                         const std::vector<std::string>& candidates);

}  // namespace tarnel
