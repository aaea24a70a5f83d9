#include <gtest/gtest.h>
#include <cmath>

#include "interpreter/interpreter_state.h"
#include "parser/parser.h"

namespace tarnel {
namespace {

Value op(Value a, TokenKind kind, Value b) { return apply_operator(std::move(a), kind, std::move(b)); }

TEST(OperatorTable, IntegersWrapAndTruncate) {
    EXPECT_EQ(op(Value::number(INT64_MAX), TokenKind::Plus, Value::number(1)).as_number(), INT64_MIN);
    EXPECT_EQ(op(Value::number(-7), TokenKind::Slash, Value::number(2)).as_number(), -3);
    EXPECT_EQ(op(Value::number(-7), TokenKind::Percent, Value::number(3)).as_number(), -1);
    EXPECT_EQ(op(Value::number(INT64_MIN), TokenKind::Slash, Value::number(-1)).as_number(), INT64_MIN);
    EXPECT_EQ(op(Value::number(INT64_MIN), TokenKind::Percent, Value::number(-1)).as_number(), 0);
    EXPECT_EQ(op(Value::number(2), TokenKind::Power, Value::number(64)).as_number(), 0);
    EXPECT_EQ(op(Value::number(3), TokenKind::Power, Value::number(-1)).as_number(),
              op(Value::number(3), TokenKind::Power, Value::number(4294967295)).as_number());
}

TEST(OperatorTable, UnsupportedCombinationsGiveNull) {
    EXPECT_TRUE(op(Value::number(1), TokenKind::Plus, Value::real(2)).is_null());
    EXPECT_TRUE(op(Value(), TokenKind::Equal, Value()).is_null());
    EXPECT_TRUE(op(Value::string("a"), TokenKind::Less, Value::string("b")).is_null());
    EXPECT_TRUE(op(Value::number(1), TokenKind::And, Value::number(1)).is_null());
    EXPECT_TRUE(op(Value::array({}), TokenKind::Equal, Value::array({})).is_null());
    EXPECT_TRUE(op(Value::boolean(true), TokenKind::Less, Value::boolean(false)).is_null());
}

TEST(OperatorTable, FloatsAndStrings) {
    EXPECT_TRUE(op(Value::real(0.1 + 0.2), TokenKind::Equal, Value::real(0.3)).as_boolean());
    double nan = std::nan("");
    EXPECT_FALSE(op(Value::real(nan), TokenKind::Equal, Value::real(nan)).as_boolean());
    EXPECT_FALSE(op(Value::real(nan), TokenKind::NotEqual, Value::real(nan)).as_boolean());
    EXPECT_EQ(op(Value::string("ab"), TokenKind::Plus, Value::string("cd")).as_string(), "abcd");
    Value shared = Value::string("ab");
    Value sum = op(shared, TokenKind::Plus, Value::string("c"));
    EXPECT_EQ(shared.as_string(), "ab");  // the other holder is untouched
    EXPECT_EQ(sum.as_string(), "abc");
}

TEST(MatchComparison, SameKindOnly) {
    EXPECT_TRUE(values_match(Value::number(1), Value::number(1)));
    EXPECT_FALSE(values_match(Value::number(1), Value::real(1)));
    EXPECT_TRUE(values_match(Value(), Value()));
    EXPECT_FALSE(values_match(Value::array({}), Value::array({})));
}

class Variables : public ::testing::Test {
protected:
    std::shared_ptr<NameTable> names = std::make_shared<NameTable>();
    Interpreter interp{names};
    Symbol x = names->intern("x");
};

TEST_F(Variables, InnermostBindingWinsAndScopesUnwind) {
    interp.set_variable(x, Value::number(1));  // no scope: global
    interp.push_scope();
    EXPECT_EQ(interp.get_variable(x).as_number(), 1);
    interp.set_variable(x, Value::number(2));
    interp.push_scope();
    EXPECT_EQ(interp.get_variable(x).as_number(), 2);  // a caller's local is visible
    interp.set_variable(x, Value::number(3));
    interp.set_variable(x, Value::number(4));  // rebinding in the same scope
    EXPECT_EQ(interp.get_variable(x).as_number(), 4);
    interp.pop_scope();
    EXPECT_EQ(interp.get_variable(x).as_number(), 2);
    interp.pop_scope();
    EXPECT_EQ(interp.get_variable(x).as_number(), 1);
    EXPECT_TRUE(interp.get_variable(names->intern("undefined")).is_null());
}

TEST_F(Variables, GlobalDeclarationRedirectsWritesNotReads) {
    interp.push_scope();
    interp.set_variable(x, Value::number(1));
    interp.declare_global(x);
    interp.set_variable(x, Value::number(7));
    EXPECT_EQ(interp.get_variable(x).as_number(), 1);
    interp.pop_scope();
    EXPECT_EQ(interp.get_variable(x).as_number(), 7);
}

TEST_F(Variables, AssignmentSlotOnlyWhenReadAndWriteMeet) {
    interp.set_variable(x, Value::number(1));
    EXPECT_NE(interp.shared_assignment_slot(x), nullptr);  // top level: the global
    interp.push_scope();
    EXPECT_EQ(interp.shared_assignment_slot(x), nullptr);  // read global, write new local
    interp.set_variable(x, Value::number(2));
    EXPECT_NE(interp.shared_assignment_slot(x), nullptr);
    interp.push_scope();
    EXPECT_EQ(interp.shared_assignment_slot(x), nullptr);  // read caller's local
    interp.pop_scope();
    interp.pop_scope();
}

TEST_F(Variables, DottedNamesLookInModulesOnly) {
    auto table = std::make_shared<DictMap>();
    table->emplace("f", Value::number(5));
    interp.modules["m"] = table;
    interp.set_variable(names->intern("m"), Value::number(1));
    EXPECT_EQ(interp.get_variable(std::string_view("m.f")).as_number(), 5);
    EXPECT_TRUE(interp.get_variable(std::string_view("m.g")).is_null());
    EXPECT_TRUE(interp.get_variable(std::string_view("other.f")).is_null());
}

// A spent time budget stops a run at its next loop iteration, however few iterations there are.
TEST(RunLimits, SpentBudgetStopsTheNextIteration) {
    auto names = std::make_shared<NameTable>();
    StmtList program = parse_program(tokenize("let n = 0\nwhile n < 3 { n += 1 }"), *names);
    RunLimits limits;
    limits.deadline = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_program(program, false, names, limits), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: time budget exceeded\n");
}

}  // namespace
}  // namespace tarnel
