// The builtin table called directly: dispatch, argument rules, conversions and the behaviour
// of each family. Console input is covered by the script tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "builtins/builtins.h"
#include "graphics/graphics.h"

namespace tarnel {
namespace {

class BuiltinsTest : public ::testing::Test {
  protected:
    Value call(std::string_view name, std::vector<Value> args = {}) {
        auto result = call_builtin(name, args, graphics_);
        EXPECT_TRUE(result.has_value()) << name;
        return result ? *result : Value::null();
    }
    // The printed form of a call's result, which is what scripts observe.
    std::string show(std::string_view name, std::vector<Value> args = {}) {
        return display_string(call(name, std::move(args)));
    }

    GraphicsState graphics_;
};

Value n(int64_t x) {
    return Value::number(x);
}
Value f(double x) {
    return Value::real(x);
}
Value s(std::string text) {
    return Value::string(std::move(text));
}
Value arr(std::initializer_list<Value> items) {
    return Value::array(ValueList(items));
}

constexpr std::string_view kAllNames[] = {
    "print",         "input",    "typeof",       "is_number", "is_string", "is_array",
    "is_dict",       "len",      "concat",       "upper",     "lower",     "slice",
    "split",         "contains", "push",         "pop",       "reverse",   "abs",
    "pow",           "sqrt",     "floor",        "ceil",      "round",     "min",
    "max",           "random",   "random_range", "rect",      "color",     "circle",
    "triangle",      "window",   "clear",        "present",   "is_open",   "window_width",
    "window_height", "draw",     "fill",
};

TEST(BuiltinTable, ResolvesEveryNameToItsOwnId) {
    std::vector<BuiltinId> seen;
    for (std::string_view name : kAllNames) {
        const BuiltinId id = find_builtin(name);
        ASSERT_NE(id, kNotBuiltin) << name;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), id), 0) << name;
        seen.push_back(id);
    }
    EXPECT_EQ(seen.size(), 39u);
}

TEST(BuiltinTable, RejectsNearMisses) {
    for (std::string_view name : {"", "p", "Print", "prin", "printx", "window_heights",
                                  "sdl2.clear", "is_open_", "window_widthx", "frobnicate"}) {
        EXPECT_EQ(find_builtin(name), kNotBuiltin) << name;
    }
    GraphicsState graphics;
    std::vector<Value> args{Value::number(1)};
    EXPECT_FALSE(call_builtin("frobnicate", args, graphics).has_value());
}

TEST_F(BuiltinsTest, TooFewArgumentsGiveNull) {
    for (std::string_view name : {"input", "typeof", "len", "upper", "lower", "pop", "reverse",
                                  "abs", "sqrt", "floor", "ceil", "round"}) {
        EXPECT_TRUE(call(name).is_null()) << name;
    }
    EXPECT_TRUE(call("slice", {s("abc"), n(0)}).is_null());
    EXPECT_TRUE(call("split", {s("a,b")}).is_null());
    EXPECT_TRUE(call("min", {n(1)}).is_null());
    EXPECT_TRUE(call("random_range", {n(1)}).is_null());
    EXPECT_TRUE(call("triangle", {n(1), n(2), n(3), n(4), n(5)}).is_null());
    for (std::string_view name : {"is_number", "is_string", "is_array", "is_dict"}) {
        EXPECT_EQ(show(name), "false") << name;
    }
    EXPECT_EQ(show("len", {s("h\xc3\xa9llo")}), "6");  // bytes, not characters
}

TEST_F(BuiltinsTest, CaseMappingUsesFullUnicodeMappings) {
    EXPECT_EQ(show("upper", {s("stra\xc3\x9f"
                               "e")}),
              "STRASSE");
    EXPECT_EQ(show("upper", {s("h\xc3\xa9llo 42!")}), "H\xc3\x89LLO 42!");
    EXPECT_EQ(show("lower", {s("ABC def")}), "abc def");
    // Capital sigma ends a word -> final sigma; inside a word -> ordinary small sigma.
    EXPECT_EQ(show("lower", {s("\xce\x9f\xce\x94\xce\x9f\xce\xa3")}),
              "\xce\xbf\xce\xb4\xce\xbf\xcf\x82");
    EXPECT_EQ(show("lower", {s("\xce\xa3\xce\x91")}), "\xcf\x83\xce\xb1");
    EXPECT_TRUE(call("upper", {n(5)}).is_null());
}

TEST_F(BuiltinsTest, CaseMappingLeavesTheCallersTextAlone) {
    Value text = s("abc");
    Value copy = text;
    EXPECT_EQ(show("upper", {copy}), "ABC");
    EXPECT_EQ(text.as_string(), "abc");
}

TEST_F(BuiltinsTest, SliceCountsCharactersWithUnsignedSkipAndCount) {
    EXPECT_EQ(show("slice", {s("hello"), n(1), n(3)}), "el");
    EXPECT_EQ(show("slice", {s("h\xc3\xa9llo"), n(0), n(2)}), "h\xc3\xa9");
    EXPECT_EQ(show("slice", {s("hello"), n(2), n(100)}), "llo");
    EXPECT_EQ(show("slice", {s("hello"), n(3), n(3)}), "");
    EXPECT_EQ(show("slice", {s("hello"), n(-1), n(3)}), "");   // skips everything
    EXPECT_EQ(show("slice", {s("hello"), n(3), n(1)}), "lo");  // count wraps to huge
    EXPECT_EQ(show("slice", {s("h\xc3\xa9llo"), n(1), n(0)}), "\xc3\xa9llo");
    EXPECT_EQ(show("slice", {s("hello"), f(1.9), f(3.2)}), "el");
    EXPECT_TRUE(call("slice", {arr({n(1)}), n(0), n(1)}).is_null());
    EXPECT_TRUE(call("slice", {s("hello"), s("0"), n(2)}).is_null());
}

TEST_F(BuiltinsTest, SplitKeepsEveryPiece) {
    EXPECT_EQ(show("split", {s("a,b,,c"), s(",")}), "[a, b, , c]");
    EXPECT_EQ(show("split", {s(",a,"), s(",")}), "[, a, ]");
    EXPECT_EQ(show("split", {s("a::b"), s("::")}), "[a, b]");
    EXPECT_EQ(call("split", {s(""), s(",")}).as_array().size(), 1u);
    EXPECT_EQ(show("split", {s("h\xc3\xa9y"), s("")}), "[, h, \xc3\xa9, y, ]");
    EXPECT_EQ(call("split", {s(""), s("")}).as_array().size(), 2u);
    EXPECT_EQ(show("split", {n(12321), n(2)}), "[1, 3, 1]");
    const Value pieces = call("split", {arr({n(1), n(2)}), s(",")});
    EXPECT_EQ(pieces.as_array()[1].as_string(), " 2]");
}

TEST_F(BuiltinsTest, PushAppendsInPlaceOnlyWhenUnshared) {
    Value items = arr({n(1), n(2)});
    const ValueList* payload = &items.as_array();
    std::vector<Value> args{std::move(items), n(3)};
    Value grown = call_builtin(find_builtin("push"), args, graphics_);
    EXPECT_EQ(&grown.as_array(), payload);
    EXPECT_EQ(display_string(grown), "[1, 2, 3]");

    Value kept = grown;  // a variable still holds the array: the builtin must copy
    Value longer = call("push", {kept, n(4), n(5)});
    EXPECT_EQ(display_string(longer), "[1, 2, 3, 4]");
    EXPECT_EQ(display_string(kept), "[1, 2, 3]");
    EXPECT_TRUE(call("push", {s("ab"), s("c")}).is_null());
}

TEST_F(BuiltinsTest, PopAndReverse) {
    EXPECT_EQ(show("pop", {arr({n(1), arr({n(2)})})}), "[2]");
    EXPECT_TRUE(call("pop", {arr({})}).is_null());
    EXPECT_TRUE(call("pop", {s("abc")}).is_null());

    Value items = arr({n(1), arr({n(2), n(3)}), n(4)});
    Value shared = items;
    EXPECT_EQ(show("reverse", {shared}), "[4, [2, 3], 1]");
    EXPECT_EQ(display_string(items), "[1, [2, 3], 4]");
    const ValueList* payload = &items.as_array();
    shared = Value();
    std::vector<Value> args{std::move(items)};
    Value reversed = call_builtin(find_builtin("reverse"), args, graphics_);
    EXPECT_EQ(&reversed.as_array(), payload);
    EXPECT_EQ(display_string(reversed), "[4, [2, 3], 1]");
    EXPECT_TRUE(call("reverse", {s("abc")}).is_null());
}

TEST_F(BuiltinsTest, RoundingGoesThroughDoublesAndSaturates) {
    EXPECT_EQ(show("round", {f(2.5)}), "3");
    EXPECT_EQ(show("round", {f(-2.5)}), "-3");
    EXPECT_EQ(show("round", {f(0.49999999999999994)}), "0");
    EXPECT_EQ(show("floor", {f(-2.5)}), "-3");
    EXPECT_EQ(show("ceil", {f(-0.5)}), "0");
    EXPECT_EQ(show("floor", {f(1e300)}), "9223372036854775807");
    EXPECT_EQ(show("ceil", {f(-1e300)}), "-9223372036854775808");
    EXPECT_EQ(show("floor", {f(std::nan(""))}), "0");
    EXPECT_EQ(show("floor", {n(9007199254740993)}), "9007199254740992");
    EXPECT_TRUE(call("round", {s("2")}).is_null());
}

TEST_F(BuiltinsTest, ResultVariantsAreFixedPerBuiltin) {
    EXPECT_EQ(debug_string(call("abs", {n(-5)})), "Number(5)");
    EXPECT_EQ(show("abs", {n(INT64_MIN)}), "-9223372036854775808");  // no magnitude fits
    EXPECT_EQ(debug_string(call("pow", {n(2), n(10)})), "Float(1024.0)");
    EXPECT_EQ(show("pow", {n(0), n(-1)}), "inf");
    EXPECT_EQ(show("sqrt", {n(-1)}), "NaN");
    EXPECT_EQ(debug_string(call("max", {n(3), n(7)})), "Float(7.0)");
    EXPECT_EQ(show("min", {n(4), f(2.5), n(9)}), "2.5");
    EXPECT_EQ(show("min", {n(3), s("a")}), "3");
    EXPECT_EQ(show("max", {arr({n(9)}), n(2)}), "2");
    EXPECT_TRUE(call("min", {s("a"), s("b")}).is_null());
}

TEST_F(BuiltinsTest, RandomStaysInTheUnitInterval) {
    for (int i = 0; i < 1000; ++i) {
        const Value r = call("random");
        ASSERT_TRUE(r.is(ValueKind::Float));
        ASSERT_GE(r.as_float(), 0.0);
        ASSERT_LT(r.as_float(), 1.0);
    }
}

TEST_F(BuiltinsTest, ShapeConstructorsNarrowToFieldWidth) {
    EXPECT_EQ(show("rect", {f(1.9), f(2.9), f(10.5), f(20.5)}), "Rect(1, 2, 10, 20)");
    EXPECT_EQ(show("rect", {n(4294967297), n(-1), n(-1), n(3000000000)}),
              "Rect(1, -1, 4294967295, 3000000000)");
    EXPECT_EQ(show("color", {n(256), n(-1), n(300), n(9)}), "Color(0, 255, 44)");
    EXPECT_EQ(show("circle", {n(10), n(10), n(-1)}), "Circle(10, 10, 4294967295)");
    EXPECT_EQ(show("triangle", {n(3000000000), f(-1.9), n(0), n(0), n(0), n(4294967295)}),
              "Triangle(-1294967296, -1, 0, 0, 0, -1)");
    EXPECT_TRUE(call("rect", {n(0), n(0), s("10"), n(10)}).is_null());
    EXPECT_TRUE(call("circle", {Value::boolean(true), n(1), n(1)}).is_null());
}

}  // namespace
}  // namespace tarnel
