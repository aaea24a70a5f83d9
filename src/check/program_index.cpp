// Building the index of what the checked files and their modules provide.
#include "program_index.h"

#include "language_names.h"
#include "tree_visit.h"

namespace tarnel {

ProgramIndex::ProgramIndex() {
    for (const std::string_view module : {"sdl2", "http"}) {
        ModuleInfo& info = modules_[std::string(module)];
        info.readable = true;
        for (const NamedFunction& function : module_functions(module))
            info.names.emplace(function.name);
    }
}

void ProgramIndex::add_file(const SourceFile& file) {
    add_statements(file.statements, std::filesystem::path(file.path).parent_path());
    load_modules();
}

void ProgramIndex::add_statements(const StmtList& statements, const std::filesystem::path& folder) {
    auto on_stmt = [&](const Stmt& statement) {
        switch (statement.kind) {
            case StmtKind::Let:
            case StmtKind::Assign:
                bound_.insert(node_cast<AssignStmt>(statement).name);
                break;
            case StmtKind::CompoundAssign:
                bound_.insert(node_cast<CompoundAssignStmt>(statement).name);
                break;
            case StmtKind::For:
                bound_.insert(node_cast<ForStmt>(statement).var);
                break;
            case StmtKind::Try:
                bound_.insert(node_cast<TryStmt>(statement).catch_var);
                break;
            case StmtKind::Function: {
                const auto& definition = node_cast<FunctionStmt>(statement);
                functions_[definition.name].insert(definition.params.size());
                bound_.insert(definition.params.begin(), definition.params.end());
                break;
            }
            case StmtKind::Use: {
                const auto& use = node_cast<UseStmt>(statement);
                std::string key = use.module;
                if (!is_builtin_module(use.module)) {
                    const std::filesystem::path path = folder / (use.module + ".tn");
                    key = path.string();
                    if (!modules_.count(key)) {
                        modules_[key];  // read by load_modules
                        pending_.push_back(path);
                    }
                }
                if (use.items) {
                    bound_.insert(use.items->begin(), use.items->end());
                } else {
                    aliases_[use.alias ? *use.alias : use.module].insert(key);
                }
                break;
            }
            default:
                break;
        }
    };
    visit_tree(statements, on_stmt, [](const Expr&) {});
}

void ProgramIndex::load_modules() {
    while (!pending_.empty()) {
        const std::filesystem::path path = pending_.back();
        pending_.pop_back();
        std::string error;
        const std::unique_ptr<SourceFile> module = load_source_file(path.string(), error);
        if (!module) continue;
        // The module's own names, then its contribution to the pool.
        ProgramIndex own;
        own.add_statements(module->statements, path.parent_path());
        ModuleInfo& info = modules_[path.string()];
        info.readable = true;
        for (const auto& [name, counts] : own.functions_)
            info.names.insert(name);
        info.names.insert(own.bound_.begin(), own.bound_.end());
        add_statements(module->statements, path.parent_path());
    }
}

std::optional<size_t> ProgramIndex::parameter_count(const std::string& name) const {
    const auto found = functions_.find(name);
    if (found == functions_.end() || found->second.size() != 1) return std::nullopt;
    return *found->second.begin();
}

std::vector<std::string> ProgramIndex::plain_names() const {
    std::vector<std::string> names(bound_.begin(), bound_.end());
    for (const auto& [name, counts] : functions_)
        names.push_back(name);
    for (const std::string_view name : builtin_names())
        names.emplace_back(name);
    return names;
}

std::vector<const ModuleInfo*> ProgramIndex::modules_named(const std::string& name) const {
    std::vector<const ModuleInfo*> found;
    if (is_builtin_module(name)) found.push_back(&modules_.at(name));
    const auto aliased = aliases_.find(name);
    if (aliased != aliases_.end()) {
        for (const std::string& key : aliased->second) {
            const ModuleInfo& info = modules_.at(key);
            if (!is_builtin_module(name) || &info != found.front()) found.push_back(&info);
        }
    }
    return found;
}

}  // namespace tarnel
