// The shell's line editor at a terminal: editing keys, whole-input history and Tab
// completion. The editing library itself lives in a plugin (editor_backend.h), loaded when the
// first editor is made, so nothing else depends on it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/plugin.h"

namespace tarnel {

class EditorBackend;

class LineEditor {
  public:
    // The names that may replace `word`, the text before the cursor back to the last character
    // that cannot be part of a name (letters, digits, "_", "." and all non-ASCII bytes can).
    using Completer = std::function<std::vector<std::string>(std::string_view word)>;

    // Throws std::runtime_error when the plugin or the editing library cannot be had.
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

  private:
    Plugin plugin_;  // declared first: it must outlive the backend
    Completer completer_;
    std::unique_ptr<EditorBackend> backend_;
};

}  // namespace tarnel
