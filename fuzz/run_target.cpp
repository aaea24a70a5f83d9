// Fuzz target: whole script runs, with everything they print discarded.
//
// An input whose first byte is 0x01 runs with the trace lines on (option -D); the byte is
// dropped. Inputs that are not valid UTF-8 are skipped, as the script runner rejects them, and so
// are inputs that mention "http", "sdl2" or "window": those are the only ways to reach the
// network, to block in a server or to open a window. Each run has a small call-depth limit and
// a time budget, so every input ends quickly.
//
// The process is set up once: standard input reads /dev/null, standard output and error go to
// /dev/null (libFuzzer's -close_fd_mask=3, which keeps libFuzzer's own messages and sanitizer
// reports on the original standard error; -close_fd_mask=0 shows a run's output), and each run
// works in a private temporary folder holding two small modules, since modules are read from
// the working directory.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter.h"
#include "lexer/lexer.h"
#include "parser/parser.h"
#include "support/utf8.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCallDepth = 200;
constexpr auto kTimeBudget = std::chrono::milliseconds(100);
constexpr char kTraceOn = '\x01';
constexpr std::string_view kSkipped[] = {"http", "sdl2", "window"};

// Modules for `use`: one that exports a value and a function and uses itself, and one that is
// not UTF-8 and so fails to load.
constexpr std::string_view kModuleM = "let x = 1\ndef f(a) { return a + x }\nuse m\n";
constexpr std::string_view kModuleBad = "let y = \"\xff\"\n";

// A file descriptor, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

void write_file(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The private working folder of the runs, removed with everything in it at exit.
class Workplace {
  public:
    Workplace() {
        std::string pattern = (fs::temp_directory_path() / "tarnel-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        write_file(folder_ / "m.tn", kModuleM);
        write_file(folder_ / "bad.tn", kModuleBad);
    }
    ~Workplace() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    Workplace(const Workplace&) = delete;
    Workplace& operator=(const Workplace&) = delete;
    const fs::path& folder() const { return folder_; }

  private:
    fs::path folder_;
};

// Works in the private folder while it lives; libFuzzer's own files (corpus, artifacts) are
// named relative to the folder it was started in.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : home_(open(".", O_RDONLY | O_DIRECTORY)) {
        if (home_.get() < 0 || chdir(folder.c_str()) != 0) std::abort();
    }
    ~InFolder() {
        if (fchdir(home_.get()) != 0) std::abort();
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    Descriptor home_;
};

// The process-wide set-up; libFuzzer's C entry points leave no other place to keep it.
Workplace& workplace() {
    static Workplace instance;
    return instance;
}

// The command line with this target's defaults in front, so that flags given explicitly win.
// libFuzzer keeps using it for the life of the process.
struct Arguments {
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

bool has_flag(const std::vector<std::string>& texts, std::string_view flag) {
    for (const std::string& text : texts) {
        if (std::string_view(text).starts_with(flag)) return true;
    }
    return false;
}

void set_up_arguments(int* argc, char*** argv) {
    static Arguments arguments;
    std::vector<std::string>& texts = arguments.texts;
    texts.assign(*argv, *argv + *argc);
    if (!has_flag(texts, "-close_fd_mask=")) texts.insert(texts.begin() + 1, "-close_fd_mask=3");
    // Artifacts are written while a run is in the private folder, so their prefix must be
    // absolute.
    const std::string home = fs::current_path().string() + "/";
    for (std::string& text : texts) {
        for (std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path="}) {
            if (text.starts_with(flag) && text.size() > flag.size() && text[flag.size()] != '/') {
                text.insert(flag.size(), home);
            }
        }
    }
    if (!has_flag(texts, "-artifact_prefix="))
        texts.insert(texts.begin() + 1, "-artifact_prefix=" + home);
    arguments.pointers.clear();
    for (std::string& text : texts)
        arguments.pointers.push_back(text.data());
    arguments.pointers.push_back(nullptr);
    *argc = static_cast<int>(texts.size());
    *argv = arguments.pointers.data();
}

bool is_skipped(std::string_view text) {
    for (std::string_view word : kSkipped) {
        if (text.find(word) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

// A single allocation past 64 MiB fails (throwing std::bad_alloc, see throwing_new.cpp), which
// the interpreter reports as running out of memory, instead of ending the process. The limit is
// low so that no single operation (which polls no clock) takes long.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=64";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    set_up_arguments(argc, argv);
    Descriptor null_input(open("/dev/null", O_RDONLY));
    if (null_input.get() < 0 || dup2(null_input.get(), STDIN_FILENO) < 0) std::abort();
    workplace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool trace = !text.empty() && text.front() == kTraceOn;
    if (trace) text.remove_prefix(1);
    if (!tarnel::is_valid_utf8(text) || is_skipped(text)) return -1;  // -1: not kept in the corpus

    auto names = std::make_shared<tarnel::NameTable>();
    std::shared_ptr<const tarnel::Unit> program = tarnel::load_source(text, *names);
    tarnel::RunLimits limits;
    limits.max_call_depth = kCallDepth;
    limits.deadline = std::chrono::steady_clock::now() + kTimeBudget;
    InFolder in_workplace(workplace().folder());
    tarnel::run_program(std::move(program), trace, names, limits);
    return 0;
}
