// Array builtins. Each returns a new array; the argument is a copy the builtin owns, so when
// no variable shares its payload any more the work happens in place. That keeps
// `items = push(items, x)` amortized O(1) once the caller hands over its only reference. The
// argument is updated where it lies, never moved out first: if memory runs out, the caller
// still has it and can give it back to the variable.
#include <algorithm>
#include <utility>

#include "builtin_families.h"

namespace tarnel {

Value builtin_push(Args args) {
    if (args.size() < 2 || !args[0].is(ValueKind::Array)) return Value::null();
    args[0].mutable_array().push_back(std::move(args[1]));  // copies the items only when shared
    return std::move(args[0]);
}

Value builtin_pop(Args args) {
    if (args.empty() || !args[0].is(ValueKind::Array)) return Value::null();
    const ValueList& items = args[0].as_array();
    return items.empty() ? Value::null() : items.back();
}

Value builtin_reverse(Args args) {
    if (args.empty() || !args[0].is(ValueKind::Array)) return Value::null();
    Value& array = args[0];
    if (array.is_unshared()) {
        ValueList& items = array.mutable_array();
        std::reverse(items.begin(), items.end());
        return std::move(array);
    }
    // Shared: build the reversed copy directly rather than copying and then reversing.
    const ValueList& items = array.as_array();
    return Value::array(ValueList(items.rbegin(), items.rend()));
}

}  // namespace tarnel
