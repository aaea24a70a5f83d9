// The process-wide table of served pages: (path, content) pairs in registration order.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnel {

class RouteTable {
  public:
    // Appends a route. A path registered again keeps serving its first content.
    void add(std::string path, std::string content);

    // Calls `visit(content)` for the first route whose path equals `path`, or `visit(nullptr)`
    // when there is none, with the table locked for the whole call.
    template <typename Visit>
    void with_route(std::string_view path, Visit&& visit) const {
        std::lock_guard lock(mutex_);
        auto found = first_index_.find(path);
        visit(found == first_index_.end() ? nullptr : &routes_[found->second].content);
    }

  private:
    struct Route {
        std::string path;
        std::string content;
    };
    struct PathHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    mutable std::mutex mutex_;
    std::vector<Route> routes_;
    // Index of the first route for each path, so a lookup need not scan the list.
    std::unordered_map<std::string, size_t, PathHash, std::equal_to<>> first_index_;
};

// The one table of the process, created on first use and never destroyed.
RouteTable& route_table();

}  // namespace tarnel
