// What the parser skipped, dropped or filled in, told in the script's terms.
#include <algorithm>
#include <set>

#include "checks.h"
#include "tree_visit.h"

namespace tarnel {

namespace {

using K = TokenKind;

bool is_assignment_operator(TokenKind kind) {
    return kind == K::Assign || kind == K::PlusAssign || kind == K::MinusAssign ||
           kind == K::StarAssign || kind == K::SlashAssign;
}

std::string quoted(const SourceFile& file, size_t first, size_t end) {
    return "`" + quote_source(file.token_text(first, end)) + "`";
}

// Skipped tokens [first, end) in one context.
void report_skipped(const SourceFile& file, const ParseEvent& run, FindingSink& sink) {
    bool only_separators = true;
    for (size_t i = run.first; i < run.end; ++i) {
        const K kind = file.kind_at(i);
        only_separators = only_separators && (kind == K::Comma || kind == K::Semicolon);
    }
    if (only_separators) return;  // a stray "," or ";" loses nothing
    const std::string what = quoted(file, run.first, run.end);
    const K first = file.kind_at(run.first);
    switch (run.context) {
        case ParseContext::Statements:
            if (is_assignment_operator(first) && run.first >= 2) {
                const K before = file.kind_at(run.first - 1);
                const bool element = before == K::RBracket;
                const bool member =
                    before == K::Identifier && file.kind_at(run.first - 2) == K::Dot;
                if (element || member) {
                    sink.at_token(run.first, CheckId::IndexAssignment,
                                  std::string("assignment to ") +
                                      (element ? "an element" : "a member") +
                                      " assigns nothing: only plain names can be assigned; `" +
                                      std::string(file.token_text(run.first, run.first + 1)) +
                                      "` is skipped and the value is evaluated on its own");
                    return;
                }
            }
            sink.at_token(run.first, CheckId::SkippedCode,
                          what + " is skipped: it cannot start a statement");
            return;
        case ParseContext::Arguments:
            sink.at_token(run.first, CheckId::SkippedCode,
                          what + " is skipped: it cannot start an argument or element");
            return;
        case ParseContext::Dictionary:
            sink.at_token(run.first, CheckId::SkippedCode,
                          first == K::String
                              ? what + " is skipped: dictionary keys are bare names, not strings"
                              : what +
                                    " is skipped in a dictionary literal (keys are bare names "
                                    "followed by `:`)");
            return;
        case ParseContext::UseItems:
            sink.at_token(run.first, CheckId::SkippedCode,
                          what + " is skipped: a `use` item list holds names only");
            return;
        case ParseContext::MatchArms:
            sink.at_token(run.first, CheckId::SkippedCode, what + " is skipped between match arms");
            return;
    }
}

bool in_dictionary(const ParseEvent& event) {
    return event.context == ParseContext::Dictionary;
}

// A brace block where a statement belongs is read as a dictionary literal, whose keys and
// skipped tokens would each make a finding of their own: one finding says it all. Returns the
// first tokens of the events it covers.
std::set<uint32_t> report_blocks_read_as_dictionaries(const SourceFile& file, FindingSink& sink) {
    std::vector<uint32_t> in_dictionaries;  // first tokens of the dictionary events, sorted
    for (const ParseEvent& event : file.parse.events) {
        if (in_dictionary(event)) in_dictionaries.push_back(event.first);
    }
    std::sort(in_dictionaries.begin(), in_dictionaries.end());
    std::set<uint32_t> covered;
    visit_tree(
        file.statements,
        [&](const Stmt& statement) {
            if (statement.kind != StmtKind::Expr ||
                node_cast<ExprStmt>(statement).expr->kind != ExprKind::Dict)
                return;
            const auto found = file.parse.statements.find(&statement);
            if (found == file.parse.statements.end()) return;
            const TokenRange range = found->second;
            auto at = std::lower_bound(in_dictionaries.begin(), in_dictionaries.end(), range.first);
            if (at == in_dictionaries.end() || *at >= range.end) return;
            for (; at != in_dictionaries.end() && *at < range.end; ++at)
                covered.insert(*at);
            sink.at_token(range.first, CheckId::SkippedCode,
                          quoted(file, range.first, range.end) +
                              " is read as a dictionary literal, not a block: what it holds "
                              "is dropped");
        },
        [](const Expr&) {});
    return covered;
}

}  // namespace

void check_parse_events(const CheckContext& context, FindingSink& sink) {
    const SourceFile& file = context.file;
    const std::vector<ParseEvent>& events = context.file.parse.events;
    std::set<uint32_t> skipped;
    for (const ParseEvent& event : events) {
        if (event.kind == ParseEventKind::Skipped) skipped.insert(event.first);
    }
    const std::set<uint32_t> covered = report_blocks_read_as_dictionaries(file, sink);
    for (size_t e = 0; e < events.size(); ++e) {
        const ParseEvent& event = events[e];
        if (in_dictionary(event) && covered.count(event.first)) continue;
        switch (event.kind) {
            case ParseEventKind::Skipped: {
                ParseEvent run = event;
                while (e + 1 < events.size() && events[e + 1].kind == ParseEventKind::Skipped &&
                       events[e + 1].context == run.context && events[e + 1].first == run.end) {
                    run.end = events[++e].end;
                }
                report_skipped(file, run, sink);
                break;
            }
            case ParseEventKind::DroppedStatement:
                sink.at_token(event.first, CheckId::SkippedCode,
                              "incomplete `" +
                                  std::string(file.token_text(event.first, event.first + 1)) +
                                  "` statement dropped: " + quoted(file, event.first, event.end) +
                                  " is lost");
                break;
            case ParseEventKind::DroppedArm: {
                ParseEvent run = event;
                while (e + 1 < events.size() && events[e + 1].kind == ParseEventKind::DroppedArm &&
                       events[e + 1].first == run.end) {
                    run.end = events[++e].end;
                }
                sink.at_token(run.first, CheckId::SkippedCode,
                              "match arm without `=>` dropped: " +
                                  quoted(file, run.first, run.end) + " is lost");
                break;
            }
            case ParseEventKind::DroppedKey:
                sink.at_token(event.first, CheckId::SkippedCode,
                              "dictionary key " + quoted(file, event.first, event.end) +
                                  " without `:` is dropped");
                break;
            case ParseEventKind::ElseWithoutBlock:
                if (file.kind_at(event.end) == K::If) {
                    sink.at_token(event.first, CheckId::ElseIf,
                                  "`else if` does not chain: the `else` is ignored and the `if` "
                                  "after it is a separate statement that runs whatever the first "
                                  "condition was (write `else { if ... }`)");
                } else {
                    sink.at_token(event.first, CheckId::SkippedCode,
                                  "`else` without `{` is ignored: what follows is a separate "
                                  "statement");
                }
                break;
            case ParseEventKind::MissingExpression: {
                const size_t at = event.first;
                if (skipped.count(event.first)) break;  // reported as skipped
                const K kind = file.kind_at(at);
                if (kind == K::Slash && at > 0 && file.kind_at(at - 1) == K::Slash &&
                    file.adjacent(at - 1, at))
                    break;  // reported as "//"
                std::string message;
                if (kind == K::Plus) {
                    message = "there is no unary plus: this `+` reads as `0 +`";
                } else if (kind == K::Eof) {
                    message = "expression expected at the end of the file; read as 0";
                } else {
                    message =
                        "expression expected before " + quoted(file, at, at + 1) + "; read as 0";
                }
                sink.at_token(at, CheckId::MissingExpression, std::move(message));
                break;
            }
        }
    }
}

}  // namespace tarnel
