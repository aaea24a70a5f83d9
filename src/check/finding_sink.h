// Where the checks put their findings: positions resolved, disabled checks and findings
// silenced by an ignore comment left out, the rest sorted by position.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/checker.h"
#include "source_file.h"

namespace tarnel {

class FindingSink {
  public:
    FindingSink(const SourceFile& file, const CheckOptions& options);

    bool enabled(CheckId check) const;
    void at_offset(uint32_t offset, CheckId check, std::string message);
    void at_token(size_t token, CheckId check, std::string message);

    std::vector<Finding> take();

  private:
    const SourceFile& file_;
    const CheckOptions& options_;
    std::set<std::pair<uint32_t, CheckId>> ignored_;  // (line, check) from ignore comments
    std::vector<Finding> findings_;
};

}  // namespace tarnel
