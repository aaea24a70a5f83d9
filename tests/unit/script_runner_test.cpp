#include "driver/script_runner.h"

#include <gtest/gtest.h>

namespace tarnel {
namespace {

TEST(FormatMilliseconds, ThreeDecimalsAndNoPadding) {
    EXPECT_EQ(format_milliseconds(0.042), "0.042ms");
    EXPECT_EQ(format_milliseconds(0.0), "0.000ms");
    EXPECT_EQ(format_milliseconds(1234.5678), "1234.568ms");
}

}  // namespace
}  // namespace tarnel
