#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "http/http.h"
#include "values/operators.h"
#include "values/value.h"

namespace tarnel {
namespace {

TEST(FloatPrinting, ShortestDigitsInPositionalNotation) {
    EXPECT_EQ(format_float(3.0), "3");
    EXPECT_EQ(format_float(2.5), "2.5");
    EXPECT_EQ(format_float(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(format_float(1e21), "1000000000000000000000");
    EXPECT_EQ(format_float(1.5e-7), "0.00000015");
    EXPECT_EQ(format_float(123.456), "123.456");
    EXPECT_EQ(format_float(-0.0), "-0");
    EXPECT_EQ(format_float(0.0), "0");
    EXPECT_EQ(format_float(5e-324), "0." + std::string(323, '0') + "5");
    EXPECT_EQ(format_float(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(format_float(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(PrintedForm, EveryKind) {
    EXPECT_EQ(display_string(Value::number(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(display_string(Value::array({Value::number(1), Value::string("two"),
                                           Value::array({Value::real(3.5), Value()})})),
              "[1, two, [3.5, null]]");
    DictMap map;
    map.emplace("a", Value::number(1));
    EXPECT_EQ(display_string(Value::dict(map)), "{a: 1}");
    EXPECT_EQ(display_string(Value::builtin_function("sdl2.init")), "<builtin: sdl2.init>");
    EXPECT_EQ(display_string(Value::rect({1, -2, 3, 4294967295u})), "Rect(1, -2, 3, 4294967295)");
    EXPECT_EQ(display_string(Value::color({255, 0, 7})), "Color(255, 0, 7)");
    EXPECT_EQ(display_string(Value::triangle({0, 0, 1, 0, 0, 1})), "Triangle(0, 0, 1, 0, 0, 1)");
    EXPECT_EQ(display_string(Value::error("boom")), "Error: boom");
}

TEST(DebugForm, StructuralText) {
    EXPECT_EQ(debug_string(Value::real(3.0)), "Float(3.0)");
    EXPECT_EQ(debug_string(Value::real(1e16)), "Float(1e16)");
    EXPECT_EQ(debug_string(Value::real(1.5e-5)), "Float(1.5e-5)");
    EXPECT_EQ(debug_string(Value::string("a\"b\n")), "String(\"a\\\"b\\n\")");
    EXPECT_EQ(debug_string(Value::array({Value::number(1), Value::string("a")})),
              "Array([Number(1), String(\"a\")])");
    EXPECT_EQ(debug_string(Value::circle({10, 10, 5})), "Circle { x: 10, y: 10, radius: 5 }");
    EXPECT_EQ(debug_string(Value::builtin_function("sdl2.clear_screen")),
              "BuiltinFunction { name: \"sdl2.clear_screen\" }");
    EXPECT_EQ(debug_string(Value()), "Null");
}

TEST(TypesAndTruth, NamesAndTruthiness) {
    EXPECT_EQ(type_name(Value::number(1)), "number");
    EXPECT_EQ(type_name(Value::real(1)), "float");
    EXPECT_EQ(type_name(Value::rect({0, 0, 1, 1})), "unknown");
    EXPECT_EQ(type_name(Value()), "null");
    EXPECT_TRUE(is_truthy(Value::string("")));
    EXPECT_TRUE(is_truthy(Value::real(std::nan(""))));
    EXPECT_FALSE(is_truthy(Value::real(-0.0)));
    EXPECT_FALSE(is_truthy(Value::error("x")));
}

TEST(CopyOnWrite, CopiesShareUntilWritten) {
    Value a = Value::array({Value::number(1)});
    Value b = a;
    EXPECT_TRUE(a.shares_payload_with(b));
    b.mutable_array().push_back(Value::number(2));
    EXPECT_FALSE(a.shares_payload_with(b));
    EXPECT_EQ(display_string(a), "[1]");
    EXPECT_EQ(display_string(b), "[1, 2]");

    Value only = Value::string("x");
    const std::string* before = &only.as_string();
    only.mutable_string() += "y";
    EXPECT_EQ(&only.as_string(), before);  // unshared: written in place
}

TEST(Conversions, TruncateSaturateAndKeepLowBits) {
    EXPECT_EQ(to_int64(Value::real(-2.9)), -2);
    EXPECT_EQ(to_int64(Value::real(1e300)), INT64_MAX);
    EXPECT_EQ(to_int64(Value::real(-1e300)), INT64_MIN);
    EXPECT_EQ(to_int64(Value::real(std::nan(""))), 0);
    EXPECT_EQ(to_int32(Value::number(4294967297)), 1);
    EXPECT_EQ(to_int32(Value::number(3000000000)), -1294967296);
    EXPECT_EQ(to_uint8(Value::number(300)), 44);
    EXPECT_EQ(to_uint8(Value::number(-1)), 255);
    EXPECT_FALSE(to_double(Value::string("1")).has_value());
}

Value op(Value a, BinaryOperator kind, Value b) {
    return apply_operator(std::move(a), kind, b);
}

TEST(OperatorTable, IntegersWrapAndTruncate) {
    EXPECT_EQ(op(Value::number(INT64_MAX), BinaryOperator::Plus, Value::number(1)).as_number(),
              INT64_MIN);
    EXPECT_EQ(op(Value::number(-7), BinaryOperator::Slash, Value::number(2)).as_number(), -3);
    EXPECT_EQ(op(Value::number(-7), BinaryOperator::Percent, Value::number(3)).as_number(), -1);
    EXPECT_EQ(op(Value::number(INT64_MIN), BinaryOperator::Slash, Value::number(-1)).as_number(),
              INT64_MIN);
    EXPECT_EQ(op(Value::number(INT64_MIN), BinaryOperator::Percent, Value::number(-1)).as_number(),
              0);
    EXPECT_EQ(op(Value::number(2), BinaryOperator::Power, Value::number(64)).as_number(), 0);
    EXPECT_EQ(op(Value::number(3), BinaryOperator::Power, Value::number(-1)).as_number(),
              op(Value::number(3), BinaryOperator::Power, Value::number(4294967295)).as_number());
}

TEST(OperatorTable, UnsupportedCombinationsGiveNull) {
    EXPECT_TRUE(op(Value::number(1), BinaryOperator::Plus, Value::real(2)).is_null());
    EXPECT_TRUE(op(Value(), BinaryOperator::Equal, Value()).is_null());
    EXPECT_TRUE(op(Value::string("a"), BinaryOperator::Less, Value::string("b")).is_null());
    EXPECT_TRUE(op(Value::number(1), BinaryOperator::And, Value::number(1)).is_null());
    EXPECT_TRUE(op(Value::array({}), BinaryOperator::Equal, Value::array({})).is_null());
    EXPECT_TRUE(op(Value::boolean(true), BinaryOperator::Less, Value::boolean(false)).is_null());
}

TEST(OperatorTable, FloatsAndStrings) {
    EXPECT_TRUE(op(Value::real(0.1 + 0.2), BinaryOperator::Equal, Value::real(0.3)).as_boolean());
    double nan = std::nan("");
    EXPECT_FALSE(op(Value::real(nan), BinaryOperator::Equal, Value::real(nan)).as_boolean());
    EXPECT_FALSE(op(Value::real(nan), BinaryOperator::NotEqual, Value::real(nan)).as_boolean());
    EXPECT_EQ(op(Value::string("ab"), BinaryOperator::Plus, Value::string("cd")).as_string(),
              "abcd");
    Value shared = Value::string("ab");
    Value sum = op(shared, BinaryOperator::Plus, Value::string("c"));
    EXPECT_EQ(shared.as_string(), "ab");  // the other holder is untouched
    EXPECT_EQ(sum.as_string(), "abc");
}

TEST(MatchComparison, SameKindOnly) {
    EXPECT_TRUE(values_match(Value::number(1), Value::number(1)));
    EXPECT_FALSE(values_match(Value::number(1), Value::real(1)));
    EXPECT_TRUE(values_match(Value(), Value()));
    EXPECT_FALSE(values_match(Value::array({}), Value::array({})));
}

// Far deeper than any native stack allows one frame per level (the test runs on an ordinary
// thread): printing, debug forms, JSON and freeing must not recurse.
TEST(DeepNesting, PrintsAndFreesWithoutRecursion) {
    constexpr int kDepth = 200000;
    Value nested = Value::array({});
    for (int i = 0; i < kDepth; ++i) {
        if (i % 2 == 0) {
            nested = Value::array({std::move(nested)});
        } else {
            DictMap map;
            map.emplace("k", std::move(nested));
            nested = Value::dict(std::move(map));
        }
    }
    const std::string text = display_string(nested);
    EXPECT_EQ(text.size(), 7u * kDepth / 2 + 2);  // "[]" and "{k: }" alternate
    EXPECT_EQ(text.substr(0, 8), "{k: [{k:");
    EXPECT_EQ(debug_string(nested).substr(0, 24), "Dict({\"k\": Array([Dict({");
    EXPECT_EQ(to_json(nested).substr(0, 11), "{\"k\":[{\"k\":");
    Value shared = nested;  // freeing one holder leaves the other intact
    nested = Value();
    EXPECT_EQ(display_string(shared).size(), text.size());
}

// Lookups hold across the switch from scanning to the index, and a key keeps its place.
TEST(DictMapTest, FindsEveryKeyAtAnySize) {
    DictMap map;
    for (int i = 0; i < 100; ++i) {
        map.insert_or_assign("k" + std::to_string(i), Value::number(i));
        for (int j = 0; j <= i; ++j)
            ASSERT_EQ(map.find("k" + std::to_string(j)), static_cast<size_t>(j)) << i;
        EXPECT_EQ(map.find("k" + std::to_string(i + 1)), DictMap::npos);
    }
    map.insert_or_assign("k7", Value::number(-7));
    EXPECT_FALSE(map.emplace("k8", Value::number(-8)));
    EXPECT_EQ(map.size(), 100u);
    EXPECT_EQ(map.value(7).as_number(), -7);
    EXPECT_EQ(map.value(8).as_number(), 8);
    EXPECT_EQ(map.find("k50", DictMap::hash_of("k50"), 3), 50u);  // a wrong guess
}

}  // namespace
}  // namespace tarnel
