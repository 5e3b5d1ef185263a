#pragma once
#include "foundation/xc_string.h"

#include <cstdint>

// Lenient conversions between UTF-8 and UTF-16, and escaping of the five predefined XML
// entities. None reports an error: malformed input is skipped. A result without a growth
// policy of its own gets the 255-unit reserve (converters) or the 65535-unit one (escaping).

// `source` up to its first 0 byte.
void Utf8ToWide(XCStringW& result, const XCStringA& source);
// Exactly `count` bytes: a 0 byte is kept as the unit 0, a sequence cut by the count is dropped.
void Utf8ToWideN(XCStringW& result, const char* bytes, int32_t count);
// `source` up to its first unit 0; unpaired surrogates are dropped.
void WideToUtf8(XCStringA& result, const XCStringW& source);
// Writes " & ' < > as entities; every other byte as it is.
void XmlEscape(XCStringA& result, const XCStringA& source);
// Replaces the five entities in one pass; any other '&' stays as text.
void XmlUnescape(XCStringW& result, const XCStringW& source);
