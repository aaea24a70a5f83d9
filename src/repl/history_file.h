// The shell's history on disk: whole inputs, one per line, the newest last.
//
// A line feed inside an input is written as "\n" and a backslash as "\\", so a multi-line
// input stays one entry. The file is appended to after each input and cut back to its newest
// `limit` entries once it holds more. Every failure to read or write is silent: history is a
// convenience, never a reason to stop the shell.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

constexpr size_t kHistoryLimit = 1000;

// $XDG_STATE_HOME/tarnel/history, or $HOME/.local/state/tarnel/history when XDG_STATE_HOME is
// unset, empty or relative; nothing without either. Arguments are the two variables' values
// (null when unset).
std::optional<std::filesystem::path> history_path(const char* state_home, const char* home);

std::string encode_history_entry(std::string_view entry);
std::string decode_history_entry(std::string_view line);

class HistoryFile {
  public:
    explicit HistoryFile(std::filesystem::path path, size_t limit = kHistoryLimit);

    // The newest `limit` entries, oldest first; none when the file cannot be read.
    std::vector<std::string> load();
    // Adds `entry` at the end, creating the folders and the file (private to the user) as
    // needed.
    void append(std::string_view entry);

  private:
    void cut_back();

    std::filesystem::path path_;
    size_t limit_;
    size_t entries_ = 0;  // in the file, as far as this shell knows
};

}  // namespace tarnel
