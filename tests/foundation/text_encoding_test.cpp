#include "foundation/text_encoding.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace {

std::u16string Text(const XCStringW& s) { return std::u16string(s.GetData(), s.GetLength()); }
std::string Text(const XCStringA& s) { return std::string(s.GetData(), s.GetLength()); }

std::u16string Decode(const std::string& bytes)
{
    XCStringW result;
    Utf8ToWideN(result, bytes.data(), static_cast<int32_t>(bytes.size()));
    return Text(result);
}

std::string Encode(const std::u16string& units)
{
    XCStringW source;
    source.Assign(units.data(), static_cast<int32_t>(units.size()));
    XCStringA result;
    WideToUtf8(result, source);
    return Text(result);
}

// glibc's converter, as the reference for well-formed text.
std::string IconvUtf8FromUtf16(const std::u16string& units)
{
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in;
    for (char16_t unit : units) {
        in.push_back(static_cast<char>(unit & 0xFF));
        in.push_back(static_cast<char>(unit >> 8));
    }
    std::string out(units.size() * 3 + 16, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

void AppendCodePoint(std::u16string& units, char32_t cp)
{
    if (cp < 0x10000) {
        units.push_back(static_cast<char16_t>(cp));
    } else {
        units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
}

size_t FirstDifference(const std::string& a, const std::string& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) {
        ++i;
    }
    return i;
}

}  // namespace

TEST(Utf8, DecodesAndEncodesTheBoundaryForms)
{
    // Two- and four-byte forms, and the pair back to the same four bytes.
    EXPECT_EQ(Decode("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(Decode("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(Encode({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
    // A three-byte surrogate form yields the unit as it is; beyond U+10FFFF nothing comes out.
    EXPECT_EQ(Decode("\xED\xA0\x80"), std::u16string({0xD800}));
    EXPECT_EQ(Decode("a\xF4\x90\x80\x80" "b\xF7\xBF\xBF\xBF"), u"ab");
}

TEST(Utf8, MalformedInputIsSkippedWithoutLosingWhatFollows)
{
    // A broken sequence drops the byte that broke it as well.
    EXPECT_EQ(Decode("\xC3" "AB"), u"B");
    EXPECT_EQ(Decode("\xE2\x82" "AB"), u"B");
    // A stray continuation byte goes alone; an invalid lead takes the continuations after it.
    EXPECT_EQ(Decode("\x80" "A"), u"A");
    EXPECT_EQ(Decode("\xF8\x80\x80" "A\xFF\xC3\xA9"), u"A\u00E9");
    // A sequence cut by the count is dropped, and nothing past the count is read.
    EXPECT_EQ(Decode("a\xE2\x82"), u"a");
    XCStringW result;
    Utf8ToWideN(result, "ab\xC3\xA9", 3);
    EXPECT_EQ(Text(result), u"ab");
    Utf8ToWideN(result, "abc", -1);
    EXPECT_EQ(result.GetLength(), 0);
    // Unpaired surrogates are dropped: a lone low one, a high one before a letter or at the end.
    EXPECT_EQ(Encode({0xDC00}), "");
    EXPECT_EQ(Encode({0xD800, u'A'}), "A");
    EXPECT_EQ(Encode({u'x', 0xDBFF}), "x");
}

TEST(Utf8, ZeroEndsTheTextExceptInACountedDecode)
{
    EXPECT_EQ(Decode(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // The terminated decoder stops at a 0 byte, dropping an interrupted sequence.
    XCStringA source;
    source.Assign("\xC3\0\x41", 3);
    XCStringW result(XCStringW::Growth::Large);
    Utf8ToWide(result, source);
    EXPECT_EQ(result.GetLength(), 0);
    // A policy the caller set stays.
    EXPECT_EQ(result.GetSpare(), 65535u);
    EXPECT_EQ(Encode(std::u16string(u"ab\0cd", 5)), "ab");
}

TEST(Utf8, MatchesIconvForEveryBmpCharacterAndSampledPairs)
{
    std::u16string units;
    for (char32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp < 0xD800 || cp > 0xDFFF) {
            AppendCodePoint(units, cp);
        }
    }
    for (char32_t cp = 0x10000; cp <= 0x10FFFF; cp += 251) {
        AppendCodePoint(units, cp);
    }
    AppendCodePoint(units, 0x10FFFF);

    const std::string expected = IconvUtf8FromUtf16(units);
    const std::string encoded = Encode(units);
    ASSERT_EQ(encoded.size(), expected.size()) << "first difference at byte " << FirstDifference(encoded, expected);
    EXPECT_EQ(FirstDifference(encoded, expected), expected.size());

    // Decoding iconv's bytes gives every unit back.
    const std::u16string decoded = Decode(expected);
    ASSERT_EQ(decoded.size(), units.size());
    size_t unit = 0;
    while (unit < units.size() && decoded[unit] == units[unit]) {
        ++unit;
    }
    EXPECT_EQ(unit, units.size()) << "first difference at unit " << unit;
}

TEST(XmlEntities, EscapeAndUnescapeTheFivePredefinedEntities)
{
    // Every special byte; other bytes, multi-byte sequences included, stay as they are.
    XCStringA escaped("\"&'<>\xC3\xA9 x");
    XmlEscape(escaped, escaped);
    EXPECT_EQ(Text(escaped), "&quot;&amp;&apos;&lt;&gt;\xC3\xA9 x");

    XCStringW plain(u"&lt;&gt;&quot;&amp;&apos;");
    XmlUnescape(plain, plain);
    EXPECT_EQ(Text(plain), u"<>\"&'");
    // One pass only: "&amp;lt;" becomes "&lt;".
    XmlUnescape(plain, XCStringW(u"&amp;lt;"));
    EXPECT_EQ(Text(plain), u"&lt;");
    // Unknown names, numeric references, an unfinished entity and a final '&' stay as text.
    XmlUnescape(plain, XCStringW(u"&Amp; &#65; &lt &"));
    EXPECT_EQ(Text(plain), u"&Amp; &#65; &lt &");
}
