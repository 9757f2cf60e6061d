#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/exact_rows.h"

namespace rmtest {

// Passes for the exact image's file; otherwise names the first differing row and the count.
inline testing::AssertionResult isExactFile(const std::string& file) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const rm::tools::ImageCheck check = rm::tools::checkImage(bytes, file.size());
    if (check.exact) return testing::AssertionSuccess();
    testing::AssertionResult result = testing::AssertionFailure();
    result << file.size() << " bytes, not the exact image";
    if (!check.headerMatches) result << "; the header differs";
    if (check.firstDifferingRow >= 0) {
        result << "; first differing row " << check.firstDifferingRow << ", " << check.differingRows
               << " differing rows";
    }
    return result;
}

}  // namespace rmtest
