#include "input_scan.h"

#include <limits>

namespace tarnel {

namespace {

void add_saturating(int32_t& counter, int32_t step) {
    if (step > 0 && counter == std::numeric_limits<int32_t>::max()) return;
    if (step < 0 && counter == std::numeric_limits<int32_t>::min()) return;
    counter += step;
}

}  // namespace

void BracketDepth::scan(std::string_view line) {
    for (char c : line) {
        switch (c) {
            case '(':
            case '[':
                add_saturating(paren_, 1);
                break;
            case ')':
            case ']':
                add_saturating(paren_, -1);
                break;
            case '{':
                add_saturating(brace_, 1);
                break;
            case '}':
                add_saturating(brace_, -1);
                break;
            default:
                break;
        }
    }
}

}  // namespace tarnel
