#include "foundation/xc_string.h"

const char g_EmptyTextA[1] = {0};
const char16_t g_EmptyTextW[1] = {0};

// The C runtime's white space (tab to carriage return, space) and the Unicode spaces, fixed
// so that the process locale cannot change what Trim removes.
bool IsXCStringSpace(char16_t unit)
{
    switch (unit) {
    case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0020:
    case 0x0085: case 0x00A0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
    case 0x205F: case 0x3000:
        return true;
    default:
        return unit >= 0x2000 && unit <= 0x200A;
    }
}

XCStringW operator+(const XCStringW& a, const XCStringW& b)
{
    XCStringW sum(a);
    sum.Append(b);
    return sum;
}
