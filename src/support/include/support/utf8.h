// UTF-8 helpers for text read from files, the console and the network.
#pragma once

#include <string_view>

namespace tarnel {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool is_valid_utf8(std::string_view text);

// `text` without leading and trailing White_Space characters. An ill-formed byte sequence
// counts as a non-space character and stops the trim.
std::string_view trim_white_space(std::string_view text);

}  // namespace tarnel
