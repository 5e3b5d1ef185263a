#pragma once
#include <cstdint>

// The unit-scale factors that an STD header may set, one double per header id, kept as one
// block in a fixed order (a blob source is handed the start of the block).
class XCStdUnitScales {
public:
    static constexpr int kCount = 73;

    XCStdUnitScales() { ResetToDefaults(); }

    void ResetToDefaults();
    // True when `id` names a unit scale; the factor becomes 10 to the power `exponent`
    // (id 322: `exponent` - 3).
    bool Apply(uint16_t id, double exponent);
    // The factor of a unit-scale id; 1.0 for an id that names none.
    double Get(uint16_t id) const;
    const double* Data() const { return factors_; }

    // Position of `id` in the block, -1 for an id that names no unit scale.
    static int PositionOf(uint16_t id);

private:
    double factors_[kCount];
};
