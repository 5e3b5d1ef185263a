#include "foundation/xc_value.h"

#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

namespace {

using Doubles = std::vector<double>;
using Texts = std::vector<std::u16string>;

// A payload outside the family that claims a kind code.
struct ClaimedKind : XCValueComplex {
    explicit ClaimedKind(uint32_t claimed) : kind(claimed) {}
    uint32_t GetType() const override { return kind; }
    uint32_t kind;
};

// Fills a payload, puts it into a value, copies that value and destroys the source and the first
// value before checking the copy: its own class, its content, and value and tag kept by kind 1 only.
template <typename Kind, typename Fill, typename Check>
void ExpectDeepCopy(uint32_t kind, Fill fill, Check check)
{
    SCOPED_TRACE(kind);
    auto source = std::make_unique<Kind>();
    fill(*source);
    source->value = 2.5;
    source->tag = 7;
    auto first = std::make_unique<XCValue>();
    first->SetComplex(source.get());
    source.reset();
    const XCValue copy(*first);
    first.reset();
    const XCValueComplex* payload = copy.GetComplex();
    ASSERT_TRUE(payload != nullptr && typeid(*payload) == typeid(Kind));
    EXPECT_TRUE(payload->value == (kind == 1 ? 2.5 : 0.0) && payload->tag == (kind == 1 ? 7u : 0u));
    check(static_cast<const Kind&>(*payload));
}

}  // namespace

TEST(XCValue, CopiesOfEveryKindOwnTheirPayloadAfterTheSourceIsGoneAndOtherKindsClearTheValue)
{
    // A partner vector shorter than its lead gives empty elements rather than a read past its end.
    ExpectDeepCopy<XCValueComplex>(1, [](auto&) {}, [](const auto&) {});
    ExpectDeepCopy<XCValueComplexFO>(2, [](auto& o) { o.values = {-3.0, 7.0}; o.indices = {1.0}; },
        [](const auto& o) { EXPECT_TRUE(o.values == (Doubles{-3.0, 7.0}) && o.indices == (Doubles{1.0, 0.0})); });
    ExpectDeepCopy<XCValueComplexARM>(3, [](auto& o) { o.numbers = {1.5, 2.5}; o.codes = {9}; },
        [](const auto& o) { EXPECT_EQ(o.codes, (std::vector<uint32_t>{9, 0})); });
    ExpectDeepCopy<XCValueComplexEVQ>(4, [](auto& o) { o.wide = 0x123456789ull; o.flag = 5; o.pairs = {{6, 7}}; },
        [](const auto& o) { EXPECT_TRUE(o.wide == 0x123456789ull && o.flag == 5 && o.pairs.at(0).second == 7u); });
    ExpectDeepCopy<XCValueComplexInterval>(5, [](auto& o) { o.begin = {1, 2}; o.code2 = 5; },
        [](const auto& o) { EXPECT_TRUE(o.begin.second == 2u && o.code2 == 5u); });
    ExpectDeepCopy<XCValueComplexImageBuffer>(6, [](auto& o) { o.bytes = OwnedA(std::string("\x01\0\x02\0", 4)); },
        [](const auto& o) { EXPECT_EQ(Bytes(o.bytes), std::string("\x01\0\x02\0", 4)); });
    ExpectDeepCopy<XCValueComplexCLW>(7, [](auto& o) { o.records.resize(2); o.records[1][22] = 77; },
        [](const auto& o) { EXPECT_EQ(o.records.at(1)[22], 77u); });
    ExpectDeepCopy<XCValueComplexXFO>(8, [](auto& o) { o.number = 2.0; o.numbers = {3.0, 4.0}; o.pairs = {{4, 5}}; },
        [](const auto& o) { EXPECT_TRUE(o.number == 2.0 && o.pairs.at(0).second == 5u && o.pairs.at(1).first == 0u); });
    ExpectDeepCopy<XCValueComplexXEVQ>(9, [](auto& o) { o.numbers[11] = 2.0; o.byte6 = 3; },
        [](const auto& o) { EXPECT_TRUE(o.numbers[11] == 2.0 && o.byte6 == 3); });
    ExpectDeepCopy<XCValueComplexCCL>(10, [](auto& o) { o.end = {1, 2}; o.text = std::u16string(u"zo\0x", 4); },
        [](const auto& o) { EXPECT_TRUE(o.end.second == 2u && o.text == u"zo"); });
    ExpectDeepCopy<XCValueComplexHAC>(11, [](auto& o) { o.codes = {1, 2}; o.texts1 = {u"a"}; o.texts2 = {u"c", u"d"}; },
        [](const auto& o) { EXPECT_EQ(o.texts1, (Texts{u"a", u""})); EXPECT_EQ(o.texts2, (Texts{u"c", u"d"})); });
    ExpectDeepCopy<XCValueComplexVorsk640CLW>(13, [](auto& o) { o.records.resize(1); o.records[0][11] = 12; },
        [](const auto& o) { EXPECT_EQ(o.records.at(0)[11], 12u); });
    ExpectDeepCopy<XCValueComplexString>(14, [](auto& o) { o.text = OwnedA(std::string("a\0b", 3)); },
        [](const auto& o) { EXPECT_EQ(Bytes(o.GetString()), std::string("a\0b", 3)); });
    ExpectDeepCopy<XCValueComplexFire>(15, [](auto& o) { o.records.resize(1); o.records[0].texts[5] = OwnedW(u"fire"); },
        [](const auto& o) { EXPECT_EQ(U16(o.records.at(0).texts[5]), u"fire"); });
    ExpectDeepCopy<XCValueComplexOccupancy>(16, [](auto& o) { o.records.push_back({OwnedW(u"room"), 0.5}); },
        [](const auto& o) { EXPECT_EQ(U16(o.records.at(0).name), u"room"); });
    ExpectDeepCopy<XCValueComplexMovements>(17, [](auto& o) { o.records.push_back({OwnedW(u"door"), 3, 1.5}); },
        [](const auto& o) { EXPECT_TRUE(U16(o.records.at(0).name) == u"door" && o.records.at(0).code == 3u); });
    ExpectDeepCopy<XCValueComplexCPP>(18, [](auto& o) { o.codes = {4, 5}; o.texts = {u"pump"}; },
        [](const auto& o) { EXPECT_EQ(o.texts, (Texts{u"pump", u""})); });
    // Kind 12 and unknown kinds clear the value; a payload that claims a kind it is not of is not copied.
    for (uint32_t kind : {0u, 12u, 19u, 0xFFFFFFFFu, 2u}) {
        const ClaimedKind payload(kind);
        XCValue value;
        value.SetWideString(u"old");
        value.SetComplex(&payload);
        EXPECT_EQ(value.GetType(), kind == 2 ? XCValueType::Complex : XCValueType::Empty) << kind;
        EXPECT_EQ(value.GetComplex(), nullptr) << kind;
    }
}

TEST(XCValue, SettersCopyTextUpToANulAndReleaseTheOldPayloadOnce)
{
    // Strings are copied deeply up to an embedded NUL; each setter copies text or a payload of the value
    // itself before the old payload goes (the leak checker counts the releases).
    auto source = std::make_unique<XCValue>();
    source->SetWideString(u"ab\0cd");
    XCValue value;
    value = *source;
    source->SetNarrowString("xy\0z");
    XCValue narrow(*source);
    source.reset();
    value.SetWideString(value.GetWideString()->GetData());
    narrow.SetNarrowString(narrow.GetNarrowString()->GetData());
    EXPECT_EQ(U16(*value.GetWideString()), u"ab");
    EXPECT_EQ(Bytes(*narrow.GetNarrowString()), "xy");
    XCValueComplexFO fo;
    fo.values = {5.0};
    value.SetComplex(&fo);
    value.SetComplex(value.GetComplex());
    EXPECT_EQ(dynamic_cast<const XCValueComplexFO&>(*value.GetComplex()).values, Doubles{5.0});
    // Assigning a value to itself keeps its payload; a double has no text, a null text counts as empty;
    // a complex value without a payload copies as such.
    XCValue& same = value;
    value = same;
    EXPECT_NE(value.GetComplex(), nullptr);
    value.SetDouble(1.0);
    EXPECT_EQ(value.GetWideString(), nullptr);
    value.SetWideString(nullptr);
    EXPECT_EQ(U16(*value.GetWideString()), u"");
    value = g_EmptyValue;
    EXPECT_EQ(value.GetType(), XCValueType::Empty);
    value.SetComplex(nullptr);
    const XCValue copy(value);
    EXPECT_TRUE(copy.GetType() == XCValueType::Complex && copy.GetComplex() == nullptr);
}
