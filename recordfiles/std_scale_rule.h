#pragma once
#include "recordfiles/std_unit_scales.h"

#include <cstdint>

// How the raw number of a record variable turns into engineering units and back, by id.
struct XCStdScaleRule {
    double factor = 1.0;
    // Non-zero for the fixed factors 0.01, 0.1 and 0.001, undone by this exact multiplier.
    double exactInverse = 0.0;
    // Scaled values above 1.0 stand for negative ones: 2.0 is subtracted.
    bool wraps = false;

    double Scale(double raw) const;
    double Unscale(double value) const;

    // `variable391Is11`: the header's variable 391 holds 11, which moves some ids to U(321).
    static XCStdScaleRule ForId(uint16_t id, const XCStdUnitScales& scales, bool variable391Is11);
};
