#include "foundation/xc_string.h"

#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(XCString, BorrowedTextIsNeitherWrittenNorFreed)
{
    // A default string borrows the shared empty text.
    EXPECT_EQ(XCStringW().GetData(), g_EmptyTextW);
    // Appending to a view of a caller's text copies it first.
    char16_t text[] = u"abc";
    XCStringW view(text);
    EXPECT_EQ(view.GetData(), text);
    view.AppendChar(u'd');
    EXPECT_EQ(std::u16string(text), u"abc");
    EXPECT_EQ(U16(view), u"abcd");
    // An owned string made to borrow frees its buffer (the leak checker watches) and drops its policy.
    XCStringW owned(XCStringW::Growth::Large);
    owned.AppendChar(u'z');
    owned.Borrow(text);
    EXPECT_EQ(owned.GetFlags(), XCStringW::Borrowed);
}

TEST(XCString, TrimAndMidAssignFromTheirOwnText)
{
    // Tabs, line ends and wide spaces count whatever the process locale; only white space leaves nothing.
    XCStringW padded = OwnedW(u"\t\r\n\u3000\u00A0a b\u2003 \v\f");
    padded.Trim();
    EXPECT_EQ(U16(padded), u"a b");
    XCStringW blank = OwnedW(u" \t ");
    blank.Trim();
    EXPECT_EQ(U16(blank), u"");
    // Without surrounding white space the buffer is kept.
    const char16_t* buffer = padded.GetData();
    padded.Trim();
    EXPECT_TRUE(padded.GetData() == buffer);
    // Mid into the source itself, clipped at the end.
    XCStringW source = OwnedW(u"abcdef");
    source.Mid(source, 2, 100);
    EXPECT_EQ(U16(source), u"cdef");
    // A start at the end, or negative arguments, give an empty owned text.
    XCStringW part;
    for (const auto& args : {std::pair{4, 1}, std::pair{-1, 2}, std::pair{1, -5}}) {
        source.Mid(part, args.first, args.second);
        EXPECT_EQ(U16(part), u"") << args.first << ", " << args.second;
        EXPECT_FALSE(part.IsBorrowed());
    }
}

TEST(XCString, GrowthPolicySetsTheSpareOfEveryReallocation)
{
    // The small reserve reallocates once every 256 units, leaving 255 spare each time.
    XCStringA small(XCStringA::Growth::Small);
    small.Assign("", 0);
    int reallocations = 0;
    for (int i = 0; i < 1024; ++i) {
        const char* before = small.GetData();
        small.AppendChar('x');
        reallocations += small.GetData() != before;
    }
    EXPECT_EQ(reallocations, 4);
    EXPECT_EQ(small.GetSpare(), 255u);
    EXPECT_EQ(small.GetData()[1024], 0);
    // Appending a string to itself, in place and with reallocation.
    XCStringW large(XCStringW::Growth::Large);
    large.Append(u"ab").Append(large);
    EXPECT_TRUE(U16(large) == u"abab" && large.GetSpare() == 65531u);
    XCStringW exact;
    exact.Append(u"abc").Append(exact);
    EXPECT_EQ(U16(exact), u"abcabc");
    // A copy has no policy and an exact buffer; an assignment keeps the target's policy; a sum is new.
    const XCStringW copy(large);
    EXPECT_TRUE(copy.GetFlags() == 0u && copy.GetSpare() == 0u);
    XCStringW target(XCStringW::Growth::Small);
    target = large;
    EXPECT_EQ(target.GetSpare(), 255u);
    EXPECT_EQ(U16(XCStringW(u"x") + large), u"xabab");
}

TEST(XCString, SmallMembersKeepToTheirUnits)
{
    // AssignTruncated keeps the low byte of each unit, up to the first zero.
    XCStringA narrow;
    narrow.AssignTruncated(OwnedW(u"\u00C4\u20AC"));
    EXPECT_EQ(Bytes(narrow), "\xC4\xAC");
    narrow.AssignTruncated(OwnedW(std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(Bytes(narrow), "ab");
    // Only a final forward slash counts.
    EXPECT_FALSE(XCStringW(u"C:\\data\\").EndsWithSlash());
    EXPECT_FALSE(XCStringW().EndsWithSlash());
}
