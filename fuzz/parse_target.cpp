// Fuzz target: source text through the lexer and the parser, then the debug forms of every
// token and of the statement list. Only valid UTF-8 goes on, as every reader of scripts
// guarantees.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lexer/lexer.h"
#include "parser/parser.h"
#include "support/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!tarnel::is_valid_utf8(text)) return -1;  // -1: not worth keeping in the corpus

    const std::vector<tarnel::Token> tokens = tarnel::tokenize(text);
    // The parser relies on exactly one Eof, at the end.
    if (tokens.empty() || tokens.back().kind != tarnel::TokenKind::Eof) std::abort();
    size_t debug_size = 0;
    for (const tarnel::Token& token : tokens) {
        if (token.kind == tarnel::TokenKind::Eof && &token != &tokens.back()) std::abort();
        debug_size += tarnel::debug_text(token).size();
    }

    tarnel::NameTable names;
    const tarnel::StmtList statements = tarnel::parse_program(tokens, names);
    debug_size += tarnel::debug_text(statements).size();
    if (debug_size == 0) std::abort();  // every token has a name, so this never happens
    return 0;
}
