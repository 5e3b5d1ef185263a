#pragma once
#include "foundation/xc_string.h"

#include <cstdint>
#include <string>

// Texts on their way between the program's strings and the dialog framework.

std::u16string ToU16(const XCStringW& text);
XCStringW FromU16(const std::u16string& text);
// ASCII text (numbers formatted in the C locale) as UTF-16.
std::u16string Widen(const std::string& ascii);
// The language table's text of `id`; empty when the lookup fails.
std::u16string TableText(uint16_t id);
