#include "script_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tarnel {
namespace {

class ReadSourceFile : public ::testing::Test {
  protected:
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tarnel-read-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(folder / "dir.tn"); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

TEST_F(ReadSourceFile, ReturnsTheWholeText) {
    std::string big(200000, 'x');  // more than one read
    std::string error;
    EXPECT_EQ(read_source_file(write("big.tn", big), error), big);
    EXPECT_EQ(read_source_file(write("empty.tn", ""), error), "");
}

TEST_F(ReadSourceFile, ReportsEachFailureOnOneLine) {
    std::string error;
    EXPECT_FALSE(read_source_file((folder / "missing.tn").string(), error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(read_source_file((folder / "dir.tn").string(), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(read_source_file(write("bad.tn", "ok\n\xff\xfe\n"), error));
    EXPECT_EQ(error, "stream did not contain valid UTF-8");
}

TEST(FormatMilliseconds, ThreeDecimalsAndNoPadding) {
    EXPECT_EQ(format_milliseconds(0.042), "0.042ms");
    EXPECT_EQ(format_milliseconds(0.0), "0.000ms");
    EXPECT_EQ(format_milliseconds(1234.5678), "1234.568ms");
}

}  // namespace
}  // namespace tarnel
