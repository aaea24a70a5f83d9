// The builtin table and its dispatcher.
//
// A builtin's id is its index in kTable. The table is ordered by name length, so a lookup
// only compares the few names of the right length (3 to 13 characters); rejecting a name costs
// one bounds check and at most a handful of comparisons, and never allocates.
#include <array>
#include <string_view>

#include "interpreter/builtins/builtin_families.h"
#include "interpreter/builtins/builtins.h"

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
};

constexpr std::array kTable = {
    Entry{"len", plain<builtin_len>},
    Entry{"pop", plain<builtin_pop>},
    Entry{"abs", plain<builtin_abs>},
    Entry{"pow", plain<builtin_pow>},
    Entry{"min", plain<builtin_min>},
    Entry{"max", plain<builtin_max>},
    Entry{"push", plain<builtin_push>},
    Entry{"sqrt", plain<builtin_sqrt>},
    Entry{"ceil", plain<builtin_ceil>},
    Entry{"rect", plain<builtin_rect>},
    Entry{"draw", builtin_draw},
    Entry{"fill", builtin_fill},
    Entry{"print", plain<builtin_print>},
    Entry{"input", plain<builtin_input>},
    Entry{"upper", plain<builtin_upper>},
    Entry{"lower", plain<builtin_lower>},
    Entry{"slice", plain<builtin_slice>},
    Entry{"split", plain<builtin_split>},
    Entry{"floor", plain<builtin_floor>},
    Entry{"round", plain<builtin_round>},
    Entry{"color", plain<builtin_color>},
    Entry{"clear", builtin_clear},
    Entry{"typeof", plain<builtin_typeof>},
    Entry{"concat", plain<builtin_concat>},
    Entry{"random", plain<builtin_random>},
    Entry{"circle", plain<builtin_circle>},
    Entry{"window", builtin_window},
    Entry{"is_dict", plain<builtin_is_dict>},
    Entry{"reverse", plain<builtin_reverse>},
    Entry{"present", builtin_present},
    Entry{"is_open", builtin_is_open},
    Entry{"is_array", plain<builtin_is_array>},
    Entry{"contains", plain<builtin_contains>},
    Entry{"triangle", plain<builtin_triangle>},
    Entry{"is_number", plain<builtin_is_number>},
    Entry{"is_string", plain<builtin_is_string>},
    Entry{"random_range", plain<builtin_random_range>},
    Entry{"window_width", builtin_window_width},
    Entry{"window_height", builtin_window_height},
};

static_assert(kTable.size() == 39);

constexpr size_t kMaxNameLength = 13;

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

constexpr bool sorted_by_length() {
    for (size_t i = 1; i < kTable.size(); ++i) {
        if (kTable[i - 1].name.size() > kTable[i].name.size()) return false;
    }
    return kTable.back().name.size() <= kMaxNameLength;
}
static_assert(sorted_by_length(), "find_builtin relies on the table being ordered by length");

}  // namespace

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
