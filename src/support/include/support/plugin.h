// Plugins: shared libraries of the program's own, loaded only when a feature needs them, so that
// running a script never loads the libraries of features it does not use (SDL2 for windows).
// A plugin is looked for next to the executable (the build folder) and in ../lib/tarnel/
// beside it (an installed tree).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tarnel {

class Plugin {
  public:
    // The plugin file `name` from the usual places, or the file at `path` when one is given.
    // Nothing when it cannot be found or loaded.
    static std::optional<Plugin> load(std::string_view name,
                                      const std::filesystem::path& path = {});

    Plugin(Plugin&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Plugin& operator=(Plugin&& other) noexcept;
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;
    ~Plugin();

    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

  private:
    explicit Plugin(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace tarnel
