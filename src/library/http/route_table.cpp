#include "route_table.h"

namespace tarnel {

void RouteTable::add(std::string path, std::string content) {
    std::lock_guard lock(mutex_);
    first_index_.try_emplace(path, routes_.size());
    routes_.push_back(Route{std::move(path), std::move(content)});
}

RouteTable& route_table() {
    static RouteTable table;  // thread-safe initialisation on first use
    return table;
}

}  // namespace tarnel
