// Prints every name the interpreter knows, one per line with its kind, from the source's single
// lists: "keyword if", "builtin print", "sdl2 init", "http get". The editor files are checked
// against it (tests/editors/names_test.py).
#include <cstdio>
#include <string_view>

#include "builtins/builtins.h"
#include "graphics/graphics.h"
#include "http/http.h"
#include "lexer/lexer.h"

int main() {
    using namespace tarnel;
    const auto line = [](const char* kind, std::string_view name) {
        std::printf("%s %.*s\n", kind, static_cast<int>(name.size()), name.data());
    };
    for (std::string_view keyword : keywords())
        line("keyword", keyword);
    for (const BuiltinInfo& builtin : builtin_list())
        line("builtin", builtin.name);
    for (std::string_view name : graphics_function_names())
        line("sdl2", name);
    for (std::string_view name : http_function_names())
        line("http", name);
}
