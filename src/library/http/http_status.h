// Status-line text for http.status.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel {

// The standard reason phrase for a code, "Unknown" for codes outside the short table.
std::string_view reason_phrase(int64_t code);

// "HTTP/1.1 <code> <reason>", without a line ending.
std::string status_line(int64_t code, std::string_view reason);

}  // namespace tarnel
