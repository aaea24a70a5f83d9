#include "support/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "support/utf8.h"

namespace tarnel {

namespace {

// Closes the descriptor when the read is over, whichever way it ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::optional<std::string> read_text_file(std::string_view path, FileRule rule,
                                          std::string& error) {
    if (path.find('\0') != std::string_view::npos) {
        // The C interfaces would read the file named by the part before the NUL.
        error = std::strerror(EINVAL);
        return std::nullopt;
    }
    const std::string terminated(path);
    // Non-blocking open: opening a FIFO with no writer must not wait when only regular files
    // are wanted. The flag does not change how regular files read.
    const int flags = O_RDONLY | O_CLOEXEC | (rule == FileRule::RegularOnly ? O_NONBLOCK : 0);
    FileDescriptor file(::open(terminated.c_str(), flags));
    if (file.get() < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    if (rule == FileRule::RegularOnly) {
        struct stat status;
        if (::fstat(file.get(), &status) != 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (!S_ISREG(status.st_mode)) {
            error = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "Not a regular file";
            return std::nullopt;
        }
    }
    std::string text;
    constexpr size_t kBufferSize = 1 << 16;
    // Left uninitialised: only what read() fills is touched.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    for (;;) {
        ssize_t got = ::read(file.get(), buffer.get(), kBufferSize);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);  // a directory script ends here with EISDIR
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(buffer.get(), static_cast<size_t>(got));
    }
    if (!is_valid_utf8(text)) {
        error = "stream did not contain valid UTF-8";
        return std::nullopt;
    }
    return text;
}

}  // namespace tarnel
