#include "interpreter/environment.h"

#include <algorithm>

namespace tarnel {

Environment::Environment(const NameTable& names) : names_(names) {
    grow(static_cast<Symbol>(names_.size()));
}

Environment::~Environment() = default;

void Environment::clear() {
    globals_.clear();
    has_global_.clear();
    bindings_.clear();
    scope_starts_.clear();
    std::fill(top_.begin(), top_.end(), kNoBinding);
    globals_.resize(top_.size());
    has_global_.resize(top_.size(), 0);
}

void Environment::grow(Symbol symbol) {
    size_t size = std::max<size_t>(static_cast<size_t>(symbol) + 1, names_.size());
    size = std::max(size, top_.size() * 2);
    top_.resize(size, kNoBinding);
    globals_.resize(size);
    has_global_.resize(size, 0);
    declared_global_.resize(size, 0);
}

Value* Environment::shared_assignment_slot(Symbol symbol) {
    ensure_symbol(symbol);
    uint32_t top = top_[symbol];
    if (scope_starts_.empty() || declared_global_[symbol]) {
        return top == kNoBinding ? &globals_[symbol] : nullptr;
    }
    if (top != kNoBinding && top >= scope_starts_.back()) return &bindings_[top].value;
    return nullptr;
}

void Environment::set_global(Symbol symbol, Value value) {
    ensure_symbol(symbol);
    globals_[symbol] = std::move(value);
    has_global_[symbol] = 1;
}

void Environment::declare_global(Symbol symbol) {
    ensure_symbol(symbol);
    declared_global_[symbol] = 1;
}

void Environment::pop_scope() {
    uint32_t start = scope_starts_.back();
    scope_starts_.pop_back();
    for (size_t i = bindings_.size(); i > start; --i) {
        const Binding& binding = bindings_[i - 1];
        top_[binding.symbol] = binding.shadowed;
    }
    bindings_.erase(bindings_.begin() + start, bindings_.end());
}

std::vector<std::pair<std::string, Value>> Environment::global_entries() const {
    std::vector<std::pair<std::string, Value>> entries;
    for (size_t symbol = 0; symbol < globals_.size(); ++symbol) {
        if (has_global_[symbol]) {
            entries.emplace_back(names_.text(static_cast<Symbol>(symbol)), globals_[symbol]);
        }
    }
    return entries;
}

}  // namespace tarnel
