// Modules: built-in export tables, file modules run in interpreters of their own, the cache,
// and the three forms of `use`.
#include <algorithm>

#include "compiler.h"
#include "graphics/graphics.h"
#include "http/http.h"
#include "interpreter_state.h"
#include "support/text_file.h"

namespace tarnel {

namespace {

ExportTable builtin_exports(std::string_view prefix, std::span<const std::string_view> names) {
    DictMap table;
    for (std::string_view name : names) {
        table.emplace(std::string(name),
                      Value::builtin_function(std::string(prefix) + std::string(name)));
    }
    return std::make_shared<const DictMap>(std::move(table));
}

}  // namespace

std::optional<ExportTable> load_module(Interpreter& interp, const std::string& name) {
    if (auto cached = interp.registry.module_cache.find(name);
        cached != interp.registry.module_cache.end()) {
        return cached->second;
    }
    if (name == "sdl2") return builtin_exports("sdl2.", graphics_function_names());
    if (name == "http") return builtin_exports("http.", http_function_names());

    // A module that this chain of loads is already running: loading it again would never end,
    // so this load does nothing, like a missing module, and the outer load completes.
    if (std::find(interp.registry.loading_chain.begin(), interp.registry.loading_chain.end(),
                  name) != interp.registry.loading_chain.end()) {
        return std::nullopt;
    }

    if (static_cast<const char*>(__builtin_frame_address(0)) < interp.stack_limit) {
        interp.abandon(Abandonment::RecursionLimit);  // modules loading modules, very deep
        return std::nullopt;
    }
    const bool tracing = extra_debug();
    std::string error;  // every failure is reported alike
    std::optional<std::string> text = read_text_file(name + ".tn", FileRule::RegularOnly, error);
    if (!text) {
        if (tracing) trace("Failed to load module: " + name + ".tn not found");
        return std::nullopt;
    }
    std::shared_ptr<const Unit> source = load_source(*text, *interp.names());

    std::vector<std::string> chain = interp.registry.loading_chain;
    chain.push_back(name);
    DictMap exports;
    {
        Interpreter module(interp.names(), interp.limits, std::move(chain));
        if (tracing) trace("Parsed " + std::to_string(source->statements.size()) + " statements");
        const Code code =
            compile_top_level(*source, source->statements, {tracing, TopLevel::Module});
        run_code(module, code, *source);
        if (module.abandoned()) {
            interp.inherit_abandonment(module.abandonment());  // the run ends, not only the module
            return std::nullopt;
        }
        for (auto& [export_name, value] : module.env.global_entries()) {
            if (tracing) {
                trace("Exporting: " + export_name + " = " +
                      (value.is(ValueKind::Function) ? "Function" : "Other"));
            }
            exports.insert_or_assign(export_name, std::move(value));
        }
    }
    if (tracing) trace("Module " + name + " has " + std::to_string(exports.size()) + " exports");
    ExportTable table = std::make_shared<const DictMap>(std::move(exports));
    interp.registry.module_cache[name] = table;
    return table;
}

void apply_use(Interpreter& interp, const UseStmt& use) {
    std::optional<ExportTable> table = load_module(interp, use.module);
    if (!table) return;
    if (!use.items) {
        interp.registry.modules[use.alias ? *use.alias : use.module] = *table;
        return;
    }
    for (const std::string& item : *use.items) {
        const size_t at = (*table)->find(item);
        if (at != DictMap::npos)
            interp.env.set_global(interp.names()->intern(item), (*table)->value(at));
    }
}

}  // namespace tarnel
