// Whole-file reading of UTF-8 text: scripts, modules and page templates all come through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

enum class FileRule {
    AnyReadable,  // whatever can be opened and read to its end (a script may be a FIFO)
    RegularOnly,  // a regular file only: a directory, FIFO or device fails without reading
};

// Reads the whole file and checks that it is UTF-8. On failure returns nothing and sets
// `error` to a one-line description: the platform's ("No such file or directory"), or
// "stream did not contain valid UTF-8". A path holding a NUL character names no file.
std::optional<std::string> read_text_file(std::string_view path, FileRule rule, std::string& error);

}  // namespace tarnel
