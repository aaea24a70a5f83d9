// The parser's entry point, the program loop and the skipping of too-deep groups.
#include "parser/parser.h"

#include "parser_internal.h"

namespace tarnel {

namespace detail {

// program: { statement } EOF
StmtList Parser::parse_program() {
    StmtList statements;
    while (!at_end())
        statement_step(statements);
    return statements;
}

// statement_step: statement | any token (skipped when it starts nothing)
void Parser::statement_step(StmtList& statements) {
    const size_t start = pos_;
    StmtPtr statement = parse_statement();
    if (pos_ == start) {
        note_skip(ParseContext::Statements);
        advance();
        return;
    }
    if (!statement) {
        note(ParseEventKind::DroppedStatement, ParseContext::Statements, start, pos_);
        return;
    }
    note_statement(*statement, start);
    statements.push_back(std::move(statement));
}

void Parser::skip_group_body() {
    size_t open = 0;
    while (!at_end()) {
        switch (kind()) {
            case TokenKind::LParen:
            case TokenKind::LBracket:
            case TokenKind::LBrace:
                ++open;
                break;
            case TokenKind::RParen:
            case TokenKind::RBracket:
            case TokenKind::RBrace:
                if (open == 0) return;
                --open;
                break;
            default:
                break;
        }
        advance();
    }
}

void Parser::skip_group_rest() {
    skip_group_body();
    if (!at_end()) advance();
}

}  // namespace detail

StmtList parse_program(const std::vector<Token>& tokens, NameTable& names) {
    return detail::Parser(tokens, names).parse_program();
}

StmtList parse_program(const std::vector<Token>& tokens, NameTable& names, ParseRecord& record) {
    return detail::Parser(tokens, names, &record).parse_program();
}

}  // namespace tarnel
