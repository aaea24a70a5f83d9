// Depth-first visit of a value and of everything nested in it, with an explicit work stack
// instead of native recursion, so that arrays and dictionaries nested to any depth that fits in
// memory can be printed. The printed form, the debug form and JSON are all written this way.
//
// The visitor is called with:
//   leaf(value)                  a value that holds no other values
//   open_array(), close_array()  around the elements of an array
//   open_dict(), close_dict()    around the entries of a dictionary
//   separator()                  between two elements or entries of one container
//   key(text)                    before the value of a dictionary entry
#pragma once

#include <vector>

#include "values/value.h"

namespace tarnel {

template <typename Visitor>
void walk_value(const Value& root, Visitor& visitor) {
    struct Frame {
        const Value* container;
        size_t index;  // the next element or entry
    };
    std::vector<Frame> stack;
    const Value* next = &root;
    for (;;) {
        if (next != nullptr) {
            if (next->is(ValueKind::Array)) {
                visitor.open_array();
                stack.push_back({next, 0});
            } else if (next->is(ValueKind::Dict)) {
                visitor.open_dict();
                stack.push_back({next, 0});
            } else {
                visitor.leaf(*next);
            }
            next = nullptr;
        }
        if (stack.empty()) return;
        Frame& top = stack.back();
        if (top.container->is(ValueKind::Array)) {
            const ValueList& items = top.container->as_array();
            if (top.index == items.size()) {
                visitor.close_array();
                stack.pop_back();
                continue;
            }
            if (top.index > 0) visitor.separator();
            next = &items[top.index++];
        } else {
            const DictMap& map = top.container->as_dict();
            if (top.index == map.size()) {
                visitor.close_dict();
                stack.pop_back();
                continue;
            }
            if (top.index > 0) visitor.separator();
            visitor.key(map.key(top.index));
            next = &map.value(top.index++);
        }
    }
}

}  // namespace tarnel
