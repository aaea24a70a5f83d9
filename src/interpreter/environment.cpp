#include "environment.h"

#include <algorithm>

namespace tarnel {

Environment::Environment(const NameTable& names) : names_(names) {
    grow(static_cast<Symbol>(names_.size()));
}

Environment::~Environment() {
    release_saved();
}

void Environment::release_saved() {
    for (Saved& record : saved_)
        Value::attach(record.value);  // drops the record's share
    saved_.clear();
}

void Environment::clear() {
    release_saved();
    depth_ = 0;
    const size_t size = cells_.size();
    cells_.clear();
    cells_.resize(size);
    std::fill(owner_.begin(), owner_.end(), 0);
    std::fill(global_home_.begin(), global_home_.end(), kNowhere);
    std::fill(has_global_.begin(), has_global_.end(), 0);
}

void Environment::grow(Symbol symbol) {
    size_t size = std::max<size_t>(static_cast<size_t>(symbol) + 1, names_.size());
    size = std::max(size, cells_.size() * 2);
    cells_.resize(size);
    owner_.resize(size, 0);
    global_home_.resize(size, kNowhere);
    has_global_.resize(size, 0);
    declared_global_.resize(size, 0);
}

void Environment::set_global(Symbol symbol, Value value) {
    ensure_symbol(symbol);
    has_global_[symbol] = 1;
    if (owner_[symbol] == 0) {
        cells_[symbol] = std::move(value);
    } else {
        Saved& home = saved_[global_home_[symbol]];  // shadowed by a local
        Value::attach(home.value);                   // drops the old global's share
        home.value = value.detach();
    }
}

void Environment::declare_global(Symbol symbol) {
    ensure_symbol(symbol);
    declared_global_[symbol] = 1;
}

std::vector<std::pair<std::string, Value>> Environment::global_entries() const {
    std::vector<std::pair<std::string, Value>> entries;
    for (size_t symbol = 0; symbol < cells_.size(); ++symbol) {
        if (!has_global_[symbol]) continue;
        entries.emplace_back(names_.text(static_cast<Symbol>(symbol)),
                             owner_[symbol] == 0
                                 ? cells_[symbol]
                                 : Value::copy_of(saved_[global_home_[symbol]].value));
    }
    return entries;
}

std::vector<std::string> Environment::global_names() const {
    std::vector<std::string> names;
    for (size_t symbol = 0; symbol < cells_.size(); ++symbol) {
        if (has_global_[symbol]) names.push_back(names_.text(static_cast<Symbol>(symbol)));
    }
    return names;
}

}  // namespace tarnel
