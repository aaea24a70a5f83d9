// The parser: tokens in, statements out.
//
// A hand-written recursive-descent parser with one token of lookahead (two where noted). It
// never reports anything: a statement that does not fit the grammar is dropped and parsing goes
// on where the attempt stopped. Every loop makes progress on every input, and nesting deeper
// than kMaxNesting drops the too-deep construct, so parsing is linear and cannot overflow the
// stack.
#pragma once

#include <vector>

#include "lexer/lexer.h"
#include "parser/parse_record.h"
#include "parser/syntax_tree.h"

namespace tarnel {

constexpr int kMaxNesting = 1000;
// Left-associative chains (a + b + ..., f()()..., a.b.c...) are built without recursion, but
// walking or freeing the tree recurses once per link; links past this height are dropped.
constexpr int kMaxTreeHeight = 10000;

// Parses statements until EOF. Names are interned into `names`.
StmtList parse_program(const std::vector<Token>& tokens, NameTable& names);

// The same statements, with `record` filled.
StmtList parse_program(const std::vector<Token>& tokens, NameTable& names, ParseRecord& record);

}  // namespace tarnel
