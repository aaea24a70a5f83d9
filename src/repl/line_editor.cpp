#include "line_editor.h"

#include <histedit.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <new>

#include "history_file.h"
#include "support/interrupt.h"

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

struct LineEditor::Impl {
    Completer completer;
    std::string prompt;
    std::unique_ptr<History, HistoryDeleter> entries{history_init()};
    // Destroyed first: the editor refers to the history.
    std::unique_ptr<EditLine, EditorDeleter> editor{el_init("tarnel", stdin, stdout, stderr)};

    static Impl& of(EditLine* editor) {
        void* self = nullptr;
        el_get(editor, EL_CLIENTDATA, &self);
        return *static_cast<Impl*>(self);
    }

    static char* show_prompt(EditLine* editor) { return of(editor).prompt.data(); }

    // Reads one character as the editor's own reader does, but gives up on Ctrl-C also when
    // it came before the read began, which the editor's reader would sleep through.
    static int read_char(EditLine*, wchar_t* out) {
        *out = L'\0';
        char bytes[MB_LEN_MAX];
        size_t count = 0;
        for (;;) {
            if (interrupt_requested()) {
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
        Impl& self = of(editor);
        const LineInfo* line = el_line(editor);
        const char* start = line->cursor;
        while (start > line->buffer && is_name_byte(start[-1]))
            --start;
        const std::string word(start, line->cursor);
        const std::vector<std::string> found = self.completer(word);
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

LineEditor::LineEditor(Completer completer) : impl_(std::make_unique<Impl>()) {
    if (!impl_->entries || !impl_->editor) throw std::bad_alloc();
    impl_->completer = std::move(completer);
    EditLine* editor = impl_->editor.get();
    HistEvent event;
    history(impl_->entries.get(), &event, H_SETSIZE, static_cast<int>(kHistoryLimit));
    el_set(editor, EL_CLIENTDATA, impl_.get());
    el_set(editor, EL_EDITOR, "emacs");
    // The editor puts the terminal back in order on a stop, a hang-up or Ctrl-C, then passes
    // the signal on to the handler it found (the shell's own for Ctrl-C).
    el_set(editor, EL_SIGNAL, 1);
    el_set(editor, EL_HIST, history, impl_->entries.get());
    el_set(editor, EL_PROMPT, &Impl::show_prompt);
    el_set(editor, EL_GETCFN, &Impl::read_char);
    // Wide strings: the editor keeps them as they are (narrow ones it copies and never frees).
    el_wset(editor, EL_ADDFN, L"tarnel-complete", L"Complete a name", &Impl::complete);
    el_set(editor, EL_BIND, "^I", "tarnel-complete", nullptr);
    el_source(editor, nullptr);  // the user's own key bindings (~/.editrc)
}

LineEditor::~LineEditor() = default;

LineEditor::Status LineEditor::read(std::string_view prompt, std::string& text) {
    impl_->prompt = prompt;
    int count = 0;
    errno = 0;
    const char* line = el_gets(impl_->editor.get(), &count);
    if (line == nullptr || count <= 0) return errno == EINTR ? Status::Interrupted : Status::End;
    text.assign(line, static_cast<size_t>(count));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return Status::Line;
}

void LineEditor::add_history(const std::string& entry) {
    HistEvent event;
    history(impl_->entries.get(), &event, H_ENTER, entry.c_str());
}

}  // namespace tarnel
