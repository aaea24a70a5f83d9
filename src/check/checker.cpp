// Checking files: load them all, pool what they provide, run every check over each.
#include "check/checker.h"

#include <memory>

#include "checks.h"

namespace tarnel {

namespace {

constexpr CheckInfo kChecks[] = {
#define TARNEL_CHECK_INFO(id, name, summary) {CheckId::id, name, summary},
    TARNEL_CHECK_LIST(TARNEL_CHECK_INFO)
#undef TARNEL_CHECK_INFO
};

}  // namespace

std::span<const CheckInfo> check_list() {
    return kChecks;
}

std::string_view check_name(CheckId id) {
    return kChecks[static_cast<size_t>(id)].name;
}

std::optional<CheckId> find_check(std::string_view name) {
    for (const CheckInfo& info : kChecks) {
        if (info.name == name) return info.id;
    }
    return std::nullopt;
}

std::string format_finding(std::string_view path, const Finding& finding) {
    return std::string(path) + ":" + std::to_string(finding.line) + ":" +
           std::to_string(finding.column) + ": warning: " + finding.message + " [" +
           std::string(check_name(finding.check)) + "]";
}

std::vector<FileReport> check_files(const std::vector<std::string>& paths,
                                    const CheckOptions& options) {
    std::vector<FileReport> reports(paths.size());
    std::vector<std::unique_ptr<SourceFile>> files(paths.size());
    ProgramIndex index;
    for (size_t i = 0; i < paths.size(); ++i) {
        reports[i].path = paths[i];
        std::string error;
        files[i] = load_source_file(paths[i], error);
        if (!files[i]) {
            reports[i].error = error;
            continue;
        }
        index.add_file(*files[i]);
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!files[i]) continue;
        FindingSink sink(*files[i], options);
        const CheckContext context{*files[i], index};
        check_characters(context, sink);
        check_parse_events(context, sink);
        check_calls(context, sink);
        check_top_level(context, sink);
        check_operators(context, sink);
        reports[i].findings = sink.take();
    }
    return reports;
}

}  // namespace tarnel
