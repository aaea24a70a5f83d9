#include "driver/command_line.h"

#include <gtest/gtest.h>

namespace tarnel {
namespace {

Command parse(std::vector<std::string> arguments) {
    return parse_command(arguments);
}

command::Run run(std::string path, bool debug = false, bool extra_debug = false) {
    return command::Run{std::move(path), debug, extra_debug};
}

TEST(ParseCommand, NoFileStartsTheShellWhateverTheFlags) {
    EXPECT_EQ(parse({}), Command{command::Shell{}});
    EXPECT_EQ(parse({"-d"}), Command{command::Shell{}});
    EXPECT_EQ(parse({"-D"}), Command{command::Shell{}});
    EXPECT_EQ(parse({"-d", "--verbose", ""}), Command{command::Shell{}});
}

TEST(ParseCommand, HelpAndVersionStopTheScanAndTheFirstWins) {
    EXPECT_EQ(parse({"script.tn", "-h"}), Command{command::Help{}});
    EXPECT_EQ(parse({"-d", "x.tn", "-h", "-v"}), Command{command::Help{}});
    EXPECT_EQ(parse({"-v", "-h"}), Command{command::Version{}});
    EXPECT_EQ(parse({"-V", "-H", "--help", "-v"}), Command{command::Version{}});
}

TEST(ParseCommand, FlagsMayComeAnywhere) {
    EXPECT_EQ(parse({"script.tn", "-d"}), Command{run("script.tn", true)});
    EXPECT_EQ(parse({"-d", "script.tn"}), Command{run("script.tn", true)});
    EXPECT_EQ(parse({"script.tn", "-D"}), Command{run("script.tn", true, true)});
    EXPECT_EQ(parse({"-D", "-d", "script.tn"}), Command{run("script.tn", true, true)});
}

TEST(ParseCommand, OnlyTheFirstFileLikeArgumentCounts) {
    EXPECT_EQ(parse({"a.tn", "b.tn"}), Command{run("a.tn")});
    EXPECT_EQ(parse({"--verbose", "-x", "-dD", "-", "a.tn"}), Command{run("a.tn")});
    // An empty argument takes no place: the next file still counts.
    EXPECT_EQ(parse({"", "a.tn"}), Command{run("a.tn")});
    // Not valid text, yet a perfectly good byte path.
    EXPECT_EQ(parse({"\xff\xfe.tn"}), Command{run("\xff\xfe.tn")});
}

TEST(ScriptExtension, AcceptsOnlyExactlyTn) {
    EXPECT_TRUE(has_script_extension("main.tn"));
    EXPECT_TRUE(has_script_extension("dir/sub.d/main.tn"));
    EXPECT_TRUE(has_script_extension("lib.v2\\main.tn"));
    EXPECT_TRUE(has_script_extension("..tn"));
    EXPECT_TRUE(has_script_extension("a.b.tn"));
    EXPECT_FALSE(has_script_extension("notes.TN"));
    EXPECT_FALSE(has_script_extension("a.tn.bak"));
    EXPECT_FALSE(has_script_extension("main.tn."));
    EXPECT_FALSE(has_script_extension("script"));
    EXPECT_FALSE(has_script_extension(""));
}

TEST(ScriptExtension, LooksOnlyAtTheLastComponent) {
    EXPECT_FALSE(has_script_extension(".tn"));
    EXPECT_FALSE(has_script_extension("dir/.tn"));
    EXPECT_FALSE(has_script_extension("dir\\.tn"));
    EXPECT_FALSE(has_script_extension("dir.tn/file"));
    EXPECT_FALSE(has_script_extension("dir.tn\\file"));
    EXPECT_FALSE(has_script_extension("dir.tn/"));
}

}  // namespace
}  // namespace tarnel
