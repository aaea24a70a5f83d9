// Calls of names nothing provides, and calls with the wrong number of arguments.
#include <set>

#include "checks.h"
#include "language_names.h"
#include "tree_visit.h"

namespace tarnel {

namespace {

std::string plural(size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

std::string did_you_mean(std::string_view name, const std::vector<std::string>& candidates) {
    const std::optional<std::string> near = one_edit_away(name, candidates);
    return near ? " (did you mean `" + *near + "`?)" : "";
}

class CallChecker {
  public:
    CallChecker(const CheckContext& context, FindingSink& sink)
        : file_(context.file), index_(context.index), sink_(sink) {
        visit_tree(
            file_.statements,
            [&](const Stmt& statement) {
                if (statement.kind == StmtKind::Function)
                    defined_here_.insert(node_cast<FunctionStmt>(statement).name);
            },
            [](const Expr&) {});
    }

    void check(const CallExpr& call) {
        const size_t dot = call.name.find('.');
        if (dot == std::string::npos) {
            check_plain(call);
        } else {
            check_dotted(call, call.name.substr(0, dot), call.name.substr(dot + 1));
        }
    }

  private:
    // The call's name token; for m.f(...) the token of m.
    size_t position(const CallExpr& call) const {
        const auto found = file_.parse.expressions.find(&call);
        if (found == file_.parse.expressions.end()) return 0;
        const size_t at = found->second;
        const bool dotted = call.name.find('.') != std::string::npos;
        if (dotted && at >= 2 && file_.kind_at(at - 1) == TokenKind::Dot) return at - 2;
        return at;
    }

    void check_plain(const CallExpr& call) {
        const std::string& name = call.name;
        if (const std::optional<int> minimum = builtin_minimum(name)) {
            if (static_cast<int>(call.args.size()) < *minimum) {
                sink_.at_token(position(call), CheckId::ArgumentCount,
                               "`" + name + "` needs at least " + plural(*minimum, "argument") +
                                   ", got " + std::to_string(call.args.size()) +
                                   ": the call gives null");
            }
            return;
        }
        if (index_.defines_function(name)) {
            check_user_arity(call);
            return;
        }
        if (index_.binds(name)) return;  // a variable may hold a function
        if (name == "call") {
            sink_.at_token(position(call), CheckId::UnknownFunction,
                           "only names can be called: calling the result of an expression looks "
                           "for a function named `call`, which nothing provides, and gives null");
            return;
        }
        sink_.at_token(position(call), CheckId::UnknownFunction,
                       "unknown function `" + name +
                           "`: no builtin, definition or variable has "
                           "this name, so the call gives null" +
                           did_you_mean(name, plain_names()));
    }

    void check_user_arity(const CallExpr& call) {
        const std::string& name = call.name;
        if (!defined_here_.count(name) || index_.binds(name)) return;
        const std::optional<size_t> count = index_.parameter_count(name);
        if (!count || *count == call.args.size()) return;
        std::string message = "`" + name + "` has " + plural(*count, "parameter") +
                              " but is called with " + plural(call.args.size(), "argument");
        message += call.args.size() < *count
                       ? ": the missing ones read whatever the callers' variables of those "
                         "names hold"
                       : ": the extra ones are evaluated and dropped";
        sink_.at_token(position(call), CheckId::ArgumentCount, std::move(message));
    }

    void check_dotted(const CallExpr& call, const std::string& prefix, const std::string& member) {
        if (is_builtin_module(prefix)) {
            for (const NamedFunction& function : module_functions(prefix)) {
                if (function.name != member) continue;
                if (static_cast<int>(call.args.size()) < function.min_args) {
                    sink_.at_token(position(call), CheckId::ArgumentCount,
                                   "`" + call.name + "` needs at least " +
                                       plural(function.min_args, "argument") + ", got " +
                                       std::to_string(call.args.size()) +
                                       ": the call gives an error value");
                }
                return;
            }
        }
        const std::vector<const ModuleInfo*> modules = index_.modules_named(prefix);
        if (modules.empty()) {
            const bool known = builtin_minimum(member) || index_.defines_function(member);
            sink_.at_token(position(call), CheckId::UnknownFunction,
                           "`" + call.name + "(...)` calls nothing: `" + prefix +
                               "` is not a module, so the call gives null" +
                               (known ? " (write `" + member + "(" + prefix + ", ...)`)" : ""));
            return;
        }
        std::vector<std::string> offered;
        for (const ModuleInfo* module : modules) {
            if (!module->readable || module->names.count(member)) return;
            offered.insert(offered.end(), module->names.begin(), module->names.end());
        }
        sink_.at_token(position(call), CheckId::UnknownFunction,
                       "module `" + prefix + "` has no function `" + member +
                           "`, so the call gives null" + did_you_mean(member, offered));
    }

    const std::vector<std::string>& plain_names() {
        if (plain_names_.empty()) plain_names_ = index_.plain_names();
        return plain_names_;
    }

    const SourceFile& file_;
    const ProgramIndex& index_;
    FindingSink& sink_;
    std::set<std::string> defined_here_;
    std::vector<std::string> plain_names_;  // made on the first unknown name
};

}  // namespace

void check_calls(const CheckContext& context, FindingSink& sink) {
    CallChecker checker(context, sink);
    visit_tree(
        context.file.statements, [](const Stmt&) {},
        [&](const Expr& expr) {
            if (expr.kind == ExprKind::Call) checker.check(node_cast<CallExpr>(expr));
        });
}

std::optional<std::string> one_edit_away(std::string_view name,
                                         const std::vector<std::string>& candidates) {
    auto close = [&](std::string_view other) {
        if (other == name) return false;
        const std::string_view& shorter = other.size() < name.size() ? other : name;
        const std::string_view& longer = other.size() < name.size() ? name : other;
        if (longer.size() - shorter.size() > 1) return false;
        size_t i = 0;
        while (i < shorter.size() && shorter[i] == longer[i])
            ++i;
        if (shorter.size() != longer.size()) return shorter.substr(i) == longer.substr(i + 1);
        if (shorter.substr(i + 1) == longer.substr(i + 1)) return true;  // one replaced
        return i + 1 < shorter.size() && shorter[i] == longer[i + 1] &&
               shorter[i + 1] == longer[i] && shorter.substr(i + 2) == longer.substr(i + 2);
    };
    std::optional<std::string> best;
    for (const std::string& candidate : candidates) {
        if (close(candidate) && (!best || candidate < *best)) best = candidate;
    }
    return best;
}

}  // namespace tarnel
