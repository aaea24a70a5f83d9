// Tab completion in the shell: which names may follow the word before the cursor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// Every keyword, builtin, "sdl2." and "http." function and name in `defined` (what the
// session has defined) that begins with `word`, sorted and each once.
std::vector<std::string> completions(std::string_view word,
                                     const std::vector<std::string>& defined);

}  // namespace tarnel
