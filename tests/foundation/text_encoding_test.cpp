#include "foundation/text_encoding.h"

#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <string>

namespace {

std::u16string Decode(const std::string& bytes, size_t count = std::string::npos)
{
    XCStringW result;
    Utf8ToWideN(result, bytes.data(), static_cast<int32_t>(std::min(count, bytes.size())));
    return U16(result);
}

std::string Encode(const std::u16string& units)
{
    XCStringA result;
    WideToUtf8(result, OwnedW(units));
    return Bytes(result);
}

}  // namespace

TEST(Utf8, BoundaryFormsAndMalformedInput)
{
    // A three-byte surrogate form yields the unit as it is; beyond U+10FFFF nothing comes out.
    EXPECT_EQ(Decode("\xED\xA0\x80"), std::u16string({0xD800}));
    EXPECT_EQ(Decode("a\xF4\x90\x80\x80" "b\xF7\xBF\xBF\xBF"), u"ab");
    // A broken sequence drops the byte that broke it as well.
    EXPECT_EQ(Decode("\xC3" "AB"), u"B");
    // A stray continuation byte goes alone; an invalid lead takes the continuations after it.
    EXPECT_EQ(Decode("\x80" "A"), u"A");
    EXPECT_EQ(Decode("\xF8\x80\x80" "A\xFF\xC3\xA9"), u"A\u00E9");
    // A sequence cut by the count is dropped, nothing past the count is read, a 0 inside it is kept.
    EXPECT_EQ(Decode("ab\xC3\xA9", 3), u"ab");
    EXPECT_EQ(Decode(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // Unpaired surrogates are dropped: a lone low one, a high one before a letter or at the end.
    EXPECT_EQ(Encode({0xDC00}), "");
    EXPECT_EQ(Encode({0xD800, u'A'}), "A");
    EXPECT_EQ(Encode({u'x', 0xDBFF}), "x");
    // The terminated forms stop at a 0, dropping an interrupted sequence; a caller's policy stays.
    XCStringW wide(XCStringW::Growth::Large);
    Utf8ToWide(wide, OwnedA(std::string("\xC3\0\x41", 3)));
    EXPECT_TRUE(wide.GetLength() == 0 && wide.GetSpare() == 65535u);
    EXPECT_EQ(Encode(std::u16string(u"ab\0cd", 5)), "ab");
}

TEST(Utf8, MatchesIconvForEveryBmpCharacterAndSampledPairs)
{
    std::u16string units;
    for (char32_t cp = 1; cp < 0x10000; ++cp)
        if (cp < 0xD800 || cp > 0xDFFF)
            units.push_back(static_cast<char16_t>(cp));
    for (char32_t cp = 0x10000; cp <= 0x10FFFF; cp += 251)
        units += {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
    units += u"\U0010FFFF";
    // glibc's converter is the reference; a byte-order mark gives it the host's order.
    std::u16string input = u"\uFEFF" + units;
    iconv_t cd = iconv_open("UTF-8", "UTF-16");
    char* in = reinterpret_cast<char*>(input.data());
    size_t inLeft = input.size() * sizeof(char16_t);
    std::string expected(input.size() * 3, '\0');
    char* out = expected.data();
    size_t outLeft = expected.size();
    ASSERT_NE(iconv(cd, &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    expected.resize(expected.size() - outLeft);
    // Both ways: our bytes are iconv's, and decoding iconv's bytes gives every unit back.
    EXPECT_TRUE(Encode(units) == expected);
    EXPECT_TRUE(Decode(expected) == units);
}
