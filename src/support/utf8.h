// UTF-8 validation for text read from files and the network.
#pragma once

#include <string_view>

namespace tarnel {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool is_valid_utf8(std::string_view text);

}  // namespace tarnel
