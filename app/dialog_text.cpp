#include "app/dialog_text.h"

#include "foundation/string_table_file.h"

std::u16string ToU16(const XCStringW& text)
{
    return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength()));
}

XCStringW FromU16(const std::u16string& text)
{
    XCStringW result;
    result.Assign(text.data(), static_cast<int32_t>(text.size()));
    return result;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string TableText(uint16_t id)
{
    XCStringW text;
    g_StringTable.GetString(text, id);
    return ToU16(text);
}
