#include "recordfiles/std_scale_rule.h"

#include <initializer_list>

namespace {

XCStdScaleRule Unit(double factor) { return XCStdScaleRule{factor, 0.0, false}; }
XCStdScaleRule Wrapping(double factor) { return XCStdScaleRule{factor, 0.0, true}; }
XCStdScaleRule Fixed(double factor, double inverse) { return XCStdScaleRule{factor, inverse, false}; }
XCStdScaleRule Hundredth() { return Fixed(0.01, 100.0); }
XCStdScaleRule Tenth() { return Fixed(0.1, 10.0); }
XCStdScaleRule Thousandth() { return Fixed(0.001, 1000.0); }

bool In(int id, int first, int last) { return id >= first && id <= last; }

// Offset of `id` within one of the repeated blocks starting at `bases`, -1 when outside all.
int OffsetInBlocks(int id, const int (&bases)[3], int firstOffset, int lastOffset)
{
    for (int base : bases)
        if (In(id - base, firstOffset, lastOffset))
            return id - base;
    return -1;
}

// A scale the header may leave out (0.0): then scale 4039, then none.
double WithFallback(double scale, const XCStdUnitScales& scales)
{
    if (scale != 0.0)
        return scale;
    if (scales.Get(4039) != 0.0)
        return scales.Get(4039);
    return 1.0;
}

bool BlockA(int id, const XCStdUnitScales& u, XCStdScaleRule& rule)
{
    const int s = OffsetInBlocks(id, {0, 100, 200}, 0, 59);
    if (s < 0)
        return false;
    if (In(s, 0, 7) || In(s, 56, 58))
        rule = Unit(u.Get(320));
    else if (In(s, 8, 11))
        rule = Unit(u.Get(321));
    else if (In(s, 12, 35) || In(s, 45, 51))
        rule = Unit(u.Get(322));
    else if (In(s, 36, 43))
        rule = Wrapping(u.Get(495));
    else if (s == 44 || s == 55)
        rule = Unit(u.Get(475));
    else if (In(s, 52, 54))
        rule = Unit(u.Get(494));
    else
        rule = Unit(u.Get(393));
    return true;
}

bool BlockB(int id, const XCStdUnitScales& u, XCStdScaleRule& rule)
{
    int s = -1;
    for (int base : {825, 851})
        if (In(id - base, 0, 25))
            s = id - base;
    if (s < 0) {
        if (In(id, 877, 878))
            rule = Unit(1.0);
        else if (In(id, 879, 880))
            rule = Unit(u.Get(494));
        else
            return false;
        return true;
    }
    if (In(s, 0, 15) || In(s, 19, 21))
        rule = Hundredth();
    else if (In(s, 16, 18))
        rule = Unit(1.0);
    else if (s == 22)
        rule = Thousandth();
    else
        rule = Unit(u.Get(494));
    return true;
}

bool BlockC(int id, const XCStdUnitScales& u, XCStdScaleRule& rule)
{
    const int s = OffsetInBlocks(id, {1000, 1100, 1200}, 3, 65);
    if (s < 0)
        return false;
    if (In(s, 3, 4) || In(s, 9, 11) || In(s, 17, 28))
        rule = Unit(u.Get(322));
    else if (s == 5)
        rule = Unit(u.Get(321));
    else if (In(s, 6, 8))
        rule = Unit(u.Get(320));
    else if (In(s, 12, 14) || In(s, 39, 40))
        rule = Unit(u.Get(494));
    else if (s == 15)
        rule = Unit(u.Get(466));
    else if (s == 16)
        rule = Unit(u.Get(480));
    else if (s == 29 || In(s, 64, 65))
        rule = Unit(u.Get(4014));
    else if (In(s, 30, 37))
        rule = Wrapping(u.Get(495));
    else if (s == 38 || In(s, 45, 60))
        rule = Unit(1.0);
    else if (In(s, 41, 44))
        rule = Unit(u.Get(4040));
    else
        rule = Unit(u.Get(4013));
    return true;
}

bool RepeatedBlocks(int id, const XCStdUnitScales& u, XCStdScaleRule& rule)
{
    int s = OffsetInBlocks(id, {1750, 1800, 1850}, 0, 40);
    if (s >= 0) {
        if (s <= 23)
            rule = Unit(u.Get(static_cast<uint16_t>(394 + s)));
        else if (s <= 31)
            rule = Unit(WithFallback(u.Get(static_cast<uint16_t>(418 + s - 24)), u));
        else
            rule = Unit(u.Get(479));
        return true;
    }
    s = OffsetInBlocks(id, {2080, 2180, 2280}, 0, 53);
    if (s >= 0) {
        rule = Unit(s % 6 <= 1 ? u.Get(322) : u.Get(321));
        return true;
    }
    s = OffsetInBlocks(id, {2158, 2258, 2358}, 0, 9);
    if (s >= 0) {
        rule = Unit(u.Get(static_cast<uint16_t>(4075 + s)));
        return true;
    }
    s = OffsetInBlocks(id, {2550, 2600, 2650}, 0, 15);
    if (s >= 0) {
        rule = Unit(WithFallback(u.Get(static_cast<uint16_t>(4023 + s)), u));
        return true;
    }
    return false;
}

XCStdScaleRule SingleRanges(int id, const XCStdUnitScales& u, bool variable391Is11)
{
    if (In(id, 63, 80) || In(id, 82, 84) || In(id, 182, 184) || In(id, 282, 284) || In(id, 905, 964))
        return Hundredth();
    if (id == 81 || In(id, 890, 895) || In(id, 968, 971))
        return Unit(u.Get(322));
    if (In(id, 97, 99))
        return Tenth();
    if (In(id, 500, 799)) {
        if (id == 500 || id == 550 || id == 600)
            return Unit(u.Get(320));
        if (id == 650 || id == 700 || id == 750)
            return Unit(u.Get(321));
        return Unit(u.Get(493));
    }
    if (In(id, 800, 802))
        return Unit(u.Get(320));
    if (In(id, 817, 823) || In(id, 897, 900))
        return Unit(variable391Is11 ? u.Get(321) : u.Get(322));
    if (In(id, 972, 975))
        return Unit(u.Get(321));
    if (In(id, 976, 977))
        return Thousandth();
    if (In(id, 1300, 1599))
        return Tenth();
    if (In(id, 1900, 1999)) {
        if (id == 1900)
            return Unit(u.Get(320));
        if (id == 1950)
            return Unit(u.Get(321));
        return Unit(u.Get(493));
    }
    if (In(id, 2570, 2593) || In(id, 2620, 2643) || In(id, 2670, 2693) || In(id, 3500, 3859))
        return Unit(u.Get(322));
    if (In(id, 2700, 3099))
        return Unit(u.Get(493));
    return Unit(1.0);
}

}  // namespace

double XCStdScaleRule::Scale(double raw) const
{
    const double value = raw * factor;
    return wraps && value > 1.0 ? value - 2.0 : value;
}

double XCStdScaleRule::Unscale(double value) const
{
    return exactInverse != 0.0 ? value * exactInverse : value / factor;
}

XCStdScaleRule XCStdScaleRule::ForId(uint16_t id, const XCStdUnitScales& scales, bool variable391Is11)
{
    XCStdScaleRule rule;
    if (BlockA(id, scales, rule) || BlockB(id, scales, rule) || BlockC(id, scales, rule) ||
        RepeatedBlocks(id, scales, rule))
        return rule;
    return SingleRanges(id, scales, variable391Is11);
}
