#pragma once
#include <cstdint>

// A decimal number read as the C library's wcstol reads it with a 32-bit long: leading white
// space and a sign are taken, reading stops at the first non-digit, no digits give 0, and a
// value out of range gives the nearest limit.
int32_t ParseDecimal(const char16_t* text);
