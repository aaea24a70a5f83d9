// The line editor on libedit, built as the plugin editor_backend.h describes.
#include <histedit.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <new>

#include "editor_backend.h"

namespace tarnel {

namespace {

struct EditorDeleter {
    void operator()(EditLine* editor) const { el_end(editor); }
};
struct HistoryDeleter {
    void operator()(History* history) const { history_end(history); }
};

bool is_name_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || c == '_' || c == '.';
}

std::string common_prefix(const std::vector<std::string>& words) {
    std::string prefix = words.front();
    for (const std::string& word : words) {
        auto [end, ignored] = std::mismatch(prefix.begin(), prefix.end(), word.begin(), word.end());
        prefix.erase(end, prefix.end());
    }
    return prefix;
}

}  // namespace

class EditlineBackend final : public EditorBackend {
  public:
    explicit EditlineBackend(const EditorHooks& hooks);
    bool started() const { return entries && editor; }
    LineEditor::Status read(std::string_view prompt, std::string& text) override;
    void add_history(const std::string& entry) override;

  private:
    EditorHooks hooks;
    std::string prompt;
    std::unique_ptr<History, HistoryDeleter> entries{history_init()};
    // Destroyed first: the editor refers to the history.
    std::unique_ptr<EditLine, EditorDeleter> editor{el_init("tarnel", stdin, stdout, stderr)};

    static EditlineBackend& of(EditLine* editor) {
        void* self = nullptr;
        el_get(editor, EL_CLIENTDATA, &self);
        return *static_cast<EditlineBackend*>(self);
    }

    static char* show_prompt(EditLine* editor) { return of(editor).prompt.data(); }

    // Reads one character as the editor's own reader does, but gives up on Ctrl-C also when
    // it came just before the read began, which the editor's reader would sleep through.
    static int read_char(EditLine* editor, wchar_t* out) {
        const EditlineBackend& self = of(editor);
        *out = L'\0';
        char bytes[MB_LEN_MAX];
        size_t count = 0;
        for (;;) {
            if (!self.hooks.wait_for_input(STDIN_FILENO)) {
                errno = EINTR;
                return -1;
            }
            const ssize_t got = ::read(STDIN_FILENO, bytes + count, 1);
            if (got < 0 && errno == EINTR) continue;  // another signal: the flag decides
            if (got <= 0) return static_cast<int>(got);
            ++count;
            std::mbstate_t state{};
            const size_t used = std::mbrtowc(out, bytes, count, &state);
            if (used == static_cast<size_t>(-2) && count < sizeof bytes) continue;
            if (used >= static_cast<size_t>(-2)) {
                count = 0;  // not a character: dropped
                continue;
            }
            return 1;
        }
    }

    // Tab: completes the name before the cursor as far as all candidates agree; when they
    // agree no further, lists them below the line.
    static unsigned char complete(EditLine* editor, int) {
        EditlineBackend& self = of(editor);
        const LineInfo* line = el_line(editor);
        const char* start = line->cursor;
        while (start > line->buffer && is_name_byte(start[-1]))
            --start;
        const std::string word(start, line->cursor);
        const std::vector<std::string> found = (*self.hooks.completer)(word);
        if (found.empty()) return CC_REFRESH_BEEP;
        const std::string prefix = common_prefix(found);
        if (prefix.size() > word.size()) {
            if (el_insertstr(editor, prefix.c_str() + word.size()) != 0) return CC_ERROR;
            return CC_REFRESH;
        }
        if (found.size() == 1) return CC_REFRESH;
        std::string listing = "\n";
        for (const std::string& name : found)
            listing += name + "  ";
        listing += '\n';
        std::fputs(listing.c_str(), stdout);
        std::fflush(stdout);
        return CC_REDISPLAY;
    }
};

EditlineBackend::EditlineBackend(const EditorHooks& hooks) : hooks(hooks) {
    if (!started()) return;
    EditLine* line_editor = editor.get();
    HistEvent event;
    history(entries.get(), &event, H_SETSIZE, static_cast<int>(hooks.history_limit));
    el_set(line_editor, EL_CLIENTDATA, this);
    el_set(line_editor, EL_EDITOR, "emacs");
    // The editor puts the terminal back in order on a stop, a hang-up or Ctrl-C, then passes
    // the signal on to the handler it found (the shell's own for Ctrl-C).
    el_set(line_editor, EL_SIGNAL, 1);
    el_set(line_editor, EL_HIST, history, entries.get());
    el_set(line_editor, EL_PROMPT, &EditlineBackend::show_prompt);
    el_set(line_editor, EL_GETCFN, &EditlineBackend::read_char);
    // Wide strings: the editor keeps them as they are (narrow ones it copies and never frees).
    el_wset(line_editor, EL_ADDFN, L"tarnel-complete", L"Complete a name",
            &EditlineBackend::complete);
    el_set(line_editor, EL_BIND, "^I", "tarnel-complete", nullptr);
    el_source(line_editor, nullptr);  // the user's own key bindings (~/.editrc)
}

LineEditor::Status EditlineBackend::read(std::string_view shown, std::string& text) {
    prompt = shown;
    int count = 0;
    errno = 0;
    const char* line = el_gets(editor.get(), &count);
    if (line == nullptr || count <= 0) {
        return errno == EINTR ? LineEditor::Status::Interrupted : LineEditor::Status::End;
    }
    text.assign(line, static_cast<size_t>(count));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return LineEditor::Status::Line;
}

void EditlineBackend::add_history(const std::string& entry) {
    HistEvent event;
    history(entries.get(), &event, H_ENTER, entry.c_str());
}

}  // namespace tarnel

extern "C" __attribute__((visibility("default"))) tarnel::EditorBackend* tarnel_line_editor(
    const tarnel::EditorHooks& hooks) {
    auto backend = std::make_unique<tarnel::EditlineBackend>(hooks);
    if (!backend->started()) return nullptr;
    return backend.release();  // owned by the caller from here on
}
