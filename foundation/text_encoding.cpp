#include "foundation/text_encoding.h"

#include <string>

namespace {

// Conversions build their text in a standard string, which grows geometrically, and hand it to
// the result in one copy: appended unit by unit, a result with a fixed growth reserve would be
// copied again at every reserve's end, which is quadratic in long texts.
template <typename T>
void StoreResult(XCString<T>& result, typename XCString<T>::Growth growth, const std::basic_string<T>& built)
{
    if ((result.GetFlags() & XCString<T>::GrowthBits) == 0) {
        result.SetGrowth(growth);
    }
    result.Assign(built.data(), static_cast<int32_t>(built.size()));
}

template <typename T>
int32_t LengthToFirstZero(const XCString<T>& text)
{
    int32_t length = 0;
    while (length < text.GetLength() && text.GetData()[length] != 0) {
        ++length;
    }
    return length;
}

// Replaces `result` by what `build` appends to its text from the units of `source` up to its
// first 0; `result` may be `source`.
template <typename T, typename Build>
void BuildFrom(XCString<T>& result, const XCString<T>& source, typename XCString<T>::Growth growth, Build build)
{
    std::basic_string<T> built;
    built.reserve(static_cast<size_t>(source.GetLength()));
    build(built, source.GetData(), LengthToFirstZero(source));
    StoreResult(result, growth, built);
}

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& result, uint32_t codePoint)
{
    if (codePoint < 0x10000) {
        result += static_cast<char16_t>(codePoint);
    } else if (codePoint <= 0x10FFFF) {
        const uint32_t offset = codePoint - 0x10000;
        result += static_cast<char16_t>(0xD800 + (offset >> 10));
        result += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
    }
    // Four-byte forms beyond U+10FFFF have no UTF-16 form and are dropped.
}

void DecodeUtf8(std::u16string& result, const uint8_t* bytes, int32_t count)
{
    int32_t i = 0;
    while (i < count) {
        const uint8_t lead = bytes[i++];
        uint32_t value;
        int continuations;
        if (lead < 0x80) {
            result += static_cast<char16_t>(lead);
            continue;
        } else if (lead < 0xC0) {
            continue;
        } else if (lead < 0xE0) {
            value = lead & 0x1F;
            continuations = 1;
        } else if (lead < 0xF0) {
            value = lead & 0x0F;
            continuations = 2;
        } else if (lead < 0xF8) {
            value = lead & 0x07;
            continuations = 3;
        } else {
            while (i < count && IsContinuation(bytes[i])) {
                ++i;
            }
            continue;
        }
        bool complete = true;
        for (int k = 0; k < continuations; ++k) {
            if (i >= count) {
                complete = false;
                break;
            }
            const uint8_t next = bytes[i++];
            if (!IsContinuation(next)) {
                complete = false;
                break;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if (complete) {
            AppendCodePoint(result, value);
        }
    }
}

void AppendUtf8(std::string& result, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        result += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        result += static_cast<char>(0xC0 | (codePoint >> 6));
        result += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        result += static_cast<char>(0xE0 | (codePoint >> 12));
        result += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        result += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        result += static_cast<char>(0xF0 | (codePoint >> 18));
        result += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        result += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        result += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

struct Entity {
    const char16_t* text;
    char16_t character;
};

const Entity kEntities[] = {
    {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&amp;", u'&'}, {u"&apos;", u'\''},
};

// Units of `entity` matched at `text`, or 0; stops at the first difference, so never
// reads past the text's terminator.
int32_t MatchEntity(const char16_t* text, const char16_t* entity)
{
    int32_t i = 0;
    while (entity[i] != 0) {
        if (text[i] != entity[i]) {
            return 0;
        }
        ++i;
    }
    return i;
}

}  // namespace

void Utf8ToWide(XCStringW& result, const XCStringA& source)
{
    std::u16string built;
    DecodeUtf8(built, reinterpret_cast<const uint8_t*>(source.GetData()), LengthToFirstZero(source));
    StoreResult(result, XCStringW::Growth::Small, built);
}

void Utf8ToWideN(XCStringW& result, const char* bytes, int32_t count)
{
    std::u16string built;
    if (bytes != nullptr && count > 0) {
        DecodeUtf8(built, reinterpret_cast<const uint8_t*>(bytes), count);
    }
    StoreResult(result, XCStringW::Growth::Small, built);
}

void WideToUtf8(XCStringA& result, const XCStringW& source)
{
    std::string built;
    const char16_t* units = source.GetData();
    const int32_t length = LengthToFirstZero(source);
    for (int32_t i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit)) {
            if (i + 1 < length && IsLowSurrogate(units[i + 1])) {
                AppendUtf8(built, 0x10000 + ((unit - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
                ++i;
            }
        } else if (!IsLowSurrogate(unit)) {
            AppendUtf8(built, unit);
        }
    }
    StoreResult(result, XCStringA::Growth::Small, built);
}

void XmlEscape(XCStringA& result, const XCStringA& source)
{
    BuildFrom(result, source, XCStringA::Growth::Large, [](std::string& built, const char* bytes, int32_t length) {
        for (int32_t i = 0; i < length; ++i) {
            switch (bytes[i]) {
            case '"': built += "&quot;"; break;
            case '&': built += "&amp;"; break;
            case '\'': built += "&apos;"; break;
            case '<': built += "&lt;"; break;
            case '>': built += "&gt;"; break;
            default: built += bytes[i]; break;
            }
        }
    });
}

void XmlUnescape(XCStringW& result, const XCStringW& source)
{
    BuildFrom(result, source, XCStringW::Growth::Large, [](std::u16string& built, const char16_t* units, int32_t length) {
        for (int32_t i = 0; i < length;) {
            char16_t character = units[i];
            int32_t matched = 0;
            if (character == u'&') {
                for (const Entity& entity : kEntities) {
                    if ((matched = MatchEntity(units + i, entity.text)) != 0) {
                        character = entity.character;
                        break;
                    }
                }
            }
            built += character;
            i += matched != 0 ? matched : 1;
        }
    });
}
