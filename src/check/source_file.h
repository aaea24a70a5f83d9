// One script or module as the checker sees it: its text, tokens and tree, with the lexer's and
// parser's side records, and the mapping from byte offsets to lines and columns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.h"
#include "parser/parser.h"

namespace tarnel {

struct SourcePosition {
    uint32_t line = 0;
    uint32_t column = 0;
};

struct SourceFile {
    std::string path;
    std::string text;
    std::vector<Token> tokens;
    LexRecord lex;
    NameTable names;
    ParseRecord parse;
    StmtList statements;
    std::vector<uint32_t> line_starts;  // byte offset of each line's first character

    // Line counted by line feeds, column in code points, both from 1.
    SourcePosition position_at(uint32_t offset) const;
    SourcePosition token_position(size_t token) const;
    // The source text of the tokens [first, end), comments and spacing included.
    std::string_view token_text(size_t first, size_t end) const;
    TokenKind kind_at(size_t token) const {
        return token < tokens.size() ? tokens[token].kind : TokenKind::Eof;
    }
    // True when the two tokens touch, with nothing between them.
    bool adjacent(size_t first, size_t second) const {
        return lex.tokens[first].end == lex.tokens[second].begin;
    }
};

// Reads, lexes and parses a file. Nothing, with `error` set, when it cannot be read as UTF-8
// text.
std::unique_ptr<SourceFile> load_source_file(const std::string& path, std::string& error);

// A short quotation of source text for a message: spacing collapsed, cut after 40 characters.
std::string quote_source(std::string_view text);

}  // namespace tarnel
