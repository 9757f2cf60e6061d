#include "render/kernel_table.h"

#include "render/kernel_lanes.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

#define RAYMARCH_DECLARE_KERNELS(set, level) \
    namespace set {                          \
    extern const KernelTable kKernels;       \
    }
RAYMARCH_FOR_EACH_KERNEL_SET(RAYMARCH_DECLARE_KERNELS)
#undef RAYMARCH_DECLARE_KERNELS

constinit const KernelTable kPlainKernels = LaneKernels<LaneOpsScalar>::table(SimdLevel::Scalar);

namespace {

// The table of each level; levels without a table in this build keep the plain one, and
// chooseKernels never chooses them.
struct KernelTables {
    const KernelTable* of[kSimdLevelCount];
};

constexpr KernelTables makeKernelTables() {
    KernelTables tables{};
    for (const KernelTable*& table : tables.of)
        table = &kPlainKernels;
#define RAYMARCH_ENTER_KERNELS(set, level) \
    tables.of[static_cast<int>(SimdLevel::level)] = &set::kKernels;
    RAYMARCH_FOR_EACH_KERNEL_SET(RAYMARCH_ENTER_KERNELS)
#undef RAYMARCH_ENTER_KERNELS
    return tables;
}

constinit const KernelTables kKernelTables = makeKernelTables();

}  // namespace

const KernelTable& chooseKernels(SimdLevel level) {
    return simdLevelRuns(level) ? *kKernelTables.of[static_cast<int>(level)] : kPlainKernels;
}

}  // namespace rm
