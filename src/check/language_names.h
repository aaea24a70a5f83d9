// The names the language itself answers: builtins, with their fewest arguments and whether they
// work on the window, and the functions of the two built-in modules.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace tarnel {

struct NamedFunction {
    std::string_view name;
    int min_args;
};

std::optional<int> builtin_minimum(std::string_view name);  // nothing: not a builtin
bool is_window_builtin(std::string_view name);
std::vector<std::string_view> builtin_names();

// The short names of the "sdl2." and "http." functions; the minimum is 0 for http.
std::vector<NamedFunction> module_functions(std::string_view module);
bool is_builtin_module(std::string_view module);

}  // namespace tarnel
