#include "foundation/xc_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(const XCStringW& s) { return std::u16string(s.GetData(), s.GetLength()); }
std::string Text(const XCStringA& s) { return std::string(s.GetData(), s.GetLength()); }

// Every text ends in a unit 0 at its length.
void ExpectTerminated(const XCStringW& s) { EXPECT_EQ(s.GetData()[s.GetLength()], 0); }

}  // namespace

TEST(XCString, BorrowedTextIsNeitherWrittenNorFreed)
{
    // A default string borrows the shared empty text of its flavour.
    XCStringW empty;
    EXPECT_EQ(empty.GetData(), g_EmptyTextW);
    EXPECT_EQ(empty.GetLength(), 0);
    EXPECT_TRUE(empty.IsBorrowed());
    XCStringA emptyA(XCStringA::Growth::Small);
    EXPECT_EQ(emptyA.GetData(), g_EmptyTextA);
    EXPECT_EQ(emptyA.GetFlags(), XCStringA::Borrowed | XCStringA::ReserveSmall);

    // A view of a caller's text points at it; appending copies first.
    char16_t text[] = u"abc";
    XCStringW view(text);
    EXPECT_EQ(view.GetData(), text);
    EXPECT_EQ(view.GetLength(), 3);
    view.AppendChar(u'd');
    EXPECT_EQ(std::u16string(text), u"abc");
    EXPECT_NE(view.GetData(), text);
    EXPECT_FALSE(view.IsBorrowed());
    EXPECT_EQ(Text(view), u"abcd");
    ExpectTerminated(view);

    // Appending to a borrowed string copies it before writing as well.
    XCStringW borrowedAppend(text);
    borrowedAppend.Append(XCStringW(u"xy"));
    EXPECT_EQ(std::u16string(text), u"abc");
    EXPECT_EQ(Text(borrowedAppend), u"abcxy");

    // An owned string made to borrow releases its buffer (the leak checker watches) and drops its policy.
    XCStringW owned(XCStringW::Growth::Large);
    owned.AppendChar(u'z');
    owned.Borrow(text);
    EXPECT_EQ(owned.GetData(), text);
    EXPECT_EQ(owned.GetFlags(), XCStringW::Borrowed);
    owned.Borrow(nullptr);
    EXPECT_EQ(owned.GetData(), g_EmptyTextW);
}

TEST(XCString, TrimAndMidAssignFromTheirOwnText)
{
    // Surrounding spaces go; the copy is taken before the old buffer is freed.
    XCStringW padded;
    padded.Assign(u"  a b  ", 7);
    padded.Trim();
    EXPECT_EQ(Text(padded), u"a b");
    ExpectTerminated(padded);

    // Tabs, line ends and wide spaces count as white space whatever the process locale.
    XCStringW wide;
    wide.Assign(u"\t\r\n\u3000\u00A0x\u2003 \v\f", 10);
    wide.Trim();
    EXPECT_EQ(Text(wide), u"x");

    // Only white space leaves an owned empty text; an empty string stays borrowed.
    XCStringW blank;
    blank.Assign(u" \t ", 3);
    blank.Trim();
    EXPECT_EQ(blank.GetLength(), 0);
    ExpectTerminated(blank);
    XCStringW empty;
    empty.Trim();
    EXPECT_EQ(empty.GetData(), g_EmptyTextW);

    // A string without surrounding white space keeps its buffer and its spare.
    XCStringW clean(XCStringW::Growth::Small);
    clean.Assign(u"a b", 3);
    const char16_t* buffer = clean.GetData();
    clean.Trim();
    EXPECT_EQ(clean.GetData(), buffer);
    EXPECT_EQ(clean.GetSpare(), 255u);
    XCStringW literal(u"kept");
    literal.Trim();
    EXPECT_TRUE(literal.IsBorrowed());

    // Mid into the source itself, clipped at the end.
    XCStringW source;
    source.Assign(u"abcdef", 6);
    source.Mid(source, 2, 100);
    EXPECT_EQ(Text(source), u"cdef");
    ExpectTerminated(source);
    XCStringW part;
    source.Mid(part, 1, 2);
    EXPECT_EQ(Text(part), u"de");
    // A start at or past the end, or negative arguments, give an empty owned text.
    source.Mid(part, 4, 1);
    EXPECT_EQ(part.GetLength(), 0);
    EXPECT_FALSE(part.IsBorrowed());
    source.Mid(part, -1, 2);
    EXPECT_EQ(part.GetLength(), 0);
    source.Mid(part, 1, -5);
    EXPECT_EQ(part.GetLength(), 0);
}

TEST(XCString, GrowthPolicySetsTheSpareOfEveryReallocation)
{
    // Without a policy every append reallocates to the exact size.
    XCStringW exact;
    for (int i = 0; i < 5; ++i) {
        exact.Append(XCStringW(u"ab"));
        EXPECT_EQ(exact.GetSpare(), 0u);
        exact.AppendChar(u'c');
        EXPECT_EQ(exact.GetSpare(), 0u);
    }
    EXPECT_EQ(exact.GetLength(), 15);

    // The small reserve reallocates once every 256 units and leaves 255 spare each time.
    XCStringA small(XCStringA::Growth::Small);
    small.Assign("", 0);
    EXPECT_EQ(small.GetSpare(), 255u);
    int reallocations = 0;
    const char* last = small.GetData();
    for (int i = 0; i < 1024; ++i) {
        small.AppendChar('x');
        if (small.GetData() != last) {
            ++reallocations;
            last = small.GetData();
            EXPECT_EQ(small.GetSpare(), 255u);
        }
    }
    EXPECT_EQ(reallocations, 4);
    EXPECT_EQ(small.GetLength(), 1024);
    EXPECT_EQ(small.GetData()[1024], 0);

    // An append larger than the spare reallocates with the full reserve on top.
    XCStringW large(XCStringW::Growth::Large);
    large.Assign(u"ab", 2);
    EXPECT_EQ(large.GetSpare(), 65535u);
    large.Append(large);
    EXPECT_EQ(Text(large), u"abab");
    EXPECT_EQ(large.GetSpare(), 65533u);

    // A copy has no policy and an exact buffer; an assignment keeps the target's policy.
    XCStringW copy(large);
    EXPECT_EQ(copy.GetFlags(), 0u);
    EXPECT_EQ(copy.GetSpare(), 0u);
    EXPECT_EQ(Text(copy), u"abab");
    XCStringW target(XCStringW::Growth::Small);
    target = large;
    EXPECT_EQ(target.GetFlags(), XCStringW::ReserveSmall);
    EXPECT_EQ(target.GetSpare(), 255u);
    target = target;
    EXPECT_EQ(Text(target), u"abab");

    // A policy set on a live string takes effect at its next reallocation.
    copy.SetGrowth(XCStringW::Growth::Small);
    EXPECT_EQ(copy.GetSpare(), 0u);
    copy.AppendChar(u'!');
    EXPECT_EQ(copy.GetSpare(), 255u);
}

TEST(XCString, SelfAppendAndSumKeepTheirOperands)
{
    // Appending a string to itself, in place and with reallocation.
    XCStringW twice(XCStringW::Growth::Small);
    twice.Assign(u"xy", 2);
    twice.Append(twice);
    EXPECT_EQ(Text(twice), u"xyxy");
    XCStringW exact;
    exact.Assign(u"xy", 2);
    exact.Append(exact).Append(u"!");
    EXPECT_EQ(Text(exact), u"xyxy!");
    ExpectTerminated(exact);

    // A sum is a new exact string; neither operand changes.
    XCStringW a(u"ab");
    XCStringW b(XCStringW::Growth::Large);
    b.Assign(u"cd", 2);
    const XCStringW sum = a + b;
    EXPECT_EQ(Text(sum), u"abcd");
    EXPECT_EQ(sum.GetSpare(), 0u);
    EXPECT_EQ(sum.GetFlags(), 0u);
    EXPECT_EQ(Text(a), u"ab");
    EXPECT_TRUE(a.IsBorrowed());
    EXPECT_EQ(Text(b), u"cd");
}

TEST(XCString, AssignTruncatedKeepsOnlyTheLowByteUpToTheFirstZero)
{
    // U+00C4 keeps its byte; U+20AC loses its high byte.
    XCStringW wide;
    wide.Assign(u"\u00C4\u20AC", 2);
    XCStringA narrow;
    narrow.AssignTruncated(wide);
    EXPECT_EQ(Text(narrow), std::string("\xC4\xAC"));
    EXPECT_EQ(narrow.GetData()[2], 0);

    // A unit 0 inside the counted text ends the copy.
    wide.Assign(u"ab\0cd", 5);
    narrow.AssignTruncated(wide);
    EXPECT_EQ(Text(narrow), "ab");

    // The C-text form replaces what was there, without reallocating for each byte.
    narrow.AssignTruncated(u"C:/logs_\u0130");
    EXPECT_EQ(Text(narrow), "C:/logs_0");
    narrow.AssignTruncated(static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(narrow.GetLength(), 0);

    // Reserve makes an owned, empty buffer with room for the count.
    XCStringA reserved(XCStringA::Growth::Small);
    reserved.Reserve(10);
    EXPECT_EQ(reserved.GetLength(), 0);
    EXPECT_EQ(reserved.GetSpare(), 265u);
    EXPECT_FALSE(reserved.IsBorrowed());
}

TEST(XCString, FindSpaceAndEndsWithSlash)
{
    // The third unit is the first space.
    EXPECT_EQ(XCStringW(u"ab c d").FindSpace(), 2);
    EXPECT_EQ(XCStringW(u"abc").FindSpace(), -1);
    EXPECT_EQ(XCStringW().FindSpace(), -1);
    // Only a forward slash counts, and only at the end.
    EXPECT_TRUE(XCStringW(u"C:/data/").EndsWithSlash());
    EXPECT_FALSE(XCStringW(u"C:\\data\\").EndsWithSlash());
    EXPECT_FALSE(XCStringW(u"/data").EndsWithSlash());
    EXPECT_FALSE(XCStringW().EndsWithSlash());
}
