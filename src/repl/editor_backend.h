// What the line-editor plugin provides: the editing library behind LineEditor, loaded only when
// the shell runs at a terminal, so that scripts start without it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "line_editor.h"

namespace tarnel {

class EditorBackend {
  public:
    virtual ~EditorBackend() = default;
    virtual LineEditor::Status read(std::string_view prompt, std::string& text) = 0;
    virtual void add_history(const std::string& entry) = 0;
};

// What the program lends the plugin; it outlives the backend.
struct EditorHooks {
    const LineEditor::Completer* completer;
    bool (*wait_for_input)(int fd);  // false on the shell's Ctrl-C
    size_t history_limit;
};

inline constexpr const char* kEditorPlugin = "libtarnel_edit.so";
inline constexpr const char* kEditorEntry = "tarnel_line_editor";
// A new backend, owned by the caller, or null when the editing library cannot start.
using EditorFactory = EditorBackend* (*)(const EditorHooks& hooks);

}  // namespace tarnel
