#include <gtest/gtest.h>

#include <limits>

#include "input_scan.h"
#include "support/utf8.h"

namespace tarnel {
namespace {

TEST(TrimWhiteSpace, RemovesUnicodeWhiteSpaceAtBothEnds) {
    EXPECT_EQ(trim_white_space("  exit \r\n"), "exit");
    EXPECT_EQ(trim_white_space("\t\v\fquit\n"), "quit");
    // no-break space, ideographic space, line separator, next line
    EXPECT_EQ(trim_white_space("\xc2\xa0\xe3\x80\x80x = 1\xe2\x80\xa8\xc2\x85"), "x = 1");
    EXPECT_EQ(trim_white_space(" a  b "), "a  b");
    EXPECT_EQ(trim_white_space(" \n"), "");
    EXPECT_EQ(trim_white_space(""), "");
}

TEST(TrimWhiteSpace, KeepsFormatCharactersThatAreNotWhiteSpace) {
    // zero-width space and the byte order mark are not White_Space
    EXPECT_EQ(trim_white_space("\xe2\x80\x8bx\xef\xbb\xbf"), "\xe2\x80\x8bx\xef\xbb\xbf");
}

TEST(BracketDepth, CountsBracketsTextually) {
    BracketDepth depth;
    depth.scan("def f(a) {");
    EXPECT_TRUE(depth.waiting());
    EXPECT_FALSE(depth.balanced());
    depth.scan("print(\"(\") # [");
    EXPECT_EQ(depth.paren_depth(), 2);
    EXPECT_EQ(depth.brace_depth(), 1);
    depth.scan("]) }");
    EXPECT_TRUE(depth.balanced());
}

TEST(BracketDepth, NegativeDepthRunsAtOnceButKeepsTheContinuationPrompt) {
    BracketDepth depth;
    depth.scan("print(\"]\")");
    EXPECT_EQ(depth.paren_depth(), -1);
    EXPECT_FALSE(depth.waiting());
    EXPECT_FALSE(depth.balanced());
    depth.scan("{[");
    EXPECT_TRUE(depth.waiting());  // the brace is open although the paren count is 0
}

TEST(BracketDepth, SaturatesInsteadOfWrapping) {
    constexpr int32_t lowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t highest = std::numeric_limits<int32_t>::max();
    BracketDepth low(lowest + 1, lowest);
    low.scan(")]}}");
    EXPECT_EQ(low.paren_depth(), lowest);
    EXPECT_EQ(low.brace_depth(), lowest);
    low.scan("(");
    EXPECT_EQ(low.paren_depth(), lowest + 1);
    BracketDepth high(highest, highest - 1);
    high.scan("({{");
    EXPECT_EQ(high.paren_depth(), highest);
    EXPECT_EQ(high.brace_depth(), highest);
}

}  // namespace
}  // namespace tarnel
