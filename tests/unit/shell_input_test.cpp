#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "completion.h"
#include "history_file.h"
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

TEST(HistoryPath, FollowsTheStateFolderConvention) {
    EXPECT_EQ(history_path("/s", "/h"), "/s/tarnel/history");
    EXPECT_EQ(history_path(nullptr, "/h"), "/h/.local/state/tarnel/history");
    EXPECT_EQ(history_path("relative", "/h"), "/h/.local/state/tarnel/history");
    EXPECT_EQ(history_path("", nullptr), std::nullopt);
}

TEST(HistoryFile, KeepsMultiLineInputsWholeAndOnlyTheNewest) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("tarnel-history-" + std::to_string(::getpid()));
    const fs::path path = folder / "state" / "history";
    {
        HistoryFile file(path, 3);
        file.append("def f(a) {\nreturn \"\\n\"\n}");
        for (const char* entry : {"a", "b", "c"})
            file.append(entry);
    }
    EXPECT_EQ(HistoryFile(path, 3).load(), (std::vector<std::string>{"a", "b", "c"}));
    HistoryFile file(path, 3);
    file.load();
    file.append("def f(a) {\nreturn \"\\n\"\n}");
    EXPECT_EQ(HistoryFile(path, 10).load(),
              (std::vector<std::string>{"b", "c", "def f(a) {\nreturn \"\\n\"\n}"}));
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "b");  // the file itself was cut back
    fs::remove_all(folder);

    HistoryFile nowhere("/proc/no-such/history");
    nowhere.append("x");  // silently not written
    EXPECT_TRUE(nowhere.load().empty());
}

TEST(Completions, OfferEveryKindOfNameOnce) {
    EXPECT_EQ(completions("pri", {}), (std::vector<std::string>{"print"}));
    EXPECT_EQ(completions("wh", {"whole"}), (std::vector<std::string>{"while", "whole"}));
    EXPECT_EQ(completions("sdl2.draw_r", {}), (std::vector<std::string>{"sdl2.draw_rect"}));
    EXPECT_EQ(completions("http.p", {}), (std::vector<std::string>{"http.page", "http.post"}));
    EXPECT_EQ(completions("m.", {"m.area", "m.pi", "m.area"}),
              (std::vector<std::string>{"m.area", "m.pi"}));
}

}  // namespace
}  // namespace tarnel
