#pragma once

#include "render/render_row.h"

namespace rmtest {

// One workspace for every row a test renders: too large for a thread's stack.
inline rm::RowWorkspace& rowWorkspace() {
    static rm::RowWorkspace* const work = new rm::RowWorkspace;
    return *work;
}

}  // namespace rmtest
