// The one pipeline from text to something the interpreter runs: tokens, tree, resolution.
#include <chrono>

#include "interpreter/interpreter.h"
#include "lexer/lexer.h"
#include "parser/parser.h"
#include "unit.h"

namespace tarnel {

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

std::shared_ptr<const Unit> load_source(std::string_view text, NameTable& names, LoadTimes* times) {
    auto unit = std::make_shared<Unit>();
    auto start = Clock::now();
    std::vector<Token> tokens = tokenize(text);
    if (times != nullptr) times->tokenize_ms = milliseconds_since(start);
    start = Clock::now();
    unit->statements = parse_program(tokens, names);
    resolve(*unit, names);
    if (times != nullptr) times->parse_ms = milliseconds_since(start);
    return unit;
}

size_t statement_count(const Unit& unit) {
    return unit.statements.size();
}

}  // namespace tarnel
