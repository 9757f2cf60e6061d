#pragma once

// The choices a set of lane operations states beside its other tuning constants (lane_ops_*.h),
// which the noise, the ground and the march switch on. Every set states every choice:
//
//   kGradients             how a cell's corner gradients are formed   noise/plane_noise_lanes.h
//   kCellsFromFloats       whether ground cells are found in float lanes, before widening
//   kFloorByConversion     whether a floor comes from one truncating conversion (one plain lane)
//   kRememberedGroundCells how many of the three ground cells a lane keeps from pass to pass
//   kMarch                 how a march drives its lanes                render/march_lanes.h
//   kSkipsFineGround       whether a single ray leaves out its finest ground sample where it can
//   kJoinsConditions       whether the march joins its end conditions before taking their bits
//   kGroups                how many groups of lanes a march keeps in flight
//   kConstantsInCode       whether the compiler sees the constants of the lane arithmetic

namespace rm {

enum class GradientForm {
    // Tests of each corner code's bits: choose, keep and negate the offsets.
    CodeBits,
    // u + v of the near corners as products with 16-entry factor tables read per lane.
    LaneTables,
    // Dot products of the points with each lane's two rows of pair factors; a cell's corners are
    // carried as the offsets of its rows.
    PairFactorRows,
    // One lane: products with the factors of each pair of corner codes, from the offsets of the
    // pairs' entries that the cell carries in place of its codes (plain code where jumps cost).
    PairFactors,
    // One lane: the code written out for each pair of codes, reached by one jump through a table
    // (plain code where every instruction costs: under an emulator).
    PairCases,
};

// Whether a cell carries the offsets of its pairs' factor rows instead of its corner codes.
constexpr bool carriesPairOffsets(GradientForm form) {
    return form == GradientForm::PairFactorRows || form == GradientForm::PairFactors;
}

enum class MarchForm {
    // One ray per lane: the lanes' candidate capsules, all three ground samples in every pass, and
    // the sculpture's box bound where the world bound does not rule a pass out.
    RayPerLane,
    // One ray on one lane: its remembered ground cells, the bound its last world test left, the
    // nearest capsules first, and the finest ground sample only where it can count.
    SingleRay,
};

}  // namespace rm
