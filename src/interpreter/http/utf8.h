// UTF-8 decoding for request lines and response checking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point at `pos` and advances past it. An invalid sequence gives
// kReplacement with `valid` false and skips its maximal valid prefix (at least one byte), so
// one replacement character stands for each ill-formed subsequence.
char32_t decode_next(std::string_view text, size_t& pos, bool& valid);

bool is_valid(std::string_view text);

// The Unicode White_Space property.
bool is_white_space(char32_t c);

void append(std::string& out, char32_t c);

}  // namespace tarnel::utf8
