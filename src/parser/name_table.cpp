// Interning of names into dense Symbols.
#include "parser/syntax_tree.h"

namespace tarnel {

Symbol NameTable::intern(std::string_view name) {
    auto found = ids_.find(name);
    if (found != ids_.end()) return found->second;
    const auto symbol = static_cast<Symbol>(names_.size());
    names_.emplace_back(name);
    ids_.emplace(names_.back(), symbol);
    return symbol;
}

}  // namespace tarnel
