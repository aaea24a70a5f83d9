// The language's own names, made from the lists the interpreter is built from.
#include "language_names.h"

#include <algorithm>

#include "builtins/builtins.h"
#include "graphics/graphics.h"
#include "http/http.h"

namespace tarnel {

namespace {

constexpr std::string_view kWindowBuiltins[] = {
#define TARNEL_SKIP_PLAIN(name, minimum)
#define TARNEL_WINDOW_NAME(name, minimum) #name,
    TARNEL_BUILTINS(TARNEL_SKIP_PLAIN, TARNEL_WINDOW_NAME)
#undef TARNEL_SKIP_PLAIN
#undef TARNEL_WINDOW_NAME
};

constexpr NamedFunction kGraphicsFunctions[] = {
#define TARNEL_GRAPHICS_ENTRY(enumerator, name, minimum) {#name, minimum},
    TARNEL_GRAPHICS_FUNCTIONS(TARNEL_GRAPHICS_ENTRY)
#undef TARNEL_GRAPHICS_ENTRY
};

}  // namespace

std::optional<int> builtin_minimum(std::string_view name) {
    if (find_builtin(name) == kNotBuiltin) return std::nullopt;
    for (const BuiltinInfo& info : builtin_list()) {
        if (info.name == name) return info.min_args;
    }
    return std::nullopt;
}

bool is_window_builtin(std::string_view name) {
    return std::find(std::begin(kWindowBuiltins), std::end(kWindowBuiltins), name) !=
           std::end(kWindowBuiltins);
}

std::vector<std::string_view> builtin_names() {
    std::vector<std::string_view> names;
    for (const BuiltinInfo& info : builtin_list())
        names.push_back(info.name);
    return names;
}

std::vector<NamedFunction> module_functions(std::string_view module) {
    std::vector<NamedFunction> list;
    if (module == "sdl2") list.assign(std::begin(kGraphicsFunctions), std::end(kGraphicsFunctions));
    if (module == "http") {
        for (const std::string_view name : http_function_names())
            list.push_back({name, 0});
    }
    return list;
}

bool is_builtin_module(std::string_view module) {
    return module == "sdl2" || module == "http";
}

}  // namespace tarnel
