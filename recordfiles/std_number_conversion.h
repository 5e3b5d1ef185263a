#pragma once
#include <cstdint>

// Conversions of doubles toward zero that stay defined for every input.
namespace std_numbers {

// Values outside the signed 32-bit range, and NaN, give -2147483648.
inline int32_t TruncateToInt32(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Negative values keep the low 32 bits of their integer part (-1 gives 0xFFFFFFFF);
// values beyond the 64-bit range, and NaN, give 0.
inline uint32_t TruncateToUint32(double v)
{
    if (!(v > -9.2e18 && v < 9.2e18))
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(v)));
}

}  // namespace std_numbers
