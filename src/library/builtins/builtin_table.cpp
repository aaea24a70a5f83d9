// The builtin table and its dispatcher.
//
// A builtin's id is its index in kTable, the builtin list ordered by name length, so a lookup
// only compares the few names of the right length (3 to 13 characters); rejecting a name costs
// one bounds check and at most a handful of comparisons, and never allocates.
#include <algorithm>
#include <array>
#include <string_view>

#include "builtin_families.h"
#include "builtins/builtins.h"

namespace tarnel {

namespace {

using Handler = Value (*)(Args, GraphicsState&);

// Adapts a builtin that has no use for the graphics state to the table's signature.
template <Value (*F)(Args)>
Value plain(Args args, GraphicsState&) {
    return F(args);
}

struct Entry {
    std::string_view name;
    Handler handler;
    int min_args;
};

// The list in its own order (builtin_list), and sorted by name length for the lookup.
constexpr Entry kListed[] = {
#define TARNEL_PLAIN_ENTRY(name, minimum) Entry{#name, plain<builtin_##name>, minimum},
#define TARNEL_WINDOW_ENTRY(name, minimum) Entry{#name, builtin_##name, minimum},
    TARNEL_BUILTINS(TARNEL_PLAIN_ENTRY, TARNEL_WINDOW_ENTRY)
#undef TARNEL_PLAIN_ENTRY
#undef TARNEL_WINDOW_ENTRY
};
static_assert(std::size(kListed) == 39);

constexpr size_t kMaxNameLength = 13;

constexpr auto kTable = [] {
    std::array<Entry, std::size(kListed)> table{};
    size_t count = 0;
    for (size_t length = 1; length <= kMaxNameLength; ++length) {
        for (const Entry& entry : kListed) {
            if (entry.name.size() == length) table[count++] = entry;
        }
    }
    return table;
}();

constexpr auto kInfo = [] {
    std::array<BuiltinInfo, std::size(kListed)> info{};
    for (size_t i = 0; i < info.size(); ++i)
        info[i] = {kListed[i].name, kListed[i].min_args};
    return info;
}();

// kFirstOfLength[n] is the index of the first name of length n or more; names of length n are
// therefore kFirstOfLength[n] .. kFirstOfLength[n + 1].
constexpr auto kFirstOfLength = [] {
    std::array<size_t, kMaxNameLength + 2> first{};
    for (size_t length = 0; length < first.size(); ++length) {
        size_t i = 0;
        while (i < kTable.size() && kTable[i].name.size() < length)
            ++i;
        first[length] = i;
    }
    return first;
}();

static_assert(std::all_of(std::begin(kListed), std::end(kListed),
                          [](const Entry& entry) { return entry.name.size() <= kMaxNameLength; }),
              "every builtin must fit the table");

}  // namespace

std::span<const BuiltinInfo> builtin_list() {
    return kInfo;
}

BuiltinId find_builtin(std::string_view name) {
    const size_t length = name.size();
    if (length > kMaxNameLength) return kNotBuiltin;
    for (size_t i = kFirstOfLength[length]; i < kFirstOfLength[length + 1]; ++i) {
        if (kTable[i].name == name) return static_cast<BuiltinId>(i);
    }
    return kNotBuiltin;
}

Value call_builtin(BuiltinId id, std::span<Value> args, GraphicsState& graphics) {
    return kTable[static_cast<size_t>(id)].handler(args, graphics);
}

std::optional<Value> call_builtin(std::string_view name, std::span<Value> args,
                                  GraphicsState& graphics) {
    const BuiltinId id = find_builtin(name);
    if (id == kNotBuiltin) return std::nullopt;
    return call_builtin(id, args, graphics);
}

}  // namespace tarnel
