// Statements and blocks. A statement that fails returns null; the position stays where the
// failing test left it, and the caller goes on from there.
#include "parser_internal.h"

namespace tarnel::detail {

namespace {
using K = TokenKind;
}  // namespace

std::pair<std::string, Symbol> Parser::take_name() {
    std::string text = current().text;
    const Symbol symbol = names_.intern(text);
    advance();
    return {std::move(text), symbol};
}

// block: { statement }   (up to '}' or EOF; the '}' is left to the caller)
StmtList Parser::parse_block() {
    DepthGuard guard(*this);
    StmtList statements;
    if (too_deep()) {
        skip_group_body();  // dropped: everything up to the block's closing brace
        return statements;
    }
    while (kind() != K::RBrace && !at_end())
        statement_step(statements);
    return statements;
}

// statement: let_stmt | def_stmt | return_stmt | if_stmt | while_stmt | for_stmt | break_stmt
//          | continue_stmt | match_stmt | try_stmt | global_stmt | use_stmt | assign_stmt
//          | compound_assign_stmt | expression_stmt
StmtPtr Parser::parse_statement() {
    switch (kind()) {
        case K::Let:
            return parse_let();
        case K::Def:
            return parse_def();
        case K::Return:
            return parse_return();
        case K::If:
            return parse_if();
        case K::While:
            return parse_while();
        case K::For:
            return parse_for();
        case K::Break:
            advance();
            optional_semicolon();
            return std::make_unique<BreakStmt>();
        case K::Continue:
            advance();
            optional_semicolon();
            return std::make_unique<ContinueStmt>();
        case K::Match:
            return parse_match();
        case K::Try:
            return parse_try();
        case K::Global:
            return parse_global();
        case K::Use:
            return parse_use();
        case K::Identifier:
            switch (peek_kind()) {
                case K::Assign:
                    return parse_assign();
                case K::PlusAssign:
                case K::MinusAssign:
                case K::StarAssign:
                case K::SlashAssign:
                    return parse_compound_assign();
                default:
                    return parse_expression_statement();
            }
        default:
            return parse_expression_statement();
    }
}

// let_stmt: 'let' NAME '=' expression [';']
StmtPtr Parser::parse_let() {
    advance();
    if (kind() != K::Identifier) return nullptr;
    auto [name, symbol] = take_name();
    if (!expect(K::Assign)) return nullptr;
    Parsed value = parse_expression();
    optional_semicolon();
    return std::make_unique<AssignStmt>(StmtKind::Let, std::move(name), symbol,
                                        std::move(value.expr));
}

// def_stmt: 'def' NAME '(' { NAME [','] } ')' '{' block '}'
StmtPtr Parser::parse_def() {
    advance();
    if (kind() != K::Identifier) return nullptr;
    auto [name, symbol] = take_name();
    if (!expect(K::LParen)) return nullptr;
    std::vector<std::string> params;
    while (kind() == K::Identifier) {
        params.push_back(take_name().first);
        expect(K::Comma);
    }
    if (!expect(K::RParen)) return nullptr;
    if (!expect(K::LBrace)) return nullptr;
    StmtList body = parse_block();
    expect(K::RBrace);
    return std::make_unique<FunctionStmt>(std::move(name), symbol, std::move(params),
                                          std::move(body), next_function_id_++);
}

// return_stmt: 'return' [expression] [';']   (no value before '}', ';' or EOF)
StmtPtr Parser::parse_return() {
    advance();
    ExprPtr value;
    const K k = kind();
    if (k != K::RBrace && k != K::Semicolon && k != K::Eof) value = parse_expression().expr;
    optional_semicolon();
    return std::make_unique<ReturnStmt>(std::move(value));
}

// if_stmt: 'if' expression '{' block '}' [ 'else' [ '{' block '}' ] ]
StmtPtr Parser::parse_if() {
    advance();
    Parsed condition = parse_expression();
    if (!expect(K::LBrace)) return nullptr;
    StmtList then_body = parse_block();
    expect(K::RBrace);
    std::optional<StmtList> else_body;
    if (expect(K::Else)) {
        if (expect(K::LBrace)) {
            else_body = parse_block();
            expect(K::RBrace);
        } else {
            note(ParseEventKind::ElseWithoutBlock, ParseContext::Statements, pos_ - 1, pos_);
        }
    }
    return std::make_unique<IfStmt>(std::move(condition.expr), std::move(then_body),
                                    std::move(else_body));
}

// while_stmt: 'while' expression '{' block '}'
StmtPtr Parser::parse_while() {
    advance();
    Parsed condition = parse_expression();
    if (!expect(K::LBrace)) return nullptr;
    StmtList body = parse_block();
    expect(K::RBrace);
    return std::make_unique<WhileStmt>(std::move(condition.expr), std::move(body));
}

// for_stmt: 'for' NAME 'in' expression '{' block '}'
StmtPtr Parser::parse_for() {
    advance();
    if (kind() != K::Identifier) return nullptr;
    auto [var, symbol] = take_name();
    if (!expect(K::In)) return nullptr;
    Parsed iter = parse_expression();
    if (!expect(K::LBrace)) return nullptr;
    StmtList body = parse_block();
    expect(K::RBrace);
    return std::make_unique<ForStmt>(std::move(var), symbol, std::move(iter.expr), std::move(body));
}

// match_stmt: 'match' expression '{' { match_arm } '}'
StmtPtr Parser::parse_match() {
    advance();
    Parsed subject = parse_expression();
    if (!expect(K::LBrace)) return nullptr;
    std::vector<MatchArm> arms;
    while (kind() != K::RBrace && !at_end()) {
        const size_t start = pos_;
        if (parse_match_arm(arms)) continue;
        if (pos_ == start) {
            note_skip(ParseContext::MatchArms);
            advance();  // e.g. a "," between arms
        } else {
            note(ParseEventKind::DroppedArm, ParseContext::MatchArms, start, pos_);
        }
    }
    expect(K::RBrace);
    return std::make_unique<MatchStmt>(std::move(subject.expr), std::move(arms));
}

// match_arm: ('_' | expression) '=>' ('{' block '}' | expression) [';']
bool Parser::parse_match_arm(std::vector<MatchArm>& arms) {
    MatchArm arm;
    if (kind() == K::Identifier && current().text == "_") {
        arm.pattern.kind = PatternKind::Wildcard;
        advance();
    } else {
        arm.pattern.kind = PatternKind::Value;
        arm.pattern.value = parse_expression().expr;
    }
    if (!expect(K::FatArrow)) return false;  // the pattern is dropped
    if (expect(K::LBrace)) {
        arm.body = parse_block();
        expect(K::RBrace);
    } else {
        const size_t start = pos_;
        arm.body.push_back(std::make_unique<ExprStmt>(parse_expression().expr));
        note_statement(*arm.body.back(), start);
    }
    optional_semicolon();
    arms.push_back(std::move(arm));
    return true;
}

// try_stmt: 'try' '{' block '}' 'catch' NAME '{' block '}'
StmtPtr Parser::parse_try() {
    advance();
    if (!expect(K::LBrace)) return nullptr;
    StmtList body = parse_block();
    expect(K::RBrace);
    if (!expect(K::Catch)) return nullptr;
    if (kind() != K::Identifier) return nullptr;
    auto [var, symbol] = take_name();
    if (!expect(K::LBrace)) return nullptr;
    StmtList catch_body = parse_block();
    expect(K::RBrace);
    return std::make_unique<TryStmt>(std::move(body), std::move(var), symbol,
                                     std::move(catch_body));
}

// global_stmt: 'global' NAME [';']
StmtPtr Parser::parse_global() {
    advance();
    if (kind() != K::Identifier) return nullptr;
    auto [name, symbol] = take_name();
    optional_semicolon();
    return std::make_unique<GlobalStmt>(std::move(name), symbol);
}

// use_stmt: 'use' NAME ( '{' { NAME [','] } '}' [';'] | ';' | 'as' [NAME] [';'] | )
StmtPtr Parser::parse_use() {
    advance();
    if (kind() != K::Identifier) return nullptr;
    std::string module = current().text;
    advance();
    std::optional<std::string> alias;
    std::optional<std::vector<std::string>> items;
    switch (kind()) {
        case K::LBrace:
            advance();
            items.emplace();
            while (kind() != K::RBrace && !at_end()) {
                if (kind() == K::Identifier) {
                    items->push_back(current().text);
                    advance();
                    expect(K::Comma);
                } else {
                    note_skip(ParseContext::UseItems);
                    advance();  // not a name: skipped
                }
            }
            expect(K::RBrace);
            optional_semicolon();
            break;
        case K::Semicolon:
            advance();
            break;
        case K::As:
            advance();
            if (kind() == K::Identifier) {
                alias = current().text;
                advance();
            }
            optional_semicolon();
            break;
        default:
            break;
    }
    return std::make_unique<UseStmt>(std::move(module), std::move(alias), std::move(items));
}

// assign_stmt: NAME '=' expression [';']
StmtPtr Parser::parse_assign() {
    auto [name, symbol] = take_name();
    advance();  // '='
    Parsed value = parse_expression();
    optional_semicolon();
    return std::make_unique<AssignStmt>(StmtKind::Assign, std::move(name), symbol,
                                        std::move(value.expr));
}

// compound_assign_stmt: NAME ('+=' | '-=' | '*=' | '/=') expression [';']
StmtPtr Parser::parse_compound_assign() {
    auto [name, symbol] = take_name();
    const BinaryOperator op = *compound_operator_of(kind());  // the caller saw one of the four
    advance();
    Parsed value = parse_expression();
    optional_semicolon();
    return std::make_unique<CompoundAssignStmt>(std::move(name), symbol, op, std::move(value.expr));
}

// expression_stmt: expression [';']
StmtPtr Parser::parse_expression_statement() {
    Parsed expr = parse_expression();
    optional_semicolon();
    return std::make_unique<ExprStmt>(std::move(expr.expr));
}

}  // namespace tarnel::detail
