#include "foundation/text_encoding.h"

namespace {

template <typename T>
void PrepareResult(XCString<T>& result, typename XCString<T>::Growth growth)
{
    if ((result.GetFlags() & XCString<T>::GrowthBits) == 0) {
        result.SetGrowth(growth);
    }
    result.Assign(nullptr, 0);
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

// Empties `result` and lets `build` append to it from the units of `source` up to its first 0;
// a result that is its own source is built from a copy.
template <typename T, typename Build>
void BuildFrom(XCString<T>& result, const XCString<T>& source, typename XCString<T>::Growth growth, Build build)
{
    if (&result == &source) {
        const XCString<T> copy(source);
        BuildFrom(result, copy, growth, build);
        return;
    }
    PrepareResult(result, growth);
    build(source.GetData(), LengthToFirstZero(source));
}

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(XCStringW& result, uint32_t codePoint)
{
    if (codePoint < 0x10000) {
        result.AppendChar(static_cast<char16_t>(codePoint));
    } else if (codePoint <= 0x10FFFF) {
        const uint32_t offset = codePoint - 0x10000;
        result.AppendChar(static_cast<char16_t>(0xD800 + (offset >> 10)));
        result.AppendChar(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    }
    // Four-byte forms beyond U+10FFFF have no UTF-16 form and are dropped.
}

void DecodeUtf8(XCStringW& result, const uint8_t* bytes, int32_t count)
{
    int32_t i = 0;
    while (i < count) {
        const uint8_t lead = bytes[i++];
        uint32_t value;
        int continuations;
        if (lead < 0x80) {
            result.AppendChar(lead);
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

void AppendUtf8(XCStringA& result, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        result.AppendChar(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        result.AppendChar(static_cast<char>(0xC0 | (codePoint >> 6)));
        result.AppendChar(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        result.AppendChar(static_cast<char>(0xE0 | (codePoint >> 12)));
        result.AppendChar(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        result.AppendChar(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        result.AppendChar(static_cast<char>(0xF0 | (codePoint >> 18)));
        result.AppendChar(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        result.AppendChar(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        result.AppendChar(static_cast<char>(0x80 | (codePoint & 0x3F)));
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
    PrepareResult(result, XCStringW::Growth::Small);
    DecodeUtf8(result, reinterpret_cast<const uint8_t*>(source.GetData()), LengthToFirstZero(source));
}

void Utf8ToWideN(XCStringW& result, const char* bytes, int32_t count)
{
    PrepareResult(result, XCStringW::Growth::Small);
    if (bytes != nullptr && count > 0) {
        DecodeUtf8(result, reinterpret_cast<const uint8_t*>(bytes), count);
    }
}

void WideToUtf8(XCStringA& result, const XCStringW& source)
{
    PrepareResult(result, XCStringA::Growth::Small);
    const char16_t* units = source.GetData();
    const int32_t length = LengthToFirstZero(source);
    for (int32_t i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit)) {
            if (i + 1 < length && IsLowSurrogate(units[i + 1])) {
                AppendUtf8(result, 0x10000 + ((unit - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
                ++i;
            }
        } else if (!IsLowSurrogate(unit)) {
            AppendUtf8(result, unit);
        }
    }
}

void XmlEscape(XCStringA& result, const XCStringA& source)
{
    BuildFrom(result, source, XCStringA::Growth::Large, [&result](const char* bytes, int32_t length) {
        for (int32_t i = 0; i < length; ++i) {
            switch (bytes[i]) {
            case '"': result.Append(XCStringA("&quot;")); break;
            case '&': result.Append(XCStringA("&amp;")); break;
            case '\'': result.Append(XCStringA("&apos;")); break;
            case '<': result.Append(XCStringA("&lt;")); break;
            case '>': result.Append(XCStringA("&gt;")); break;
            default: result.AppendChar(bytes[i]); break;
            }
        }
    });
}

void XmlUnescape(XCStringW& result, const XCStringW& source)
{
    BuildFrom(result, source, XCStringW::Growth::Large, [&result](const char16_t* units, int32_t length) {
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
            result.AppendChar(character);
            i += matched != 0 ? matched : 1;
        }
    });
}
