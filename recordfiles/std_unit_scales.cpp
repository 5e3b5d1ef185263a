#include "recordfiles/std_unit_scales.h"

#include <cmath>

namespace {

struct ScaleRange {
    uint16_t firstId;
    uint16_t lastId;
    double defaultFactor;
};

// In block order; a default of 0.0 means "not given by the header".
const ScaleRange kRanges[] = {
    {418, 425, 0.0},   {4023, 4039, 0.0}, {320, 320, 1.0},   {321, 321, 1.0},  {322, 322, 0.001},
    {480, 480, 0.001}, {479, 479, 1.0},   {495, 495, 0.01},  {466, 466, 1.0},  {493, 493, 0.1},
    {494, 494, 0.1},   {475, 475, 0.1},   {393, 393, 1.0},   {394, 417, 1.0},  {4075, 4084, 1.0},
    {4013, 4013, 0.01}, {4014, 4014, 0.01}, {4040, 4040, 0.1},
};

}  // namespace

void XCStdUnitScales::ResetToDefaults()
{
    int position = 0;
    for (const ScaleRange& range : kRanges)
        for (int id = range.firstId; id <= range.lastId; ++id)
            factors_[position++] = range.defaultFactor;
}

int XCStdUnitScales::PositionOf(uint16_t id)
{
    int position = 0;
    for (const ScaleRange& range : kRanges) {
        if (id >= range.firstId && id <= range.lastId)
            return position + (id - range.firstId);
        position += range.lastId - range.firstId + 1;
    }
    return -1;
}

bool XCStdUnitScales::Apply(uint16_t id, double exponent)
{
    const int position = PositionOf(id);
    if (position < 0)
        return false;
    factors_[position] = std::pow(10.0, id == 322 ? exponent - 3.0 : exponent);
    return true;
}

double XCStdUnitScales::Get(uint16_t id) const
{
    const int position = PositionOf(id);
    return position < 0 ? 1.0 : factors_[position];
}
