// The shell's line editor at a terminal: editing keys, whole-input history and Tab
// completion. The one place that talks to the editing library, so nothing else depends on it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class LineEditor {
  public:
    // The names that may replace `word`, the text before the cursor back to the last character
    // that cannot be part of a name (letters, digits, "_", "." and all non-ASCII bytes can).
    using Completer = std::function<std::vector<std::string>(std::string_view word)>;

    explicit LineEditor(Completer completer);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    enum class Status {
        Line,         // `text` holds what was entered, without the final line feed
        Interrupted,  // Ctrl-C: the line was dropped
        End,          // end of input or a read error
    };
    // Shows `prompt` and reads one entry; a recalled multi-line entry comes back whole, with
    // its line feeds.
    Status read(std::string_view prompt, std::string& text);

    // Adds an entry to the list that Up and Down walk through.
    void add_history(const std::string& entry);

    struct Impl;  // the editing library's objects

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarnel
