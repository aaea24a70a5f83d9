#include "support/interrupt.h"
#include "support/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace tarnel {
namespace {

class ReadTextFile : public ::testing::Test {
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

TEST_F(ReadTextFile, ReturnsTheWholeText) {
    std::string big(200000, 'x');  // more than one read
    std::string error;
    EXPECT_EQ(read_text_file(write("big.tn", big), FileRule::AnyReadable, error), big);
    EXPECT_EQ(read_text_file(write("empty.tn", ""), FileRule::AnyReadable, error), "");
}

TEST_F(ReadTextFile, ReportsEachFailureOnOneLine) {
    std::string error;
    EXPECT_FALSE(read_text_file((folder / "missing.tn").string(), FileRule::AnyReadable, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(read_text_file((folder / "dir.tn").string(), FileRule::AnyReadable, error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(read_text_file(write("bad.tn", "ok\n\xff\xfe\n"), FileRule::AnyReadable, error));
    EXPECT_EQ(error, "stream did not contain valid UTF-8");
}

TEST_F(ReadTextFile, RegularOnlyRefusesWhatIsNotAFileWithoutReading) {
    std::string error;
    EXPECT_FALSE(read_text_file((folder / "dir.tn").string(), FileRule::RegularOnly, error));
    EXPECT_EQ(error, "Is a directory");
    std::string fifo = (folder / "fifo.tn").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(read_text_file(fifo, FileRule::RegularOnly, error));  // no writer: must not wait
    EXPECT_EQ(error, "Not a regular file");
    EXPECT_FALSE(read_text_file("/dev/zero", FileRule::RegularOnly, error));  // never ends
    EXPECT_EQ(error, "Not a regular file");
}

TEST_F(ReadTextFile, ANulCharacterNamesNoFile) {
    std::string path = write("page", "text");
    std::string error;
    EXPECT_FALSE(read_text_file(path + std::string("\0.html", 6), FileRule::RegularOnly, error));
    EXPECT_EQ(error, "Invalid argument");
}

}  // namespace
}  // namespace tarnel

// A Ctrl-C that comes just before a read must not leave the read asleep.
TEST(WaitForInput, GivesUpOnAnInterruptThatCameFirstAndOtherwiseWaitsForData) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    {
        const tarnel::InterruptCatcher catcher;
        std::raise(SIGINT);
        EXPECT_FALSE(tarnel::wait_for_input(ends[0]));  // returns although the pipe is empty
        tarnel::clear_interrupt();
        ASSERT_EQ(::write(ends[1], "x", 1), 1);
        EXPECT_TRUE(tarnel::wait_for_input(ends[0]));
    }
    ::close(ends[0]);
    ::close(ends[1]);
}
