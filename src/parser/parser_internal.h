// The parser object shared by the statement and expression halves (internal header).
//
// Depth and height. Two limits keep parsing linear and the tree shallow:
// - `depth_` counts the open recursive constructs (a bracket, brace, block, prefix operator
//   or operator's right operand being parsed). Past kMaxNesting the construct is dropped: a
//   bracket's or brace's tokens up to the matching close are skipped and it yields Number(0)
//   (an expression) or nothing (a block); prefix operators and right operands are consumed
//   and dropped. Every stack frame on a recursion path is small (the bulky cases are out of
//   line), so 1000 levels take well under 1 MB of stack in a Release build.
// - Each expression is returned with its height. A left-associative chain (binary operators,
//   call/index/member suffixes) that would make a tree higher than kMaxTreeHeight drops the
//   extra link (its tokens are consumed, the result is the operand so far), and so does a
//   prefix operator past kMaxNesting, so destroying or walking a tree never recurses deeper
//   than about kMaxTreeHeight + 2 * kMaxNesting.
#pragma once

#include <vector>

#include "parser/parser.h"

namespace tarnel::detail {

// An expression and the height of its tree (a leaf is 1).
struct Parsed {
    ExprPtr expr;
    int height = 1;
};

class Parser {
  public:
    Parser(const std::vector<Token>& tokens, NameTable& names, ParseRecord* record = nullptr)
        : tokens_(tokens), names_(names), record_(record) {}

    StmtList parse_program();

  private:
    // ---- Tokens -------------------------------------------------------------------------
    const Token& current() const { return pos_ < tokens_.size() ? tokens_[pos_] : eof_; }
    TokenKind kind() const { return pos_ < tokens_.size() ? tokens_[pos_].kind : TokenKind::Eof; }
    TokenKind peek_kind() const {
        return pos_ + 1 < tokens_.size() ? tokens_[pos_ + 1].kind : TokenKind::Eof;
    }
    bool at_end() const { return kind() == TokenKind::Eof; }
    void advance() { ++pos_; }
    bool expect(TokenKind k) {
        if (kind() != k) return false;
        ++pos_;
        return true;
    }
    void optional_semicolon() { expect(TokenKind::Semicolon); }

    // ---- The record, when one was asked for -----------------------------------------------
    void note(ParseEventKind kind, ParseContext context, size_t first, size_t end) {
        if (record_) {
            record_->events.push_back(
                {kind, context, static_cast<uint32_t>(first), static_cast<uint32_t>(end)});
        }
    }
    void note_skip(ParseContext context) { note(ParseEventKind::Skipped, context, pos_, pos_ + 1); }
    // Nodes are keyed by address; a dropped node's entry is overwritten by any later node that
    // reuses its memory.
    void note_statement(const Stmt& statement, size_t first) {
        if (record_) {
            record_->statements[&statement] = {static_cast<uint32_t>(first),
                                               static_cast<uint32_t>(pos_)};
        }
    }
    void note_expression(const Expr& expression, size_t token) {
        if (record_) record_->expressions[&expression] = static_cast<uint32_t>(token);
    }
    // One turn of the statement loop of programs and blocks: a statement, or a token that
    // starts nothing (a stray ")" or "=", say) skipped.
    void statement_step(StmtList& statements);

    // ---- Nesting ------------------------------------------------------------------------
    struct DepthGuard {
        explicit DepthGuard(Parser& p) : parser(p) { ++parser.depth_; }
        ~DepthGuard() { --parser.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        Parser& parser;
    };
    bool too_deep() const { return depth_ > kMaxNesting; }
    // Skips the rest of a group whose opener is already consumed, stopping before the
    // matching close (any of ")", "]", "}") or at the end.
    void skip_group_body();
    // The same, then consumes the matching close if present.
    void skip_group_rest();

    // ---- Statements (parse_statement.cpp) ------------------------------------------------
    StmtPtr parse_statement();
    StmtList parse_block();
    StmtPtr parse_let();
    StmtPtr parse_def();
    StmtPtr parse_return();
    StmtPtr parse_if();
    StmtPtr parse_while();
    StmtPtr parse_for();
    StmtPtr parse_match();
    bool parse_match_arm(std::vector<MatchArm>& arms);
    StmtPtr parse_try();
    StmtPtr parse_global();
    StmtPtr parse_use();
    StmtPtr parse_assign();
    StmtPtr parse_compound_assign();
    StmtPtr parse_expression_statement();
    // A name token's text and symbol; the current token must be an Identifier.
    [[gnu::noinline]] std::pair<std::string, Symbol> take_name();

    // ---- Expressions (parse_expression.cpp) ----------------------------------------------
  public:
    Parsed parse_expression();

  private:
    static constexpr int kOrLevel = 1;
    static constexpr int kRangeLevel = 5;
    static constexpr int kPowerLevel = 8;
    // The level (1 to 8) of the two-operand operator at the current token, or 0.
    int binary_level() const;
    Parsed parse_binary(int min_level);
    Parsed parse_unary();
    [[gnu::noinline]] Parsed parse_prefix_operator(TokenKind op);
    [[gnu::noinline]] Parsed make_unary(TokenKind op, Parsed operand);
    Parsed parse_postfix();
    [[gnu::noinline]] void parse_call_suffix(Parsed& expr);
    [[gnu::noinline]] void parse_index_suffix(Parsed& expr);
    [[gnu::noinline]] void parse_member_suffix(Parsed& expr);
    Parsed parse_primary();
    [[gnu::noinline]] Parsed literal();
    [[gnu::noinline]] Parsed missing_expression();
    [[gnu::noinline]] Parsed parse_group();
    [[gnu::noinline]] Parsed parse_array();
    [[gnu::noinline]] Parsed parse_dict();
    // Elements up to ")", "]", "}" or the end; `height` receives the highest element.
    std::vector<ExprPtr> parse_arguments(int& height);
    // Appends `op right` to the chain `left`, unless the result would be too high.
    void extend_chain(Parsed& left, TokenKind op, size_t op_pos, Parsed right);
    [[gnu::noinline]] Parsed make_call(Parsed callee, std::vector<ExprPtr> args, int args_height,
                                       size_t name_pos);
    [[gnu::noinline]] Parsed identifier();

    const std::vector<Token>& tokens_;
    NameTable& names_;
    ParseRecord* record_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool halted_ = false;  // a second ".." ended the current expression
    uint32_t next_call_id_ = 0;
    uint32_t next_function_id_ = 0;
    const Token eof_ = Token::of(TokenKind::Eof);
};

}  // namespace tarnel::detail
