// Fuzz target: source text through the lexer and the parser, then the debug forms of every
// token and of the statement list; then once more with the side records the checker asks for,
// which must leave tokens and tree alike and point only inside the text and the token list.
// Only valid UTF-8 goes on, as every reader of scripts guarantees.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

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

    tarnel::LexRecord lex;
    const std::vector<tarnel::Token> recorded_tokens = tarnel::tokenize(text, lex);
    if (recorded_tokens != tokens || lex.tokens.size() != tokens.size()) std::abort();
    uint32_t previous_end = 0;
    for (const tarnel::SourceSpan& span : lex.tokens) {
        if (span.begin < previous_end || span.end < span.begin || span.end > size) std::abort();
        previous_end = span.end;
    }
    tarnel::NameTable recorded_names;
    tarnel::ParseRecord parse;
    const tarnel::StmtList recorded = tarnel::parse_program(tokens, recorded_names, parse);
    if (tarnel::debug_text(recorded) != tarnel::debug_text(statements)) std::abort();
    for (const tarnel::ParseEvent& event : parse.events) {
        if (event.end < event.first || event.end > tokens.size()) std::abort();
    }
    return 0;
}
