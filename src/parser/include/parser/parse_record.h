// What a parse skipped, dropped or filled in, and where nodes lie, for tools that explain a
// script (the checker). The interpreter never asks for it. Positions are token indices.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "parser/syntax_tree.h"

namespace tarnel {

enum class ParseEventKind : uint8_t {
    Skipped,            // a token that starts nothing where it stands: [first, end)
    DroppedStatement,   // a statement that did not fit the grammar; its tokens [first, end)
    DroppedArm,         // a match arm without "=>": its pattern's tokens [first, end)
    DroppedKey,         // a dictionary key without ":"
    ElseWithoutBlock,   // an "else" not followed by "{", consumed alone
    MissingExpression,  // no expression at `first`: read as Number(0), nothing consumed
};

// Where an event happened.
enum class ParseContext : uint8_t { Statements, Arguments, Dictionary, UseItems, MatchArms };

struct ParseEvent {
    ParseEventKind kind;
    ParseContext context;
    uint32_t first;
    uint32_t end;
};

// The tokens [first, end) of a statement.
struct TokenRange {
    uint32_t first;
    uint32_t end;
};

struct ParseRecord {
    std::vector<ParseEvent> events;  // in the order the parser met them
    std::unordered_map<const Stmt*, TokenRange> statements;
    // The operator token of every BinaryOp and the name token of every Call (its "(" when the
    // callee has no name).
    std::unordered_map<const Expr*, uint32_t> expressions;
};

}  // namespace tarnel
