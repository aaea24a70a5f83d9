// The textual side of the shell: counting brackets to tell when an input is complete.
// Purely textual: brackets inside strings and comments count too.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnel {

// Running bracket counts over every line the shell has seen, reset only when Ctrl-C drops an
// unfinished input. The counters saturate at the 32-bit limits, so they may go negative but
// never wrap.
class BracketDepth {
  public:
    BracketDepth() = default;
    BracketDepth(int32_t paren_depth, int32_t brace_depth)
        : paren_(paren_depth), brace_(brace_depth) {}

    void scan(std::string_view line);
    void reset() { paren_ = brace_ = 0; }

    // Both counts zero: the prompt is ">>> ", otherwise "... ".
    bool balanced() const { return paren_ == 0 && brace_ == 0; }
    // A count above zero: the input goes on in the next line.
    bool waiting() const { return paren_ > 0 || brace_ > 0; }

    int32_t paren_depth() const { return paren_; }
    int32_t brace_depth() const { return brace_; }

  private:
    int32_t paren_ = 0;  // "(" and "[" minus ")" and "]"
    int32_t brace_ = 0;  // "{" minus "}"
};

}  // namespace tarnel
