#pragma once
#include <cstdint>

// The base year of record time stamps from a header's year field: below 80 it means 20xx, 80 to
// 199 count from 1900, and 200 or more stand as they are.
inline int32_t BaseYearFromField(int32_t year)
{
    if (year >= 200)
        return year;
    return year < 80 ? year + 2000 : year + 1900;
}
