#include "completion.h"

#include <algorithm>

#include "builtins/builtins.h"
#include "graphics/graphics.h"
#include "http/http.h"
#include "lexer/lexer.h"

namespace tarnel {

namespace {

void add_matching(std::vector<std::string>& out, std::string_view word, std::string_view prefix,
                  std::string_view name) {
    std::string candidate(prefix);
    candidate += name;
    if (candidate.starts_with(word)) out.push_back(std::move(candidate));
}

}  // namespace

std::vector<std::string> completions(std::string_view word,
                                     const std::vector<std::string>& defined) {
    std::vector<std::string> found;
    for (std::string_view keyword : keywords())
        add_matching(found, word, "", keyword);
    for (const BuiltinInfo& builtin : builtin_list())
        add_matching(found, word, "", builtin.name);
    for (std::string_view name : graphics_function_names())
        add_matching(found, word, "sdl2.", name);
    for (std::string_view name : http_function_names())
        add_matching(found, word, "http.", name);
    for (const std::string& name : defined)
        add_matching(found, word, "", name);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

}  // namespace tarnel
