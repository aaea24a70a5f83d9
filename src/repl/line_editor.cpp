#include "line_editor.h"

#include <stdexcept>

#include "editor_backend.h"
#include "history_file.h"
#include "support/interrupt.h"

namespace tarnel {

namespace {

Plugin load_plugin() {
    std::optional<Plugin> plugin = Plugin::load(kEditorPlugin);
    if (!plugin) throw std::runtime_error("no line editor plugin");
    return std::move(*plugin);
}

}  // namespace

LineEditor::LineEditor(Completer completer)
    : plugin_(load_plugin()), completer_(std::move(completer)) {
    auto factory = reinterpret_cast<EditorFactory>(plugin_.symbol(kEditorEntry));
    if (factory == nullptr) throw std::runtime_error("no line editor in the plugin");
    const EditorHooks hooks{&completer_, &wait_for_input, kHistoryLimit};
    backend_.reset(factory(hooks));
    if (!backend_) throw std::runtime_error("the line editor cannot start");
}

LineEditor::~LineEditor() = default;

LineEditor::Status LineEditor::read(std::string_view prompt, std::string& text) {
    return backend_->read(prompt, text);
}

void LineEditor::add_history(const std::string& entry) {
    backend_->add_history(entry);
}

}  // namespace tarnel
