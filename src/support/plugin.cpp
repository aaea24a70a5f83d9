#include "support/plugin.h"

#include <dlfcn.h>

#include <system_error>

namespace tarnel {

namespace {

std::filesystem::path executable_folder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

void* open_library(const std::filesystem::path& path) {
    // Never unloaded: libraries such as SDL2's leave handlers behind that outlive a dlclose.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

}  // namespace

std::optional<Plugin> Plugin::load(std::string_view name, const std::filesystem::path& path) {
    if (!path.empty()) {
        void* handle = open_library(path);
        if (handle == nullptr) return std::nullopt;
        return Plugin(handle);
    }
    const std::filesystem::path folder = executable_folder();
    if (folder.empty()) return std::nullopt;
    for (const std::filesystem::path& candidate :
         {folder / name, folder / ".." / "lib" / "tarnel" / name}) {
        if (void* handle = open_library(candidate)) return Plugin(handle);
    }
    return std::nullopt;
}

Plugin& Plugin::operator=(Plugin&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Plugin::~Plugin() {
    if (handle_ != nullptr) dlclose(handle_);
}

void* Plugin::symbol(const char* name) const {
    return dlsym(handle_, name);
}

}  // namespace tarnel
