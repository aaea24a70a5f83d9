#include <gtest/gtest.h>
#include <cmath>

#include "interpreter/interpreter_state.h"

namespace tarnel {
namespace {

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

}  // namespace
}  // namespace tarnel
