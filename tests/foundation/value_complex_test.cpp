#include "foundation/value_complex.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

XCStringW OwnedW(const char16_t* text)
{
    XCStringW owned;
    owned.Assign(text, XCStringW(text).GetLength());
    return owned;
}

XCStringA OwnedA(const char* bytes, int32_t length)
{
    XCStringA owned;
    owned.Assign(bytes, length);
    return owned;
}

std::string Bytes(const XCStringA& s) { return std::string(s.GetData(), static_cast<size_t>(s.GetLength())); }

std::u16string Text(const XCStringW& s) { return std::u16string(s.GetData(), static_cast<size_t>(s.GetLength())); }

// Fills a payload, copies it, destroys the source and checks the copy's content.
template <typename Kind, typename Fill, typename Check>
void ExpectDeepCopy(uint32_t kind, Fill fill, Check check)
{
    SCOPED_TRACE(kind);
    auto source = std::make_unique<Kind>();
    fill(*source);
    source->value = 2.5;
    source->tag = 7;
    const Kind copy(*source);
    source.reset();
    EXPECT_EQ(copy.GetType(), kind);
    EXPECT_EQ(copy.value, 0.0);
    EXPECT_EQ(copy.tag, 0u);
    check(copy);
}

using Doubles = std::vector<double>;
using Words = std::vector<uint32_t>;
using Texts = std::vector<std::u16string>;

}  // namespace

TEST(XCValueComplex, CopiesOfEveryKindOutliveTheirSourceAndDropValueAndTag)
{
    ExpectDeepCopy<XCValueComplexFO>(
        2, [](auto& o) { o.values = {-3.0, 7.0}; o.indices = {1.0, 2.0}; },
        [](const auto& o) { EXPECT_EQ(o.values, (Doubles{-3.0, 7.0})); EXPECT_EQ(o.indices, (Doubles{1.0, 2.0})); });
    ExpectDeepCopy<XCValueComplexARM>(
        3, [](auto& o) { o.numbers = {1.5}; o.codes = {9}; }, [](const auto& o) { EXPECT_EQ(o.codes, Words{9}); });
    ExpectDeepCopy<XCValueComplexEVQ>(
        4, [](auto& o) { o.wide = 0x123456789ull; o.flag = 5; o.pairs = {{6, 7}}; o.numbers = {8.0}; },
        [](const auto& o) {
            EXPECT_EQ(o.wide, 0x123456789ull); EXPECT_EQ(o.flag, 5); EXPECT_EQ(o.numbers, Doubles{8.0});
            EXPECT_EQ(o.pairs.at(0).second, 7u);
        });
    ExpectDeepCopy<XCValueComplexInterval>(
        5, [](auto& o) { o.begin = {1, 2}; o.code2 = 5; },
        [](const auto& o) { EXPECT_EQ(o.begin.second, 2u); EXPECT_EQ(o.code2, 5u); });
    ExpectDeepCopy<XCValueComplexImageBuffer>(
        6, [](auto& o) { o.bytes = OwnedA("\x01\0\x02\0", 4); },
        [](const auto& o) { EXPECT_EQ(Bytes(o.bytes), std::string("\x01\0\x02\0", 4)); });
    ExpectDeepCopy<XCValueComplexCLW>(
        7, [](auto& o) { o.records.resize(2); o.records[1][22] = 77; },
        [](const auto& o) { EXPECT_EQ(o.records.at(1)[22], 77u); });
    ExpectDeepCopy<XCValueComplexXFO>(
        8, [](auto& o) { o.number = 2.0; o.numbers = {3.0}; o.pairs = {{4, 5}}; },
        [](const auto& o) { EXPECT_EQ(o.number, 2.0); EXPECT_EQ(o.pairs.at(0).second, 5u); });
    ExpectDeepCopy<XCValueComplexXEVQ>(
        9, [](auto& o) { o.byte1 = 1; o.numbers[11] = 2.0; o.byte6 = 3; },
        [](const auto& o) { EXPECT_EQ(o.byte1, 1); EXPECT_EQ(o.numbers[11], 2.0); EXPECT_EQ(o.byte6, 3); });
    ExpectDeepCopy<XCValueComplexCCL>(
        10, [](auto& o) { o.end = {1, 2}; o.code = 4; o.text = u"zone"; },
        [](const auto& o) { EXPECT_EQ(o.end.second, 2u); EXPECT_EQ(o.code, 4u); EXPECT_EQ(o.text, u"zone"); });
    ExpectDeepCopy<XCValueComplexHAC>(
        11, [](auto& o) { o.codes = {1, 2}; o.texts1 = {u"a", u"b"}; o.texts2 = {u"c", u"d"}; },
        [](const auto& o) { EXPECT_EQ(o.texts1, (Texts{u"a", u"b"})); EXPECT_EQ(o.texts2, (Texts{u"c", u"d"})); });
    ExpectDeepCopy<XCValueComplexVorsk640CLW>(
        13, [](auto& o) { o.records.resize(1); o.records[0][11] = 12; },
        [](const auto& o) { EXPECT_EQ(o.records.at(0)[11], 12u); });
    ExpectDeepCopy<XCValueComplexString>(
        14, [](auto& o) { o.text = OwnedA("a\0b", 3); },
        [](const auto& o) { EXPECT_EQ(Bytes(o.text), std::string("a\0b", 3)); });
    ExpectDeepCopy<XCValueComplexFire>(
        15, [](auto& o) { o.records.resize(1); o.records[0].texts[5] = OwnedW(u"alarm"); },
        [](const auto& o) { EXPECT_EQ(Text(o.records.at(0).texts[5]), u"alarm"); });
    ExpectDeepCopy<XCValueComplexOccupancy>(
        16, [](auto& o) { o.records.push_back({OwnedW(u"room"), 0.5}); },
        [](const auto& o) { EXPECT_EQ(Text(o.records.at(0).name), u"room"); });
    ExpectDeepCopy<XCValueComplexMovements>(
        17, [](auto& o) { o.records.push_back({OwnedW(u"door"), 3, 1.5}); },
        [](const auto& o) { EXPECT_EQ(Text(o.records.at(0).name), u"door"); EXPECT_EQ(o.records.at(0).code, 3u); });
    ExpectDeepCopy<XCValueComplexCPP>(
        18, [](auto& o) { o.codes = {4}; o.texts = {u"pump"}; }, [](const auto& o) { EXPECT_EQ(o.texts, Texts{u"pump"}); });
}

TEST(XCValueComplex, ResetRestoresTheEmptyStatesThatAreNotZero)
{
    XCValueComplexCCL ccl;
    ccl.value = 1.0;
    ccl.text = u"x";
    ccl.begin = {0, 9};
    ccl.number3 = 0.0;
    ccl.Reset();
    EXPECT_EQ(ccl.value, 0.0);
    EXPECT_EQ(ccl.begin.first, 0xFFFFFFFFu);
    EXPECT_EQ(ccl.number3, -1.0);
    EXPECT_EQ(ccl.code, 0xFFFFFFFFu);
    EXPECT_EQ(ccl.text, u"") << "a valid empty text, not none";
    XCValueComplexInterval interval;
    interval.end = {5, 6};
    interval.Reset();
    EXPECT_EQ(interval.end.first, 0xFFFFFFFFu);
    XCValueComplexHAC hac;
    hac.codes = {1};
    hac.texts1 = {u"a", u"b"};  // longer than its lead: still freed
    hac.Reset();
    EXPECT_TRUE(hac.texts1.empty());
}

TEST(XCValueComplex, ShortPartnerVectorIsPaddedNotReadPastItsEnd)
{
    XCValueComplexFO fo;
    fo.values = {1.0, 2.0, 3.0};
    fo.indices = {1.0};
    EXPECT_EQ(XCValueComplexFO(fo).indices, (Doubles{1.0, 0.0, 0.0}));
    XCValueComplexHAC hac;
    hac.codes = {1, 2};
    hac.texts1 = {u"only"};
    const XCValueComplexHAC hacCopy(hac);
    EXPECT_EQ(hacCopy.texts1, (Texts{u"only", u""}));
    EXPECT_EQ(hacCopy.texts2.size(), 2u);
}

TEST(XCValueComplex, FoAssignmentReplacesContentAndClearsValueAndTag)
{
    XCValueComplexFO source;
    source.values = {4.0};
    source.indices = {1.0};
    XCValueComplexFO target;
    target.values = {9.0, 9.0};
    target.indices = {1.0, 2.0};
    target.tag = 3;
    target = source;
    EXPECT_EQ(target.values, Doubles{4.0});
    EXPECT_EQ(target.indices, Doubles{1.0});
    EXPECT_EQ(target.tag, 0u);
}
