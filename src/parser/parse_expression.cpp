// Expressions: ten precedence levels, loosest first, then postfix suffixes and primaries.
#include <algorithm>

#include "parser_internal.h"

namespace tarnel::detail {

namespace {

using K = TokenKind;

Parsed zero() {
    return {std::make_unique<NumberExpr>(0), 1};
}

}  // namespace

// Appends `op right` to a left-associative chain: left = BinaryOp{left, op, right}.
void Parser::extend_chain(Parsed& left, TokenKind op, size_t op_pos, Parsed right) {
    const int height = std::max(left.height, right.height) + 1;
    if (height > kMaxTreeHeight) return;  // too high: the link is dropped (tokens consumed)
    left.expr = std::make_unique<BinaryOpExpr>(std::move(left.expr), *binary_operator_of(op),
                                               std::move(right.expr));
    left.height = height;
    note_expression(*left.expr, op_pos);
}

// expression: or_expr
Parsed Parser::parse_expression() {
    Parsed result = parse_binary(kOrLevel);
    halted_ = false;  // a halt ends only the expression it was met in
    return result;
}

// The eight two-operand levels, loosest first, each parsing its operands with the next one:
//   or_expr:        and_expr { 'or' and_expr }
//   and_expr:       equality { 'and' equality }
//   equality:       comparison { ('==' | '!=') comparison }
//   comparison:     range { ('<' | '>' | '<=' | '>=') range }
//   range:          additive [ '.' '.' additive ]
//   additive:       multiplicative { ('+' | '-') multiplicative }
//   multiplicative: power { ('*' | '/' | '%') power }
//   power:          unary { '**' unary }
// They are parsed by precedence climbing, which builds the same left-associative trees with
// one stack frame per operator actually present instead of one per level.
int Parser::binary_level() const {
    switch (kind()) {
        case K::Or:
            return kOrLevel;
        case K::And:
            return 2;
        case K::Equal:
        case K::NotEqual:
            return 3;
        case K::Less:
        case K::Greater:
        case K::LessEqual:
        case K::GreaterEqual:
            return 4;
        case K::Dot:
            return peek_kind() == K::Dot ? kRangeLevel : 0;
        case K::Plus:
        case K::Minus:
            return 6;
        case K::Star:
        case K::Slash:
        case K::Percent:
            return 7;
        case K::Power:
            return kPowerLevel;
        default:
            return 0;
    }
}

// binary(n): unary { op(k) binary(k + 1) }   for every operator whose level k >= n
Parsed Parser::parse_binary(int min_level) {
    Parsed left = parse_unary();
    // Set once this loop has applied a range or a looser operator: the range level takes at
    // most one "..", and a second one ends the whole expression.
    bool range_closed = false;
    while (!halted_) {
        const int level = binary_level();
        if (level == 0 || level < min_level) break;
        const K op = kind();
        const size_t op_pos = pos_;
        if (level == kRangeLevel && range_closed) {
            halted_ = true;
            break;
        }
        advance();
        if (level == kRangeLevel) advance();
        if (level <= kRangeLevel) range_closed = true;
        DepthGuard guard(*this);
        if (too_deep()) {
            parse_unary();  // dropped, like every further operator of this chain
            continue;
        }
        Parsed right = parse_binary(level + 1);
        if (level == kRangeLevel) {
            const int height = std::max(left.height, right.height) + 1;
            if (height > kMaxTreeHeight) continue;
            left.expr = std::make_unique<RangeExpr>(std::move(left.expr), std::move(right.expr));
            left.height = height;
        } else {
            extend_chain(left, op, op_pos, std::move(right));
        }
    }
    return left;
}

// unary: ('not' | '!' | '-') unary | postfix
Parsed Parser::parse_unary() {
    const K op = kind();
    if (op != K::Not && op != K::Minus) return parse_postfix();
    return parse_prefix_operator(op);
}

// (the prefix-operator case of unary, out of line to keep the frames on the recursion small)
Parsed Parser::parse_prefix_operator(TokenKind op) {
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        // Dropped: the remaining prefix operators and their operand are consumed.
        while (kind() == K::Not || kind() == K::Minus)
            advance();
        parse_postfix();
        return zero();
    }
    return make_unary(op, parse_unary());
}

// Wraps `operand` in UnaryOp{op, operand}, unless the tree would become too high.
Parsed Parser::make_unary(TokenKind op, Parsed operand) {
    if (operand.height + 1 > kMaxNesting) return operand;
    return {std::make_unique<UnaryOpExpr>(op == K::Not ? UnaryOperator::Not : UnaryOperator::Minus,
                                          std::move(operand.expr)),
            operand.height + 1};
}

// postfix: primary { '(' arguments ')' | '[' expression ']' | '.' NAME }
Parsed Parser::parse_postfix() {
    Parsed expr = parse_primary();
    for (;;) {
        switch (kind()) {
            case K::LParen:
                parse_call_suffix(expr);
                continue;
            case K::LBracket:
                parse_index_suffix(expr);
                continue;
            case K::Dot:
                if (peek_kind() == K::Dot) return expr;  // the two dots belong to the range level
                parse_member_suffix(expr);
                continue;
            default:
                return expr;
        }
    }
}

// call_suffix: '(' arguments ')'
void Parser::parse_call_suffix(Parsed& expr) {
    // The name's token: the identifier before "(", or the "(" itself.
    const bool named = record_ && pos_ > 0 && tokens_[pos_ - 1].kind == K::Identifier;
    const size_t name_pos = named ? pos_ - 1 : pos_;
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        skip_group_rest();
        return;
    }
    int args_height = 0;
    std::vector<ExprPtr> args = parse_arguments(args_height);
    expect(K::RParen);
    expr = make_call(std::move(expr), std::move(args), args_height, name_pos);
}

// index_suffix: '[' expression ']'
void Parser::parse_index_suffix(Parsed& expr) {
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        skip_group_rest();
        return;
    }
    Parsed index = parse_expression();
    expect(K::RBracket);
    const int height = std::max(expr.height, index.height) + 1;
    if (height > kMaxTreeHeight) return;
    expr.expr = std::make_unique<IndexExpr>(std::move(expr.expr), std::move(index.expr));
    expr.height = height;
}

// member_suffix: '.' NAME   (a "." followed by anything else is consumed alone)
void Parser::parse_member_suffix(Parsed& expr) {
    advance();
    if (kind() != K::Identifier) return;
    std::string member = current().text;
    advance();
    if (expr.height + 1 > kMaxTreeHeight) return;
    expr.expr = std::make_unique<IndexExpr>(std::move(expr.expr),
                                            std::make_unique<StringExpr>(std::move(member)));
    expr.height += 1;
}

// The Call node for `callee(args)`, named after the callee's form:
// f(a) -> "f"; m.f(a) -> "m.f"; e.f(a) -> "f" with e first; any other c(a) -> "call" with c first.
Parsed Parser::make_call(Parsed callee, std::vector<ExprPtr> args, int args_height,
                         size_t name_pos) {
    std::string name;
    int height = args_height + 1;
    Expr& c = *callee.expr;
    if (c.kind == ExprKind::Identifier) {
        // f(args)
        name = node_cast<IdentifierExpr>(c).name;
    } else if (c.kind == ExprKind::Index &&
               node_cast<IndexExpr>(c).index->kind == ExprKind::String) {
        auto& index = node_cast<IndexExpr>(c);
        const std::string& member = node_cast<StringExpr>(*index.index).value;
        if (index.object->kind == ExprKind::Identifier) {
            // m.f(args)
            const std::string& module = node_cast<IdentifierExpr>(*index.object).name;
            name.reserve(module.size() + 1 + member.size());
            name.append(module).append(1, '.').append(member);
        } else {
            // e.f(args): e becomes the first argument
            if (callee.height > kMaxTreeHeight) return callee;
            height = std::max(height, callee.height);
            name = member;
            args.insert(args.begin(), std::move(index.object));
        }
    } else {
        // any other callee c(args): call(c, args)
        if (callee.height + 1 > kMaxTreeHeight) return callee;
        height = std::max(height, callee.height + 1);
        name = "call";
        args.insert(args.begin(), std::move(callee.expr));
    }
    const Symbol symbol = names_.intern(name);
    Parsed call{
        std::make_unique<CallExpr>(std::move(name), std::move(args), symbol, next_call_id_++),
        height};
    note_expression(*call.expr, name_pos);
    return call;
}

// identifier: NAME
Parsed Parser::identifier() {
    const std::string& text = current().text;
    const Symbol symbol = names_.intern(text);
    Parsed result{std::make_unique<IdentifierExpr>(text, symbol), 1};
    advance();
    return result;
}

// primary: NUMBER | FLOAT | STRING | 'true' | 'false' | NAME | group | array | dict
Parsed Parser::parse_primary() {
    switch (kind()) {
        case K::Number:
        case K::Float:
        case K::String:
        case K::True:
        case K::False:
            return literal();
        case K::Identifier:
            return identifier();
        case K::LParen:
            return parse_group();
        case K::LBracket:
            return parse_array();
        case K::LBrace:
            return parse_dict();
        default:
            return missing_expression();
    }
}

// The current token starts no expression: Number(0), and nothing consumed.
Parsed Parser::missing_expression() {
    note(ParseEventKind::MissingExpression, ParseContext::Statements, pos_, pos_);
    return zero();
}

// literal: NUMBER | FLOAT | STRING | 'true' | 'false'
Parsed Parser::literal() {
    const Token& token = current();
    Parsed result;
    switch (token.kind) {
        case K::Number:
            result.expr = std::make_unique<NumberExpr>(token.number);
            break;
        case K::Float:
            result.expr = std::make_unique<FloatExpr>(token.real);
            break;
        case K::String:
            result.expr = std::make_unique<StringExpr>(token.text);
            break;
        default:
            result.expr = std::make_unique<BooleanExpr>(token.kind == K::True);
            break;
    }
    advance();
    return result;
}

// group: '(' expression ')'   (no node of its own)
Parsed Parser::parse_group() {
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        skip_group_rest();
        return zero();
    }
    Parsed inner = parse_expression();
    expect(K::RParen);
    return inner;
}

// array: '[' arguments ']'
Parsed Parser::parse_array() {
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        skip_group_rest();
        return zero();
    }
    int height = 0;
    std::vector<ExprPtr> items = parse_arguments(height);
    expect(K::RBracket);
    return {std::make_unique<ArrayExpr>(std::move(items)), height + 1};
}

// dict: '{' { NAME ':' expression [','] } '}'
Parsed Parser::parse_dict() {
    advance();
    DepthGuard guard(*this);
    if (too_deep()) {
        skip_group_rest();
        return zero();
    }
    std::vector<std::pair<std::string, ExprPtr>> pairs;
    int height = 0;
    while (kind() != K::RBrace && !at_end()) {
        if (kind() != K::Identifier) {
            note_skip(ParseContext::Dictionary);
            advance();  // not a key (a quoted string, a statement keyword, ...): skipped
            continue;
        }
        std::string key = current().text;
        advance();
        if (!expect(K::Colon)) {
            note(ParseEventKind::DroppedKey, ParseContext::Dictionary, pos_ - 1, pos_);
            continue;  // key without ":" is dropped
        }
        Parsed value = parse_expression();
        height = std::max(height, value.height);
        pairs.emplace_back(std::move(key), std::move(value.expr));
        expect(K::Comma);
    }
    expect(K::RBrace);
    return {std::make_unique<DictExpr>(std::move(pairs)), height + 1};
}

// arguments: { expression [','] }   (up to ')', ']', '}' or EOF)
std::vector<ExprPtr> Parser::parse_arguments(int& height) {
    std::vector<ExprPtr> items;
    height = 0;
    for (;;) {
        const K k = kind();
        if (k == K::RParen || k == K::RBracket || k == K::RBrace || k == K::Eof) break;
        const size_t start = pos_;
        Parsed item = parse_expression();
        expect(K::Comma);
        if (pos_ == start) {
            note_skip(ParseContext::Arguments);
            advance();  // a token that starts no expression (":", "=>", ...): skipped
            continue;
        }
        height = std::max(height, item.height);
        items.push_back(std::move(item.expr));
    }
    return items;
}

}  // namespace tarnel::detail
