// Unicode character classes and case mapping. ASCII is answered here; any other character asks
// ICU, which lives in a plugin loaded the first time such a character needs it, so a script
// that stays within ASCII starts without ICU's libraries.
#pragma once

#include <string>
#include <string_view>

namespace tarnel::unicode {

// The White_Space property.
bool is_white_space(char32_t c);

// Alphabetic, or a numeric general category (decimal digit, letter number, other number).
bool is_alphanumeric(char32_t c);

// False for control, format, surrogate, private-use and unassigned code points, and for
// separators other than the plain space.
bool is_printable(char32_t c);

// Full upper- or lower-case mappings of the root locale (so "ß" becomes "SS"), for any locale.
std::string to_upper(std::string_view utf8);
std::string to_lower(std::string_view utf8);

}  // namespace tarnel::unicode
