#include <gtest/gtest.h>
#include <cmath>

#include "interpreter_state.h"
#include "parser/parser.h"

namespace tarnel {
namespace {

TEST(Resolution, RoutesBuiltinsAndParameterSlots) {
    NameTable names;
    std::shared_ptr<const Unit> unit = load_source(
        "f() sdl2.clear() http.get(u) util.f() x.y.z() sdl2x.f(); len(1)\n"
        "def g(a, b) { print(a) }",
        names);
    auto site = [&](size_t statement) {
        const auto& call =
            node_cast<CallExpr>(*node_cast<ExprStmt>(*unit->statements[statement]).expr);
        return unit->calls[call.id];
    };
    EXPECT_EQ(site(0).route, CallRoute::Plain);
    EXPECT_EQ(site(1).route, CallRoute::Graphics);
    EXPECT_EQ(site(2).route, CallRoute::Http);
    EXPECT_EQ(site(3).route, CallRoute::Dotted);
    EXPECT_EQ(site(4).route, CallRoute::Plain);  // "z" with x.y as first argument
    EXPECT_EQ(site(5).route, CallRoute::Dotted);
    EXPECT_EQ(site(0).builtin, kNotBuiltin);
    EXPECT_EQ(site(6).builtin, find_builtin("len"));
    const auto& g = node_cast<FunctionStmt>(*unit->statements[7]);
    const CompiledFunction& compiled = *unit->functions[g.id];
    ASSERT_EQ(compiled.param_slots.size(), 2u);
    EXPECT_EQ(names.text(compiled.param_slots[1]), "b");
    EXPECT_EQ(&compiled.definition, &g);
}

class Variables : public ::testing::Test {
  protected:
    std::shared_ptr<NameTable> names = std::make_shared<NameTable>();
    Interpreter interp{names};
    Symbol x = names->intern("x");
};

TEST_F(Variables, InnermostBindingWinsAndScopesUnwind) {
    interp.env.set_variable(x, Value::number(1));  // no scope: global
    const uint32_t scope1 = interp.env.push_scope();
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 1);
    interp.env.set_variable(x, Value::number(2));
    const uint32_t scope2 = interp.env.push_scope();
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 2);  // a caller's local is visible
    interp.env.set_variable(x, Value::number(3));
    interp.env.set_variable(x, Value::number(4));  // rebinding in the same scope
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 4);
    interp.env.pop_scope(scope2);
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 2);
    interp.env.pop_scope(scope1);
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 1);
    EXPECT_TRUE(interp.env.get_variable(names->intern("undefined")).is_null());
}

TEST_F(Variables, GlobalDeclarationRedirectsWritesNotReads) {
    const uint32_t scope1 = interp.env.push_scope();
    interp.env.set_variable(x, Value::number(1));
    interp.env.declare_global(x);
    interp.env.set_variable(x, Value::number(7));
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 1);
    interp.env.pop_scope(scope1);
    EXPECT_EQ(interp.env.get_variable(x).as_number(), 7);
}

TEST_F(Variables, AssignmentSlotOnlyWhenReadAndWriteMeet) {
    interp.env.set_variable(x, Value::number(1));
    EXPECT_NE(interp.env.shared_assignment_slot(x), nullptr);  // top level: the global
    const uint32_t scope1 = interp.env.push_scope();
    EXPECT_EQ(interp.env.shared_assignment_slot(x), nullptr);  // read global, write new local
    interp.env.set_variable(x, Value::number(2));
    EXPECT_NE(interp.env.shared_assignment_slot(x), nullptr);
    const uint32_t scope2 = interp.env.push_scope();
    EXPECT_EQ(interp.env.shared_assignment_slot(x), nullptr);  // read caller's local
    interp.env.pop_scope(scope2);
    interp.env.pop_scope(scope1);
}

TEST_F(Variables, DottedNamesLookInModulesOnly) {
    auto table = std::make_shared<DictMap>();
    table->emplace("f", Value::number(5));
    interp.registry.modules["m"] = table;
    interp.env.set_variable(names->intern("m"), Value::number(1));
    EXPECT_EQ(interp.get_variable(("m.f")).as_number(), 5);
    EXPECT_TRUE(interp.get_variable(("m.g")).is_null());
    EXPECT_TRUE(interp.get_variable(("other.f")).is_null());
}

// A spent time budget stops a run at its next loop iteration, however few iterations there are.
TEST(RunLimits, SpentBudgetStopsTheNextIteration) {
    auto names = std::make_shared<NameTable>();
    std::shared_ptr<const Unit> program = load_source("let n = 0\nwhile n < 3 { n += 1 }", *names);
    RunLimits limits;
    limits.deadline = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_program(program, false, names, limits), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: time budget exceeded\n");
}

}  // namespace
}  // namespace tarnel
