#include "foundation/xc_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(const XCStringW& s)
{
    EXPECT_EQ(s.GetData()[s.GetLength()], 0) << "unterminated";
    return std::u16string(s.GetData(), s.GetLength());
}

XCStringW Owned(const char16_t* text, XCStringW::Growth growth = XCStringW::Growth::None)
{
    XCStringW s(growth);
    s.Assign(text, static_cast<int32_t>(std::char_traits<char16_t>::length(text)));
    return s;
}

}  // namespace

TEST(XCString, BorrowedTextIsNeitherWrittenNorFreed)
{
    // A default string borrows the shared empty text of its flavour.
    XCStringW empty;
    EXPECT_EQ(empty.GetData(), g_EmptyTextW);
    EXPECT_EQ(XCStringA(XCStringA::Growth::Small).GetFlags(), XCStringA::Borrowed | XCStringA::ReserveSmall);
    // Appending to a view of a caller's text copies it first.
    char16_t text[] = u"abc";
    XCStringW view(text);
    EXPECT_EQ(view.GetData(), text);
    view.AppendChar(u'd');
    XCStringW appended(text);
    appended.Append(XCStringW(u"xy"));
    EXPECT_EQ(std::u16string(text), u"abc");
    EXPECT_EQ(Text(view), u"abcd");
    EXPECT_EQ(Text(appended), u"abcxy");
    // An owned string made to borrow frees its buffer (the leak checker watches) and drops its policy.
    XCStringW owned = Owned(u"z");
    owned.SetGrowth(XCStringW::Growth::Large);
    owned.Borrow(text);
    EXPECT_EQ(owned.GetFlags(), XCStringW::Borrowed);
    owned.Borrow(nullptr);
    EXPECT_EQ(owned.GetData(), g_EmptyTextW);
}

TEST(XCString, TrimAndMidAssignFromTheirOwnText)
{
    XCStringW padded = Owned(u"  a b  ");
    padded.Trim();
    EXPECT_EQ(Text(padded), u"a b");
    // Tabs, line ends and wide spaces count whatever the process locale.
    XCStringW wide = Owned(u"\t\r\n\u3000\u00A0x\u2003 \v\f");
    wide.Trim();
    EXPECT_EQ(Text(wide), u"x");
    // Only white space leaves an empty text; an empty string stays borrowed.
    XCStringW blank = Owned(u" \t ");
    blank.Trim();
    EXPECT_EQ(Text(blank), u"");
    XCStringW empty;
    empty.Trim();
    EXPECT_EQ(empty.GetData(), g_EmptyTextW);
    // Without surrounding white space the buffer and its spare are kept.
    XCStringW clean = Owned(u"a b", XCStringW::Growth::Small);
    const char16_t* buffer = clean.GetData();
    clean.Trim();
    EXPECT_EQ(clean.GetData(), buffer);
    EXPECT_EQ(clean.GetSpare(), 255u);

    // Mid into the source itself, clipped at the end.
    XCStringW source = Owned(u"abcdef");
    source.Mid(source, 2, 100);
    EXPECT_EQ(Text(source), u"cdef");
    XCStringW part;
    source.Mid(part, 1, 2);
    EXPECT_EQ(Text(part), u"de");
    // A start at the end, or negative arguments, give an empty owned text.
    const int bad[][2] = {{4, 1}, {-1, 2}, {1, -5}};
    for (const auto& args : bad) {
        source.Mid(part, args[0], args[1]);
        EXPECT_EQ(Text(part), u"") << args[0] << ", " << args[1];
        EXPECT_FALSE(part.IsBorrowed());
    }
}

TEST(XCString, GrowthPolicySetsTheSpareOfEveryReallocation)
{
    // Without a policy every append reallocates to the exact size.
    XCStringW exact;
    for (int i = 0; i < 3; ++i) {
        exact.Append(XCStringW(u"ab")).AppendChar(u'c');
        EXPECT_EQ(exact.GetSpare(), 0u);
    }
    // The small reserve reallocates once every 256 units, leaving 255 spare each time.
    XCStringA small(XCStringA::Growth::Small);
    small.Assign("", 0);
    int reallocations = 0;
    for (int i = 0; i < 1024; ++i) {
        const char* before = small.GetData();
        small.AppendChar('x');
        if (small.GetData() != before) {
            ++reallocations;
            EXPECT_EQ(small.GetSpare(), 255u);
        }
    }
    EXPECT_EQ(reallocations, 4);
    EXPECT_EQ(small.GetData()[1024], 0);
    // Appending a string to itself, in place and with reallocation.
    XCStringW large = Owned(u"ab", XCStringW::Growth::Large);
    large.Append(large);
    EXPECT_EQ(large.GetSpare(), 65533u);
    exact.Append(exact);
    EXPECT_EQ(Text(exact), u"abcabcabcabcabcabc");
    // A copy has no policy and an exact buffer; an assignment keeps the target's policy.
    XCStringW copy(large);
    EXPECT_EQ(copy.GetFlags(), 0u);
    EXPECT_EQ(copy.GetSpare(), 0u);
    XCStringW target(XCStringW::Growth::Small);
    target = large;
    target = target;
    EXPECT_EQ(Text(target), u"abab");
    EXPECT_EQ(target.GetSpare(), 255u);
    // A sum is a new exact string and leaves its operands alone.
    const XCStringW sum = XCStringW(u"x") + large;
    EXPECT_EQ(Text(sum), u"xabab");
    EXPECT_EQ(sum.GetSpare(), 0u);
    EXPECT_EQ(Text(large), u"abab");
}

TEST(XCString, AssignTruncatedKeepsOnlyTheLowByteUpToTheFirstZero)
{
    XCStringA narrow;
    narrow.AssignTruncated(Owned(u"\u00C4\u20AC"));
    EXPECT_EQ(std::string(narrow.GetData(), narrow.GetLength() + 1), std::string("\xC4\xAC", 3));
    XCStringW withZero;
    withZero.Assign(u"ab\0cd", 5);
    narrow.AssignTruncated(withZero);
    EXPECT_EQ(std::string(narrow.GetData()), "ab");
    EXPECT_EQ(narrow.GetLength(), 2);
    narrow.AssignTruncated(static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(narrow.GetLength(), 0);
}

TEST(XCString, FindSpaceAndEndsWithSlash)
{
    EXPECT_EQ(XCStringW(u"ab c d").FindSpace(), 2);
    EXPECT_EQ(XCStringW(u"abc").FindSpace(), -1);
    // Only a final forward slash counts.
    EXPECT_TRUE(XCStringW(u"C:/data/").EndsWithSlash());
    EXPECT_FALSE(XCStringW(u"C:\\data\\").EndsWithSlash());
    EXPECT_FALSE(XCStringW().EndsWithSlash());
}
