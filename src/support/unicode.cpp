#include "support/unicode.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "support/plugin.h"
#include "unicode_plugin.h"

namespace tarnel::unicode {

namespace {

// The plugin's table, loaded once on first use and kept for the life of the process (it is
// read-only). Without it the program cannot answer for text it was given, so a broken
// installation is reported and the program ends.
const PluginTable& table() {
    static const PluginTable* const loaded = [] {
        static std::optional<Plugin> plugin = Plugin::load(kPluginName);
        auto entry = plugin ? reinterpret_cast<TableEntry>(plugin->symbol(kTableEntry)) : nullptr;
        if (entry == nullptr) {
            std::fprintf(stderr, "Error: cannot load %s, which Unicode text needs\n", kPluginName);
            std::exit(1);
        }
        return entry();
    }();
    return *loaded;
}

bool is_ascii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Within ASCII the root locale's full mappings are exactly A-Z <-> a-z.
std::string map_ascii(std::string_view text, bool upper) {
    std::string out(text);
    for (char& c : out) {
        if (upper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z'))
            c = static_cast<char>(c ^ 0x20);
    }
    return out;
}

std::string map_case(std::string_view text, bool upper) {
    if (is_ascii(text)) return map_ascii(text, upper);
    std::string out;
    table().map_case(text.data(), text.size(), upper, &out,
                     [](void* sink, const char* bytes, size_t size) {
                         static_cast<std::string*>(sink)->append(bytes, size);
                     });
    return out;
}

}  // namespace

bool is_white_space(char32_t c) {
    if (c < 0x80) return c == ' ' || (c >= '\t' && c <= '\r');
    return table().is_white_space(c);
}

bool is_alphanumeric(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }
    return table().is_alphanumeric(c);
}

bool is_printable(char32_t c) {
    if (c < 0x80) return c >= 0x20 && c < 0x7F;
    return table().is_printable(c);
}

std::string to_upper(std::string_view utf8) {
    return map_case(utf8, true);
}

std::string to_lower(std::string_view utf8) {
    return map_case(utf8, false);
}

}  // namespace tarnel::unicode
