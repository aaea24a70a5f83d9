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
#include "parser/tree_walk.h"

namespace tarnel {
namespace {

// ---- Tree height, computed without recursion ------------------------------------------

// The height of the statement list's tree, counting every node (statement or expression).
// The walk dereferences every child a node must have, so a malformed tree fails here too.
size_t tree_height(const StmtList& program) {
    struct Item {
        const Expr* expr;
        const Stmt* stmt;
        size_t depth;
    };
    std::vector<Item> stack;
    for (const StmtPtr& statement : program)
        stack.push_back({nullptr, statement.get(), 1});
    size_t height = 0;
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        height = std::max(height, item.depth);
        auto on_expr = [&](const Expr& child) {
            stack.push_back({&child, nullptr, item.depth + 1});
        };
        auto on_stmt = [&](const Stmt& child) {
            stack.push_back({nullptr, &child, item.depth + 1});
        };
        if (item.expr != nullptr) for_each_child(*item.expr, on_expr, on_stmt);
        if (item.stmt != nullptr) for_each_child(*item.stmt, on_expr, on_stmt);
    }
    return height;
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
        EXPECT_LT(seconds_since(start), 30.0) << open;  // loose: a busy machine, a sanitizer build
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
        EXPECT_LT(seconds_since(start), 30.0) << link;
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
    // The best of three runs each, so that a busy machine's pauses do not count.
    auto best = [&](size_t n) { return std::min({run(n), run(n), run(n)}); };
    const double small = best(50000);
    const double large = best(200000);
    EXPECT_LT(large, 12 * small + 0.2) << small << " s vs " << large << " s";
}

}  // namespace
}  // namespace tarnel
