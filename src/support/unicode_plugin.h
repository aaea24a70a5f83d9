// What the ICU plugin exports: one table of plain functions, so that nothing but code points
// and bytes crosses between the program and the plugin.
#pragma once

#include <cstddef>

namespace tarnel::unicode {

inline constexpr const char* kPluginName = "libtarnel_unicode.so";
inline constexpr const char* kTableEntry = "tarnel_unicode_table";

// Receives the mapped text, possibly in several pieces.
using AppendBytes = void (*)(void* sink, const char* bytes, size_t size);

struct PluginTable {
    bool (*is_white_space)(char32_t c);
    bool (*is_alphanumeric)(char32_t c);
    bool (*is_printable)(char32_t c);
    void (*map_case)(const char* utf8, size_t size, bool upper, void* sink, AppendBytes append);
};

using TableEntry = const PluginTable* (*)();

}  // namespace tarnel::unicode
