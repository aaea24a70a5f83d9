// Robustness of the lexer and the parser: random bytes, random token soups and extreme
// nesting must never crash, never hang and never produce a tree deep enough to make its
// destruction or a recursive walk overflow the stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "parser/parser.h"

namespace tarnel {
namespace {

// ---- Tree height, computed without recursion ------------------------------------------

struct Item {
    const Expr* expr = nullptr;
    const Stmt* stmt = nullptr;
    size_t depth = 0;
};

void push_list(std::vector<Item>& stack, const StmtList& list, size_t depth) {
    for (const StmtPtr& s : list)
        stack.push_back({nullptr, s.get(), depth});
}

void push_children(std::vector<Item>& stack, const Expr& e, size_t d) {
    auto push = [&](const ExprPtr& child) {
        if (child) stack.push_back({child.get(), nullptr, d});
    };
    switch (e.kind) {
        case ExprKind::BinaryOp:
            push(static_cast<const BinaryOpExpr&>(e).left);
            push(static_cast<const BinaryOpExpr&>(e).right);
            break;
        case ExprKind::UnaryOp:
            push(static_cast<const UnaryOpExpr&>(e).operand);
            break;
        case ExprKind::Call:
            for (const ExprPtr& a : static_cast<const CallExpr&>(e).args)
                push(a);
            break;
        case ExprKind::Array:
            for (const ExprPtr& a : static_cast<const ArrayExpr&>(e).items)
                push(a);
            break;
        case ExprKind::Dict:
            for (const auto& p : static_cast<const DictExpr&>(e).pairs)
                push(p.second);
            break;
        case ExprKind::Index:
            push(static_cast<const IndexExpr&>(e).object);
            push(static_cast<const IndexExpr&>(e).index);
            break;
        case ExprKind::Range:
            push(static_cast<const RangeExpr&>(e).start);
            push(static_cast<const RangeExpr&>(e).end);
            break;
        default:
            break;
    }
}

void push_children(std::vector<Item>& stack, const Stmt& s, size_t d) {
    auto push = [&](const ExprPtr& child) {
        if (child) stack.push_back({child.get(), nullptr, d});
    };
    switch (s.kind) {
        case StmtKind::Let:
        case StmtKind::Assign:
            push(static_cast<const AssignStmt&>(s).value);
            break;
        case StmtKind::CompoundAssign:
            push(static_cast<const CompoundAssignStmt&>(s).value);
            break;
        case StmtKind::Function:
            push_list(stack, static_cast<const FunctionStmt&>(s).def->body, d);
            break;
        case StmtKind::If: {
            const auto& i = static_cast<const IfStmt&>(s);
            push(i.condition);
            push_list(stack, i.then_body, d);
            if (i.else_body) push_list(stack, *i.else_body, d);
            break;
        }
        case StmtKind::While:
            push(static_cast<const WhileStmt&>(s).condition);
            push_list(stack, static_cast<const WhileStmt&>(s).body, d);
            break;
        case StmtKind::For:
            push(static_cast<const ForStmt&>(s).iter);
            push_list(stack, static_cast<const ForStmt&>(s).body, d);
            break;
        case StmtKind::Match:
            push(static_cast<const MatchStmt&>(s).expr);
            for (const MatchArm& arm : static_cast<const MatchStmt&>(s).arms) {
                push(arm.pattern.value);
                push_list(stack, arm.body, d);
            }
            break;
        case StmtKind::Try:
            push_list(stack, static_cast<const TryStmt&>(s).body, d);
            push_list(stack, static_cast<const TryStmt&>(s).catch_body, d);
            break;
        case StmtKind::Return:
            push(static_cast<const ReturnStmt&>(s).value);
            break;
        case StmtKind::Expr:
            push(static_cast<const ExprStmt&>(s).expr);
            break;
        default:
            break;
    }
}

// The height of the statement list's tree, counting every node (statement or expression).
size_t tree_height(const StmtList& program) {
    std::vector<Item> stack;
    push_list(stack, program, 1);
    size_t height = 0;
    while (!stack.empty()) {
        Item item = stack.back();
        stack.pop_back();
        height = std::max(height, item.depth);
        if (item.expr) push_children(stack, *item.expr, item.depth + 1);
        if (item.stmt) push_children(stack, *item.stmt, item.depth + 1);
    }
    return height;
}

// Every tree node must be well formed: no null child where one is required.
bool well_formed(const StmtList& program) {
    std::vector<Item> stack;
    push_list(stack, program, 1);
    while (!stack.empty()) {
        Item item = stack.back();
        stack.pop_back();
        if (item.stmt) {
            const Stmt& s = *item.stmt;
            switch (s.kind) {
                case StmtKind::Let:
                case StmtKind::Assign:
                    if (!static_cast<const AssignStmt&>(s).value) return false;
                    break;
                case StmtKind::Function:
                    if (!static_cast<const FunctionStmt&>(s).def) return false;
                    break;
                case StmtKind::Expr:
                    if (!static_cast<const ExprStmt&>(s).expr) return false;
                    break;
                default:
                    break;
            }
            push_children(stack, s, item.depth + 1);
        }
        if (item.expr) push_children(stack, *item.expr, item.depth + 1);
    }
    return true;
}

// ---- Helpers -------------------------------------------------------------------------

constexpr size_t kHeightBound = kMaxTreeHeight + 2 * kMaxNesting + 16;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lexes and parses `source`, checks the invariants, and returns the statement count.
size_t check(const std::string& source) {
    std::vector<Token> tokens = tokenize(source);
    EXPECT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.back().kind, TokenKind::Eof);
    EXPECT_EQ(std::count_if(tokens.begin(), tokens.end(),
                            [](const Token& t) { return t.kind == TokenKind::Eof; }),
              1);
    NameTable names;
    StmtList program = parse_program(tokens, names);
    EXPECT_LE(tree_height(program), kHeightBound);
    EXPECT_TRUE(well_formed(program));
    return program.size();
}

// ---- Random input ----------------------------------------------------------------------

TEST(Fuzz, RandomBytes) {
    std::mt19937_64 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> length(0, 400);
    for (int round = 0; round < 3000; ++round) {
        std::string source(length(rng), '\0');
        for (char& c : source)
            c = static_cast<char>(byte(rng));
        check(source);
    }
}

TEST(Fuzz, RandomAsciiAndUtf8) {
    const std::vector<std::string> pieces = {" ",
                                             "\n",
                                             "\t",
                                             "#",
                                             "/*",
                                             "*/",
                                             "/",
                                             "\"",
                                             "\\",
                                             "\\n",
                                             "0",
                                             "7",
                                             "12",
                                             ".",
                                             "..",
                                             "1.5",
                                             "9999999999999999999999",
                                             "a",
                                             "_",
                                             "x",
                                             "é",
                                             "²",
                                             "日",
                                             "€",
                                             "\xF0\x9F\x98\x80",
                                             "!",
                                             "=",
                                             "+",
                                             "-",
                                             "*",
                                             "<",
                                             ">",
                                             "%",
                                             "?",
                                             "(",
                                             ")",
                                             "[",
                                             "]",
                                             "{",
                                             "}",
                                             ",",
                                             ":",
                                             ";",
                                             "$",
                                             "@"};
    std::mt19937_64 rng(777);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<size_t> length(0, 300);
    for (int round = 0; round < 3000; ++round) {
        std::string source;
        for (size_t i = length(rng); i > 0; --i)
            source += pieces[pick(rng)];
        check(source);
    }
}

TEST(Fuzz, RandomTokenSoup) {
    // Words and symbols of the language in random order exercise every recovery path.
    const std::vector<std::string> words = {
        "let",  "def",   "return", "if", "else", "while", "for", "in",    "break",  "continue",
        "true", "false", "and",    "or", "not",  "match", "try", "catch", "global", "use",
        "as",   "x",     "f",      "_",  "sdl2", "http",  "1",   "2.5",   "\"s\"",  "+",
        "-",    "*",     "/",      "%",  "**",   "=",     "+=",  "-=",    "*=",     "/=",
        "==",   "!=",    "<",      ">",  "<=",   ">=",    "(",   ")",     "{",      "}",
        "[",    "]",     ",",      ":",  ";",    "->",    "=>",  ".",     "?",      "!"};
    std::mt19937_64 rng(4242);
    std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
    std::uniform_int_distribution<size_t> length(0, 200);
    for (int round = 0; round < 5000; ++round) {
        std::string source;
        for (size_t i = length(rng); i > 0; --i) {
            source += words[pick(rng)];
            source += ' ';
        }
        check(source);
    }
}

TEST(Fuzz, RandomTokenKindsWithoutLexer) {
    // Token lists the lexer cannot produce: missing EOF, EOF in the middle, odd payloads.
    std::mt19937_64 rng(99);
    std::uniform_int_distribution<int> kind(0, static_cast<int>(TokenKind::Eof));
    std::uniform_int_distribution<size_t> length(0, 200);
    for (int round = 0; round < 3000; ++round) {
        std::vector<Token> tokens;
        for (size_t i = length(rng); i > 0; --i) {
            Token t = Token::of(static_cast<TokenKind>(kind(rng)));
            if (t.kind == TokenKind::Identifier) t.text.push_back(i % 3 == 0 ? '_' : 'v');
            tokens.push_back(std::move(t));
        }
        NameTable names;
        StmtList program = parse_program(tokens, names);
        EXPECT_LE(tree_height(program), kHeightBound);
        EXPECT_TRUE(well_formed(program));
    }
}

// ---- Deep nesting ----------------------------------------------------------------------

std::string repeat(std::string_view piece, size_t n) {
    std::string out;
    out.reserve(piece.size() * n);
    for (size_t i = 0; i < n; ++i)
        out += piece;
    return out;
}

TEST(Fuzz, DeepNestingTerminatesFast) {
    const size_t n = 100000;
    const std::vector<std::pair<std::string, std::string>> shapes = {
        {"(", ")"},
        {"[", "]"},
        {"{a:", "}"},
        {"{", "}"},
        {"f(", ")"},
        {"a[", "]"},
        {"-", ""},
        {"!", ""},
        {"not ", ""},
        {"-(", ")"},
        {"([{", "}])"},
        {"if a {", "}"},
        {"while a {", "}"},
        {"def f() {", "}"},
        {"for i in x {", "}"},
        {"try {", "} catch e {}"},
        {"match x { 1 => {", "} }"},
        {"match (", ") {}"},
        {"if (", ") {}"},
        {"x = [", "]"},
        {"a.b(", ")"},
        {"f(1)(", ")"},
        {"-[", "]"},
        {"{a: -", "}"},
        {"use m {", "}"},
    };
    for (const auto& [open, close] : shapes) {
        const auto start = std::chrono::steady_clock::now();
        // Balanced, unbalanced (never closed) and closers only.
        std::string unclosed = repeat(open, n);
        unclosed += '1';
        std::string balanced = unclosed;
        balanced += repeat(close, n);
        balanced += " tail";
        check(balanced);
        check(unclosed);
        check(repeat(close, n));
        EXPECT_LT(seconds_since(start), 10.0) << open;
    }
}

TEST(Fuzz, LongChainsTerminateFast) {
    const size_t n = 300000;
    const std::vector<std::string> links = {" + 1",  " * 1",  " ** 1", " or x", " and x",
                                            " == 1", " < 1",  "(1)",   "[0]",   ".m",
                                            ".m(1)", " .. 1", "..",    "."};
    for (const std::string& link : links) {
        const auto start = std::chrono::steady_clock::now();
        std::string source(1, 'x');
        source += repeat(link, n);
        check(source);
        EXPECT_LT(seconds_since(start), 10.0) << link;
    }
}

TEST(Fuzz, DeepMixedNestingIsLinear) {
    // Doubling the input must not much more than double the time (no quadratic path).
    auto run = [](size_t n) {
        std::string source = repeat("f([{a: -(", n);
        source += '1';
        source += repeat(")}])", n);
        source += repeat("if x { y = [1, 2] ", n);
        source += repeat("}", n);
        const auto start = std::chrono::steady_clock::now();
        check(source);
        return seconds_since(start);
    };
    run(20000);  // warm up
    const double small = run(50000);
    const double large = run(200000);
    EXPECT_LT(large, 12 * small + 0.05) << small << " s vs " << large << " s";
}

}  // namespace
}  // namespace tarnel
