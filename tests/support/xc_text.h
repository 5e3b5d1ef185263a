#pragma once
#include "foundation/xc_string.h"

#include <string>

// The units of a string, embedded zeros included, as a standard string to compare.
inline std::u16string U16(const XCStringW& s) { return std::u16string(s.GetData(), static_cast<size_t>(s.GetLength())); }
inline std::string Bytes(const XCStringA& s) { return std::string(s.GetData(), static_cast<size_t>(s.GetLength())); }

// An owned copy (a plain view would borrow the literal).
inline XCStringW OwnedW(const std::u16string& text)
{
    XCStringW s;
    s.Assign(text.data(), static_cast<int32_t>(text.size()));
    return s;
}
inline XCStringA OwnedA(const std::string& bytes)
{
    XCStringA s;
    s.Assign(bytes.data(), static_cast<int32_t>(bytes.size()));
    return s;
}
