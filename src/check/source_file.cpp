// Loading a file for the checker, and positions in it.
#include "source_file.h"

#include <algorithm>

#include "support/text_file.h"

namespace tarnel {

namespace {

bool is_continuation_byte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

SourcePosition SourceFile::position_at(uint32_t offset) const {
    const auto next_line = std::upper_bound(line_starts.begin(), line_starts.end(), offset);
    const uint32_t start = *(next_line - 1);
    const std::string_view before = std::string_view(text).substr(start, offset - start);
    const auto columns = std::count_if(before.begin(), before.end(),
                                       [](char c) { return !is_continuation_byte(c); });
    return {static_cast<uint32_t>(next_line - line_starts.begin()),
            static_cast<uint32_t>(columns + 1)};
}

SourcePosition SourceFile::token_position(size_t token) const {
    return position_at(lex.tokens[std::min(token, lex.tokens.size() - 1)].begin);
}

std::string_view SourceFile::token_text(size_t first, size_t end) const {
    end = std::min(end, lex.tokens.size());
    if (end <= first) return {};
    const uint32_t begin = lex.tokens[first].begin;
    return std::string_view(text).substr(begin, lex.tokens[end - 1].end - begin);
}

std::unique_ptr<SourceFile> load_source_file(const std::string& path, std::string& error) {
    std::optional<std::string> text = read_text_file(path, FileRule::RegularOnly, error);
    if (!text) return nullptr;
    auto file = std::make_unique<SourceFile>();
    file->path = path;
    file->text = std::move(*text);
    file->tokens = tokenize(file->text, file->lex);
    file->statements = parse_program(file->tokens, file->names, file->parse);
    file->line_starts.push_back(0);
    for (size_t i = 0; i < file->text.size(); ++i) {
        if (file->text[i] == '\n') file->line_starts.push_back(static_cast<uint32_t>(i + 1));
    }
    return file;
}

std::string quote_source(std::string_view text) {
    constexpr size_t kLongest = 40;
    std::string out;
    size_t characters = 0;
    bool space = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            space = !out.empty();
            continue;
        }
        if (!is_continuation_byte(c)) {
            if (characters + (space ? 1 : 0) >= kLongest) return out + " ...";
            if (space) {
                out += ' ';
                ++characters;
            }
            space = false;
            ++characters;
        }
        out += c;
    }
    return out;
}

}  // namespace tarnel
