// JSON text of values: scalars, containers, and values without a JSON form.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "http/http.h"

namespace tarnel {
namespace {

Value str(const char* text) {
    return Value::string(text);
}

TEST(JsonTest, IntegersAndBooleans) {
    EXPECT_EQ(to_json(Value::number(-42)), "-42");
    EXPECT_EQ(to_json(Value::number(0)), "0");
    EXPECT_EQ(to_json(Value::number(std::numeric_limits<int64_t>::min())), "-9223372036854775808");
    EXPECT_EQ(to_json(Value::boolean(true)), "true");
    EXPECT_EQ(to_json(Value::boolean(false)), "false");
}

TEST(JsonTest, FloatsUsePositionalShortestForm) {
    EXPECT_EQ(to_json(Value::real(2.0)), "2");
    EXPECT_EQ(to_json(Value::real(2.5)), "2.5");
    EXPECT_EQ(to_json(Value::real(1e21)), "1000000000000000000000");
    EXPECT_EQ(to_json(Value::real(1e-7)), "0.0000001");
    EXPECT_EQ(to_json(Value::real(-0.0)), "-0");
    EXPECT_EQ(to_json(Value::real(std::nan(""))), "NaN");
    EXPECT_EQ(to_json(Value::real(-std::numeric_limits<double>::infinity())), "-inf");
}

TEST(JsonTest, StringsAreCopiedWithoutEscaping) {
    EXPECT_EQ(to_json(str("say \"hi\"")), "\"say \"hi\"\"");
    EXPECT_EQ(to_json(str("a\\b\tc\nd")), "\"a\\b\tc\nd\"");
    EXPECT_EQ(to_json(str("日本")), "\"日本\"");
    EXPECT_EQ(to_json(str("")), "\"\"");
}

TEST(JsonTest, NestedContainersHaveNoSpaces) {
    DictMap inner;
    inner.emplace("k", Value::boolean(true));
    Value nested = Value::array({Value::number(1), Value::array({Value::real(2.5), str("a")}),
                                 Value::dict(std::move(inner))});
    EXPECT_EQ(to_json(nested), "[1,[2.5,\"a\"],{\"k\":true}]");
    EXPECT_EQ(to_json(Value::array({})), "[]");
    EXPECT_EQ(to_json(Value::dict({})), "{}");
    EXPECT_EQ(to_json(Value::array(
                  {Value::array({}), Value::array({Value::array({})}), Value::dict({})})),
              "[[],[[]],{}]");
}

TEST(JsonTest, TwoEntryDictUsesOneCommaInIterationOrder) {
    DictMap map;
    map.emplace("a", Value::number(1));
    map.emplace("b", Value::array({Value::number(2), str("c")}));
    std::string text = to_json(Value::dict(map));
    EXPECT_TRUE(text == "{\"a\":1,\"b\":[2,\"c\"]}" || text == "{\"b\":[2,\"c\"],\"a\":1}") << text;
}

TEST(JsonTest, ValuesWithoutCounterpartAreNull) {
    EXPECT_EQ(to_json(Value::null()), "null");
    EXPECT_EQ(to_json(Value::error("boom")), "null");
    EXPECT_EQ(to_json(Value::builtin_function("http.get")), "null");
    EXPECT_EQ(to_json(Value::rect({0, 0, 1, 1})), "null");
    EXPECT_EQ(to_json(Value::array({Value::color({1, 2, 3}), Value::circle({1, 2, 3}),
                                    Value::triangle({1, 2, 3, 4, 5, 6}), Value::null()})),
              "[null,null,null,null]");
    DictMap map;
    map.emplace("e", Value::error("x"));
    EXPECT_EQ(to_json(Value::dict(std::move(map))), "{\"e\":null}");
}

}  // namespace
}  // namespace tarnel
