// Unit tests of the parser and the debug text of the syntax tree.
#include <gtest/gtest.h>

#include <string>

#include "parser/parser.h"

namespace tarnel {
namespace {

StmtList parse(std::string_view source, NameTable& names) {
    return parse_program(tokenize(source), names);
}

// Debug text of the whole program: [stmt, stmt].
std::string program(std::string_view source) {
    NameTable names;
    return debug_text(parse(source, names));
}

// Debug text of a single expression statement's expression.
std::string expr(std::string_view source) {
    NameTable names;
    StmtList statements = parse(source, names);
    if (statements.size() != 1 || statements[0]->kind != StmtKind::Expr) {
        return "not one expression: " + debug_text(statements);
    }
    return debug_text(*node_cast<ExprStmt>(*statements[0]).expr);
}

std::string id(const char* name) {
    return std::string("Identifier(\"") + name + "\")";
}

// ---- Debug text ------------------------------------------------------------------------

TEST(DebugText, FunctionExample) {
    EXPECT_EQ(program("def add(a, b) { return a + b }"),
              "[Function { name: \"add\", params: [\"a\", \"b\"], body: [Return(Some(BinaryOp { "
              "left: Identifier(\"a\"), op: Plus, right: Identifier(\"b\") }))] }]");
}

TEST(DebugText, Literals) {
    EXPECT_EQ(expr("5"), "Number(5)");
    EXPECT_EQ(expr("2.5"), "Float(2.5)");
    EXPECT_EQ(expr("2.0"), "Float(2.0)");
    EXPECT_EQ(expr("\"a\\\"b\\n\""), "String(\"a\\\"b\\n\")");
    EXPECT_EQ(expr("true"), "Boolean(true)");
    EXPECT_EQ(expr("false"), "Boolean(false)");
    EXPECT_EQ(expr("x"), id("x"));
    EXPECT_EQ(expr("9223372036854775807"), "Number(9223372036854775807)");
}

TEST(DebugText, Containers) {
    EXPECT_EQ(expr("[]"), "Array([])");
    EXPECT_EQ(expr("[1, \"a\"]"), "Array([Number(1), String(\"a\")])");
    EXPECT_EQ(expr("{}"), "Dict([])");
    EXPECT_EQ(expr("{name: 1, size: 2}"), "Dict([(\"name\", Number(1)), (\"size\", Number(2))])");
    EXPECT_EQ(expr("{a: 1, a: 2}"), "Dict([(\"a\", Number(1)), (\"a\", Number(2))])");
}

TEST(DebugText, Statements) {
    EXPECT_EQ(program("let x = 1"), "[Let { name: \"x\", value: Number(1) }]");
    EXPECT_EQ(program("x = 1"), "[Assign { name: \"x\", value: Number(1) }]");
    EXPECT_EQ(program("x -= 1"),
              "[CompoundAssign { name: \"x\", op: MinusAssign, value: Number(1) }]");
    EXPECT_EQ(program("while x { break continue }"),
              "[While { condition: Identifier(\"x\"), body: [Break, Continue] }]");
    EXPECT_EQ(program("global count"), "[Global(\"count\")]");
    EXPECT_EQ(program("return"), "[Return(None)]");
    EXPECT_EQ(program("try { a } catch e { b }"),
              "[Try { body: [Expr(Identifier(\"a\"))], catch_var: \"e\", catch_body: "
              "[Expr(Identifier(\"b\"))] }]");
}

TEST(DebugText, PatternsAndLists) {
    NameTable names;
    StmtList statements = parse("match v { 1 => a _ => b }", names);
    ASSERT_EQ(statements.size(), 1u);
    const auto& match = node_cast<MatchStmt>(*statements[0]);
    ASSERT_EQ(match.arms.size(), 2u);
    EXPECT_EQ(debug_text(match.arms[0].pattern), "Value(Number(1))");
    EXPECT_EQ(debug_text(match.arms[1].pattern), "Wildcard");
    EXPECT_EQ(debug_text(match.arms[1].body), "[Expr(Identifier(\"b\"))]");
    EXPECT_EQ(debug_text(StmtList{}), "[]");
}

TEST(DebugText, FloatsInTree) {
    EXPECT_EQ(expr("100.0"), "Float(100.0)");
    EXPECT_EQ(expr("0.00001"), "Float(1e-5)");
    EXPECT_EQ(expr("12345678901234567.0"), "Float(1.2345678901234568e16)");
}

// ---- Statements ------------------------------------------------------------------------

TEST(Parser, EmptyProgram) {
    EXPECT_EQ(program(""), "[]");
    EXPECT_EQ(parse_program({}, *std::make_unique<NameTable>()).size(), 0u);
    EXPECT_EQ(program("# only a comment"), "[]");
}

TEST(Parser, OptionalSemicolons) {
    const std::string two =
        "[Assign { name: \"x\", value: Number(1) }, Assign { name: \"y\", "
        "value: Number(2) }]";
    EXPECT_EQ(program("x = 1; y = 2"), two);
    EXPECT_EQ(program("x = 1 y = 2"), two);
    EXPECT_EQ(program("x = 1;\ny = 2;"), two);
    EXPECT_EQ(program("let a = 1; f(); break; continue; global g; return 1;"),
              "[Let { name: \"a\", value: Number(1) }, Expr(Call { name: \"f\", args: [] }), "
              "Break, Continue, Global(\"g\"), Return(Some(Number(1)))]");
}

TEST(Parser, CompoundAssignments) {
    EXPECT_EQ(program("a += 1 b -= 2 c *= 3 d /= 4"),
              "[CompoundAssign { name: \"a\", op: PlusAssign, value: Number(1) }, "
              "CompoundAssign { name: \"b\", op: MinusAssign, value: Number(2) }, "
              "CompoundAssign { name: \"c\", op: StarAssign, value: Number(3) }, "
              "CompoundAssign { name: \"d\", op: SlashAssign, value: Number(4) }]");
}

TEST(Parser, IfElse) {
    EXPECT_EQ(program("if x > 1 { a } else { b }"),
              "[If { condition: BinaryOp { left: Identifier(\"x\"), op: Greater, right: "
              "Number(1) }, then_body: [Expr(Identifier(\"a\"))], else_body: "
              "Some([Expr(Identifier(\"b\"))]) }]");
    EXPECT_EQ(program("if x { a }"),
              "[If { condition: Identifier(\"x\"), then_body: [Expr(Identifier(\"a\"))], "
              "else_body: None }]");
    EXPECT_EQ(program("if x { } else { }"),
              "[If { condition: Identifier(\"x\"), then_body: [], else_body: Some([]) }]");
}

TEST(Parser, NoElseIf) {
    EXPECT_EQ(program("if a {X} else if b {Y}"),
              "[If { condition: Identifier(\"a\"), then_body: [Expr(Identifier(\"X\"))], "
              "else_body: None }, If { condition: Identifier(\"b\"), then_body: "
              "[Expr(Identifier(\"Y\"))], else_body: None }]");
    EXPECT_EQ(program("if a {} else x = 1"),
              "[If { condition: Identifier(\"a\"), then_body: [], else_body: None }, "
              "Assign { name: \"x\", value: Number(1) }]");
}

TEST(Parser, Loops) {
    EXPECT_EQ(program("for i in 0..10 { }"),
              "[For { var: \"i\", iter: Range { start: Number(0), end: Number(10) }, body: [] }]");
    EXPECT_EQ(program("for x in items { print(x) }"),
              "[For { var: \"x\", iter: Identifier(\"items\"), body: [Expr(Call { name: "
              "\"print\", args: [Identifier(\"x\")] })] }]");
    EXPECT_EQ(program("while i < 3 { i += 1 }"),
              "[While { condition: BinaryOp { left: Identifier(\"i\"), op: Less, right: "
              "Number(3) }, body: [CompoundAssign { name: \"i\", op: PlusAssign, value: "
              "Number(1) }] }]");
}

TEST(Parser, Functions) {
    EXPECT_EQ(program("def f(a b) { }"),
              "[Function { name: \"f\", params: [\"a\", \"b\"], body: [] }]");
    EXPECT_EQ(program("def f(a, b,) { }"),
              "[Function { name: \"f\", params: [\"a\", \"b\"], body: [] }]");
    EXPECT_EQ(program("def main() { return }"),
              "[Function { name: \"main\", params: [], body: [Return(None)] }]");
    NameTable names;
    StmtList statements = parse("def f(a, b) { }", names);
    ASSERT_EQ(statements.size(), 1u);
    const auto& f = node_cast<FunctionStmt>(*statements[0]);
    EXPECT_EQ(names.text(f.symbol), "f");
}

TEST(Parser, Return) {
    EXPECT_EQ(program("def f() { return }"),
              "[Function { name: \"f\", params: [], body: [Return(None)] }]");
    EXPECT_EQ(program("return;"), "[Return(None)]");
    EXPECT_EQ(program("return x"), "[Return(Some(Identifier(\"x\")))]");
    EXPECT_EQ(program("return; x"), "[Return(None), Expr(Identifier(\"x\"))]");
}

TEST(Parser, Match) {
    EXPECT_EQ(program("match v { 1 => \"one\"; _ => { print(v) } }"),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(Number(1)), "
              "[Expr(String(\"one\"))]), (Wildcard, [Expr(Call { name: \"print\", args: "
              "[Identifier(\"v\")] })])] }]");
    // Arms separated by nothing; a comma between arms is skipped.
    EXPECT_EQ(program("match v { 1 => a 2 => b, _ => c }"),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(Number(1)), "
              "[Expr(Identifier(\"a\"))]), (Value(Number(2)), [Expr(Identifier(\"b\"))]), "
              "(Wildcard, [Expr(Identifier(\"c\"))])] }]");
    // A pattern without "=>" is dropped.
    EXPECT_EQ(program("match v { 1 2 => b }"),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(Number(2)), "
              "[Expr(Identifier(\"b\"))])] }]");
    // "_" is a wildcard only as a whole pattern.
    EXPECT_EQ(program("match v { _x => 1 }"),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(Identifier(\"_x\")), "
              "[Expr(Number(1))])] }]");
    EXPECT_EQ(program("match v { }"), "[Match { expr: Identifier(\"v\"), arms: [] }]");
    EXPECT_EQ(program("match v { x + 1 => { } }"),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(BinaryOp { left: "
              "Identifier(\"x\"), op: Plus, right: Number(1) }), [])] }]");
}

TEST(Parser, Try) {
    EXPECT_EQ(program("try { risky() } catch err { print(err) }"),
              "[Try { body: [Expr(Call { name: \"risky\", args: [] })], catch_var: \"err\", "
              "catch_body: [Expr(Call { name: \"print\", args: [Identifier(\"err\")] })] }]");
    // Fails without catch: the try is dropped and parsing goes on where it stopped.
    EXPECT_EQ(program("try { a } x"), "[Expr(Identifier(\"x\"))]");
    EXPECT_EQ(program("try { a } catch { b }"), "[Expr(Dict([]))]");
}

TEST(Parser, Use) {
    EXPECT_EQ(program("use util"), "[Use { module: \"util\", alias: None, items: None }]");
    EXPECT_EQ(program("use util;"), "[Use { module: \"util\", alias: None, items: None }]");
    EXPECT_EQ(program("use util as u"),
              "[Use { module: \"util\", alias: Some(\"u\"), items: None }]");
    EXPECT_EQ(program("use util { f, g }"),
              "[Use { module: \"util\", alias: None, items: Some([\"f\", \"g\"]) }]");
    EXPECT_EQ(program("use util { f g, }"),
              "[Use { module: \"util\", alias: None, items: Some([\"f\", \"g\"]) }]");
    EXPECT_EQ(program("use util {}"), "[Use { module: \"util\", alias: None, items: Some([]) }]");
    EXPECT_EQ(program("use util as; x"),
              "[Use { module: \"util\", alias: None, items: None }, Expr(Identifier(\"x\"))]");
    // Non-identifiers inside the item list are skipped.
    EXPECT_EQ(program("use util { f, \"g\", 3 h }"),
              "[Use { module: \"util\", alias: None, items: Some([\"f\", \"h\"]) }]");
    EXPECT_EQ(program("use http"), "[Use { module: \"http\", alias: None, items: None }]");
    EXPECT_EQ(program("use 5"), "[Expr(Number(5))]");
}

// ---- Expressions -----------------------------------------------------------------------

TEST(Expressions, Precedence) {
    EXPECT_EQ(expr("1 + 2 * 3"),
              "BinaryOp { left: Number(1), op: Plus, right: BinaryOp { left: Number(2), op: "
              "Star, right: Number(3) } }");
    EXPECT_EQ(expr("a or b and c"),
              "BinaryOp { left: Identifier(\"a\"), op: Or, right: BinaryOp { left: "
              "Identifier(\"b\"), op: And, right: Identifier(\"c\") } }");
    EXPECT_EQ(expr("a == b < c"),
              "BinaryOp { left: Identifier(\"a\"), op: Equal, right: BinaryOp { left: "
              "Identifier(\"b\"), op: Less, right: Identifier(\"c\") } }");
    EXPECT_EQ(expr("not a == b"),
              "BinaryOp { left: UnaryOp { op: Not, operand: Identifier(\"a\") }, op: Equal, "
              "right: Identifier(\"b\") }");
    EXPECT_EQ(expr("-2 ** 2"),
              "BinaryOp { left: UnaryOp { op: Minus, operand: Number(2) }, op: Power, right: "
              "Number(2) }");
    EXPECT_EQ(expr("-x ** 2"),
              "BinaryOp { left: UnaryOp { op: Minus, operand: Identifier(\"x\") }, op: Power, "
              "right: Number(2) }");
    EXPECT_EQ(expr("a .. b + 1"),
              "Range { start: Identifier(\"a\"), end: BinaryOp { left: Identifier(\"b\"), op: "
              "Plus, right: Number(1) } }");
    EXPECT_EQ(expr("2 * 3 ** 2"),
              "BinaryOp { left: Number(2), op: Star, right: BinaryOp { left: Number(3), op: "
              "Power, right: Number(2) } }");
    EXPECT_EQ(expr("(1 + 2) * 3"),
              "BinaryOp { left: BinaryOp { left: Number(1), op: Plus, right: Number(2) }, op: "
              "Star, right: Number(3) }");
    EXPECT_EQ(expr("a != b"),
              "BinaryOp { left: Identifier(\"a\"), op: NotEqual, right: Identifier(\"b\") }");
    EXPECT_EQ(expr("a <= b >= c"),
              "BinaryOp { left: BinaryOp { left: Identifier(\"a\"), op: LessEqual, right: "
              "Identifier(\"b\") }, op: GreaterEqual, right: Identifier(\"c\") }");
    EXPECT_EQ(expr("7 % 3 / 2"),
              "BinaryOp { left: BinaryOp { left: Number(7), op: Percent, right: Number(3) }, "
              "op: Slash, right: Number(2) }");
}

TEST(Expressions, LeftAssociative) {
    EXPECT_EQ(expr("a < b < c"),
              "BinaryOp { left: BinaryOp { left: Identifier(\"a\"), op: Less, right: "
              "Identifier(\"b\") }, op: Less, right: Identifier(\"c\") }");
    EXPECT_EQ(expr("2 ** 3 ** 2"),
              "BinaryOp { left: BinaryOp { left: Number(2), op: Power, right: Number(3) }, op: "
              "Power, right: Number(2) }");
    EXPECT_EQ(expr("1 - 2 - 3"),
              "BinaryOp { left: BinaryOp { left: Number(1), op: Minus, right: Number(2) }, op: "
              "Minus, right: Number(3) }");
    EXPECT_EQ(expr("a or b or c"),
              "BinaryOp { left: BinaryOp { left: Identifier(\"a\"), op: Or, right: "
              "Identifier(\"b\") }, op: Or, right: Identifier(\"c\") }");
}

TEST(Expressions, Unary) {
    EXPECT_EQ(expr("-x"), "UnaryOp { op: Minus, operand: Identifier(\"x\") }");
    EXPECT_EQ(expr("not x"), "UnaryOp { op: Not, operand: Identifier(\"x\") }");
    EXPECT_EQ(expr("!x"), "UnaryOp { op: Not, operand: Identifier(\"x\") }");
    EXPECT_EQ(expr("- -x"),
              "UnaryOp { op: Minus, operand: UnaryOp { op: Minus, operand: Identifier(\"x\") } }");
    EXPECT_EQ(expr("-f(x)"),
              "UnaryOp { op: Minus, operand: Call { name: \"f\", args: [Identifier(\"x\")] } }");
    EXPECT_EQ(expr("+ 1"), "BinaryOp { left: Number(0), op: Plus, right: Number(1) }");
}

TEST(Expressions, Ranges) {
    EXPECT_EQ(expr("0..n"), "Range { start: Number(0), end: Identifier(\"n\") }");
    EXPECT_EQ(expr("1..5"), "Range { start: Number(1), end: Number(5) }");
    EXPECT_EQ(expr("a..b < c"),
              "BinaryOp { left: Range { start: Identifier(\"a\"), end: Identifier(\"b\") }, op: "
              "Less, right: Identifier(\"c\") }");
    // At most one range: the second ".." ends the expression and starts a new statement
    // whose missing start reads as Number(0).
    EXPECT_EQ(program("a..b..c"),
              "[Expr(Range { start: Identifier(\"a\"), end: Identifier(\"b\") }), "
              "Expr(Range { start: Number(0), end: Identifier(\"c\") })]");
    EXPECT_EQ(expr("(a..b)..c"),
              "Range { start: Range { start: Identifier(\"a\"), end: Identifier(\"b\") }, end: "
              "Identifier(\"c\") }");
    EXPECT_EQ(expr("x.y..z"),
              "Range { start: Index { object: Identifier(\"x\"), index: String(\"y\") }, end: "
              "Identifier(\"z\") }");
}

TEST(Expressions, Postfix) {
    EXPECT_EQ(expr("a.b"), "Index { object: Identifier(\"a\"), index: String(\"b\") }");
    EXPECT_EQ(expr("a[\"b\"]"), "Index { object: Identifier(\"a\"), index: String(\"b\") }");
    EXPECT_EQ(expr("a[0][1]"),
              "Index { object: Index { object: Identifier(\"a\"), index: Number(0) }, index: "
              "Number(1) }");
    EXPECT_EQ(expr("p.x.y"),
              "Index { object: Index { object: Identifier(\"p\"), index: String(\"x\") }, "
              "index: String(\"y\") }");
    // A lone "." not followed by a name is skipped.
    EXPECT_EQ(expr("a.5"), "not one expression: [Expr(Identifier(\"a\")), Expr(Number(5))]");
    // A "." followed by neither a name nor "." is consumed alone.
    EXPECT_EQ(expr("a.(1)"), "Call { name: \"a\", args: [Number(1)] }");
    EXPECT_EQ(expr("a.\"b\""),
              "not one expression: [Expr(Identifier(\"a\")), "
              "Expr(String(\"b\"))]");
}

TEST(Expressions, CallNameForms) {
    EXPECT_EQ(expr("f(a, b)"),
              "Call { name: \"f\", args: [Identifier(\"a\"), Identifier(\"b\")] }");
    EXPECT_EQ(expr("sdl2.draw_line(a, b, c, d)"),
              "Call { name: \"sdl2.draw_line\", args: [Identifier(\"a\"), Identifier(\"b\"), "
              "Identifier(\"c\"), Identifier(\"d\")] }");
    EXPECT_EQ(expr("m.a.f(1)"),
              "Call { name: \"f\", args: [Index { object: Identifier(\"m\"), index: "
              "String(\"a\") }, Number(1)] }");
    EXPECT_EQ(expr("[1, 2].len()"),
              "Call { name: \"len\", args: [Array([Number(1), Number(2)])] }");
    EXPECT_EQ(expr("f(1)(2)"),
              "Call { name: \"call\", args: [Call { name: \"f\", args: [Number(1)] }, "
              "Number(2)] }");
    EXPECT_EQ(expr("x[0](a)"),
              "Call { name: \"call\", args: [Index { object: Identifier(\"x\"), index: "
              "Number(0) }, Identifier(\"a\")] }");
    EXPECT_EQ(expr("m[\"f\"](1)"), "Call { name: \"m.f\", args: [Number(1)] }");
    EXPECT_EQ(expr("(f)(1)"), "Call { name: \"f\", args: [Number(1)] }");
    EXPECT_EQ(expr("\"s\".upper()"), "Call { name: \"upper\", args: [String(\"s\")] }");
}

TEST(Expressions, CallsAreNumberedAndInterned) {
    NameTable names;
    StmtList statements = parse("f(g()) sdl2.clear()", names);
    ASSERT_EQ(statements.size(), 2u);
    const auto& outer = node_cast<CallExpr>(*node_cast<ExprStmt>(*statements[0]).expr);
    const auto& inner = node_cast<CallExpr>(*outer.args[0]);
    const auto& dotted = node_cast<CallExpr>(*node_cast<ExprStmt>(*statements[1]).expr);
    EXPECT_EQ(inner.id, 0u);  // made first: the arguments are parsed before the call node
    EXPECT_EQ(outer.id, 1u);
    EXPECT_EQ(dotted.id, 2u);
    EXPECT_EQ(names.text(dotted.symbol), "sdl2.clear");
}

TEST(Expressions, ArgumentLists) {
    EXPECT_EQ(expr("[1 2 3]"), "Array([Number(1), Number(2), Number(3)])");
    EXPECT_EQ(expr("[1, 2, 3,]"), "Array([Number(1), Number(2), Number(3)])");
    EXPECT_EQ(expr("f(,)"), "Call { name: \"f\", args: [Number(0)] }");
    EXPECT_EQ(expr("f(a b)"), "Call { name: \"f\", args: [Identifier(\"a\"), Identifier(\"b\")] }");
    // A token that starts no expression is skipped.
    EXPECT_EQ(expr("f(a : b)"),
              "Call { name: \"f\", args: [Identifier(\"a\"), Identifier(\"b\")] }");
    EXPECT_EQ(expr("[1 => 2]"), "Array([Number(1), Number(2)])");
    // Missing closers are tolerated at the end of the text.
    EXPECT_EQ(expr("f(1, [2"), "Call { name: \"f\", args: [Number(1), Array([Number(2)])] }");
    EXPECT_EQ(expr("(1 + 2"), "BinaryOp { left: Number(1), op: Plus, right: Number(2) }");
    EXPECT_EQ(expr("a[1"), "Index { object: Identifier(\"a\"), index: Number(1) }");
}

TEST(Expressions, DictLiterals) {
    EXPECT_EQ(expr("{a: 1 b: 2,}"), "Dict([(\"a\", Number(1)), (\"b\", Number(2))])");
    // Quoted keys and other non-names are skipped; a key without ":" is dropped.
    EXPECT_EQ(expr("{\"a\": 1, b: 2}"), "Dict([(\"b\", Number(2))])");
    EXPECT_EQ(expr("{a 1, b: 2}"), "Dict([(\"b\", Number(2))])");
    EXPECT_EQ(expr("{a: }"), "Dict([(\"a\", Number(0))])");
    EXPECT_EQ(expr("{a: {b: [1]}}"), "Dict([(\"a\", Dict([(\"b\", Array([Number(1)]))]))])");
    // A block written where a statement is expected reads as a dictionary literal.
    EXPECT_EQ(program("{ print(x) }"), "[Expr(Dict([]))]");
    EXPECT_EQ(program("{ let x = 1 }"), "[Expr(Dict([]))]");
}

// ---- Recovery -----------------

TEST(Recovery, DocumentedExamples) {
    EXPECT_EQ(program("let 5"), "[Expr(Number(5))]");
    EXPECT_EQ(program("for i 1 {}"), "[Expr(Number(1)), Expr(Dict([]))]");
    EXPECT_EQ(program("let x = ;"), "[Let { name: \"x\", value: Number(0) }]");
    EXPECT_EQ(program("let x 5"), "[Expr(Number(5))]");
}

TEST(Recovery, FailingStatements) {
    EXPECT_EQ(program("def (a) { }"), "[Expr(Identifier(\"a\")), Expr(Dict([]))]");
    EXPECT_EQ(program("def f { }"), "[Expr(Dict([]))]");
    EXPECT_EQ(program("def f(a { }"), "[Expr(Dict([]))]");
    EXPECT_EQ(program("def f() x"), "[Expr(Identifier(\"x\"))]");
    EXPECT_EQ(program("if x y"), "[Expr(Identifier(\"y\"))]");
    EXPECT_EQ(program("while x y"), "[Expr(Identifier(\"y\"))]");
    EXPECT_EQ(program("for 1"), "[Expr(Number(1))]");
    EXPECT_EQ(program("match x y"), "[Expr(Identifier(\"y\"))]");
    EXPECT_EQ(program("try x"), "[Expr(Identifier(\"x\"))]");
    EXPECT_EQ(program("try {} catch {}"), "[Expr(Dict([]))]");
    EXPECT_EQ(program("try {} catch e x"), "[Expr(Identifier(\"x\"))]");
    EXPECT_EQ(program("global 1"), "[Expr(Number(1))]");
}

TEST(Recovery, StrayTokensAreSkipped) {
    EXPECT_EQ(program(")"), "[]");
    EXPECT_EQ(program("} ] : , => -> = ? else in catch as"), "[]");
    // A lone ";" is an expression statement whose expression is missing.
    EXPECT_EQ(program(";"), "[Expr(Number(0))]");
    EXPECT_EQ(program(") x"), "[Expr(Identifier(\"x\"))]");
    EXPECT_EQ(program("} x = 1"), "[Assign { name: \"x\", value: Number(1) }]");
}

TEST(Recovery, IndexAndMemberAssignment) {
    EXPECT_EQ(program("a[0] = 1"),
              "[Expr(Index { object: Identifier(\"a\"), index: Number(0) }), Expr(Number(1))]");
    EXPECT_EQ(program("p.x = 2"),
              "[Expr(Index { object: Identifier(\"p\"), index: String(\"x\") }), "
              "Expr(Number(2))]");
}

TEST(Recovery, MissingClosersAtEnd) {
    EXPECT_EQ(program("def f() { return 1"),
              "[Function { name: \"f\", params: [], body: [Return(Some(Number(1)))] }]");
    EXPECT_EQ(program("while x { if y { a"),
              "[While { condition: Identifier(\"x\"), body: [If { condition: "
              "Identifier(\"y\"), then_body: [Expr(Identifier(\"a\"))], else_body: None }] }]");
    EXPECT_EQ(program("match v { 1 => "),
              "[Match { expr: Identifier(\"v\"), arms: [(Value(Number(1)), "
              "[Expr(Number(0))])] }]");
    EXPECT_EQ(program("use m {a"), "[Use { module: \"m\", alias: None, items: Some([\"a\"]) }]");
}

TEST(Recovery, BlockLeftoversInsideBlocks) {
    // Inside a block, a token that starts nothing is skipped without leaving the block.
    EXPECT_EQ(program("if x { ) a } b"),
              "[If { condition: Identifier(\"x\"), then_body: [Expr(Identifier(\"a\"))], "
              "else_body: None }, Expr(Identifier(\"b\"))]");
}

// ---- Names -----------------------------------------------------------------------------

TEST(Names, InterningIsShared) {
    NameTable names;
    StmtList first = parse("let x = y", names);
    StmtList second = parse("x = 1 for y in z {}", names);
    const auto& let = node_cast<AssignStmt>(*first[0]);
    const auto& assign = node_cast<AssignStmt>(*second[0]);
    EXPECT_EQ(let.symbol, assign.symbol);
    const auto& value = node_cast<IdentifierExpr>(*let.value);
    const auto& loop = node_cast<ForStmt>(*second[1]);
    EXPECT_EQ(value.symbol, loop.var_symbol);
    EXPECT_EQ(names.text(loop.var_symbol), "y");
    EXPECT_NE(let.symbol, value.symbol);
    EXPECT_EQ(names.intern("x"), let.symbol);
    const size_t before = names.size();
    EXPECT_EQ(names.intern("fresh"), before);
    EXPECT_EQ(names.size(), before + 1);
}

TEST(Names, EveryNameHasItsSymbol) {
    NameTable names;
    StmtList statements =
        parse("global g try {} catch e {} a += 1 def f(p) {} for i in r {}", names);
    ASSERT_EQ(statements.size(), 5u);
    EXPECT_EQ(names.text(node_cast<GlobalStmt>(*statements[0]).symbol), "g");
    EXPECT_EQ(names.text(node_cast<TryStmt>(*statements[1]).catch_symbol), "e");
    EXPECT_EQ(names.text(node_cast<CompoundAssignStmt>(*statements[2]).symbol), "a");
    EXPECT_EQ(names.text(node_cast<FunctionStmt>(*statements[3]).symbol), "f");
    EXPECT_EQ(names.text(node_cast<ForStmt>(*statements[4]).var_symbol), "i");
}

// ---- Nesting limits --------------------------------------------------------------------

TEST(Nesting, WithinTheLimitIsKept) {
    const int n = 200;
    std::string source = std::string(n, '(') + "1" + std::string(n, ')');
    EXPECT_EQ(expr(source), "Number(1)");
    std::string arrays = std::string(n, '[') + std::string(n, ']');
    std::string expected = "Array([])";
    for (int i = 1; i < n; ++i)
        expected = "Array([" + expected + "])";
    EXPECT_EQ(expr(arrays), expected);
}

TEST(Nesting, TooDeepIsDroppedQuietly) {
    const int n = 100000;
    // Parentheses: the innermost construct is dropped and reads as Number(0).
    EXPECT_EQ(expr(std::string(n, '(') + "1" + std::string(n, ')')), "Number(0)");
    // Something after the deep construct is still parsed.
    EXPECT_EQ(program(std::string(n, '[') + std::string(n, ']') + " x").substr(0, 8), "[Expr(Ar");
    NameTable names;
    StmtList after = parse(std::string(n, '{') + std::string(n, '}') + " x", names);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(debug_text(*after[1]), "Expr(Identifier(\"x\"))");
}

TEST(Nesting, DeepBlocksAndOperators) {
    const int n = 100000;
    std::string blocks;
    for (int i = 0; i < n; ++i)
        blocks += "if a {";
    blocks += "x";
    blocks += std::string(n, '}');
    blocks += " y";
    NameTable names;
    StmtList statements = parse(blocks, names);
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(debug_text(*statements[1]), "Expr(Identifier(\"y\"))");

    StmtList unary = parse(std::string(n, '-') + "1 z", names);
    ASSERT_EQ(unary.size(), 2u);
    EXPECT_EQ(debug_text(*unary[1]), "Expr(Identifier(\"z\"))");
    StmtList nots = parse(std::string(n, '!') + "1", names);
    EXPECT_EQ(nots.size(), 1u);
}

TEST(Nesting, LongChainsStayShallow) {
    const int n = 200000;
    std::string sum = "x = 1";
    std::string calls = "f";
    std::string members = "a";
    for (int i = 0; i < n; ++i) {
        sum += " + 1";
        calls += "(1)";
        members += ".m[0]";
    }
    NameTable names;
    // Parsing and destroying the trees must neither crash nor recurse without bound.
    EXPECT_EQ(parse(sum, names).size(), 1u);
    EXPECT_EQ(parse(calls, names).size(), 1u);
    EXPECT_EQ(parse(members, names).size(), 1u);
}

}  // namespace
}  // namespace tarnel

namespace tarnel {
namespace {

// The side record for tools: the same tree, what was dropped or skipped, the token range of
// each statement and the token of each operator and call.
TEST(Parser, RecordTellsWhatWasDroppedAndWhereNodesLie) {
    // Tokens: for0 i1 1(2) f3 (4 a5 +6 b7 )8 )9 if10 a11 {12 }13 else14 if15 b16 {17 }18
    const std::vector<Token> tokens = tokenize("for i 1\nf(a + b))\nif a {} else if b {}");
    NameTable names;
    ParseRecord record;
    const StmtList statements = parse_program(tokens, names, record);
    NameTable plain_names;
    EXPECT_EQ(debug_text(statements), debug_text(parse_program(tokens, plain_names)));
    std::string events;
    for (const ParseEvent& event : record.events) {
        events += std::to_string(static_cast<int>(event.kind)) + ":" + std::to_string(event.first) +
                  "-" + std::to_string(event.end) + " ";
    }
    // Dropped "for i"; no expression at the stray ")", which is then skipped; a lone "else".
    EXPECT_EQ(events, "1:0-2 5:9-9 0:9-10 4:14-15 ");
    std::string ranges;
    for (const StmtPtr& statement : statements) {
        const TokenRange range = record.statements.at(statement.get());
        ranges += std::to_string(range.first) + "-" + std::to_string(range.end) + " ";
    }
    EXPECT_EQ(ranges, "2-3 3-9 10-15 15-19 ");
    const Expr& call = *node_cast<ExprStmt>(*statements[1]).expr;
    EXPECT_EQ(record.expressions.at(&call), 3u);
    EXPECT_EQ(record.expressions.at(node_cast<CallExpr>(call).args[0].get()), 6u);
}

}  // namespace
}  // namespace tarnel
