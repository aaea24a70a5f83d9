// What the checked files and the modules they use provide: the functions they define (with
// their parameter counts), every name they bind as a variable or parameter, and, per module
// name or alias, what the module exports. Module files are read from the folder of the file
// that uses them.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "source_file.h"

namespace tarnel {

struct ModuleInfo {
    bool readable = false;
    std::set<std::string> names;  // everything it defines or binds (its exports and more)
};

class ProgramIndex {
  public:
    ProgramIndex();

    // Adds a checked file, then every module it uses, transitively.
    void add_file(const SourceFile& file);

    bool defines_function(const std::string& name) const { return functions_.count(name) > 0; }
    // The parameter count of `name` when every definition of it has the same one.
    std::optional<size_t> parameter_count(const std::string& name) const;
    bool binds(const std::string& name) const { return bound_.count(name) > 0; }
    // Everything a plain call could name, builtins included (for "did you mean").
    std::vector<std::string> plain_names() const;
    // The modules a name stands for in `m.f(...)`: a built-in module by its own name, or the
    // modules some `use` made known under that name or alias.
    std::vector<const ModuleInfo*> modules_named(const std::string& name) const;

  private:
    void add_statements(const StmtList& statements, const std::filesystem::path& folder);
    void load_modules();

    std::map<std::string, std::set<size_t>> functions_;  // name -> parameter counts
    std::set<std::string> bound_;
    std::map<std::string, ModuleInfo> modules_;  // "sdl2", "http" or a module file's path
    std::map<std::string, std::set<std::string>> aliases_;  // name or alias -> modules_ keys
    std::vector<std::filesystem::path> pending_;            // module files still to read
};

}  // namespace tarnel
