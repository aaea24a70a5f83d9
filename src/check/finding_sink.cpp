// Collecting findings, and the comments that silence them: "# tarnel-check: ignore[name]"
// (several names separated by commas) silences those checks on the comment's line.
#include "finding_sink.h"

#include <algorithm>

namespace tarnel {

namespace {

constexpr std::string_view kIgnoreMarker = "tarnel-check: ignore[";

std::string_view trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace

FindingSink::FindingSink(const SourceFile& file, const CheckOptions& options)
    : file_(file), options_(options) {
    for (const SourceSpan& comment : file.lex.comments) {
        std::string_view text =
            std::string_view(file.text).substr(comment.begin, comment.end - comment.begin);
        const size_t marker = text.find(kIgnoreMarker);
        if (marker == std::string_view::npos) continue;
        text.remove_prefix(marker + kIgnoreMarker.size());
        text = text.substr(0, text.find(']'));
        const uint32_t line = file.position_at(comment.begin).line;
        while (!text.empty()) {
            const size_t comma = text.find(',');
            if (const auto check = find_check(trim(text.substr(0, comma))))
                ignored_.emplace(line, *check);
            text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        }
    }
}

bool FindingSink::enabled(CheckId check) const {
    return std::find(options_.disabled.begin(), options_.disabled.end(), check) ==
           options_.disabled.end();
}

void FindingSink::at_offset(uint32_t offset, CheckId check, std::string message) {
    if (!enabled(check)) return;
    const SourcePosition position = file_.position_at(offset);
    if (ignored_.count({position.line, check})) return;
    findings_.push_back({position.line, position.column, check, std::move(message)});
}

void FindingSink::at_token(size_t token, CheckId check, std::string message) {
    const size_t last = file_.lex.tokens.size() - 1;
    at_offset(file_.lex.tokens[std::min(token, last)].begin, check, std::move(message));
}

std::vector<Finding> FindingSink::take() {
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    });
    return std::move(findings_);
}

}  // namespace tarnel
