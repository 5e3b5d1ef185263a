#include "foundation/xc_value.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

namespace {

std::u16string Text(const XCStringW* s) { return std::u16string(s->GetData(), static_cast<size_t>(s->GetLength())); }

std::string Text(const XCStringA* s) { return std::string(s->GetData(), static_cast<size_t>(s->GetLength())); }

// A payload outside the family that claims a kind code.
class ClaimedKind : public XCValueComplex {
public:
    explicit ClaimedKind(uint32_t kind) : kind_(kind) {}
    uint32_t GetType() const override { return kind_; }

private:
    uint32_t kind_;
};

template <typename Kind>
void ExpectClonedAsItsOwnClass(uint32_t kind)
{
    SCOPED_TRACE(kind);
    Kind source;
    source.tag = 3;
    XCValue value;
    value.SetComplex(&source);
    ASSERT_NE(value.GetComplex(), nullptr);
    EXPECT_NE(value.GetComplex(), &source);
    EXPECT_EQ(typeid(*value.GetComplex()), typeid(Kind));
    // Only the plain payload carries its tag into the clone.
    EXPECT_EQ(value.GetComplex()->tag, kind == 1 ? 3u : 0u);
}

}  // namespace

TEST(XCValue, CopiesOwnTheirPayloadAfterTheSourceIsGone)
{
    XCValueComplexHAC hac;
    hac.codes = {1};
    hac.texts1 = {u"first"};
    hac.texts2 = {u"second"};
    auto wide = std::make_unique<XCValue>();
    auto narrow = std::make_unique<XCValue>();
    auto complex = std::make_unique<XCValue>();
    wide->SetWideString(u"Tensión");
    narrow->SetNarrowString("logs");
    complex->SetComplex(&hac);
    XCValue wideCopy;
    wideCopy = *wide;
    const XCValue narrowCopy(*narrow);
    XCValue complexCopy;
    complexCopy = *complex;
    wide.reset();
    narrow.reset();
    complex.reset();
    EXPECT_EQ(Text(wideCopy.GetWideString()), u"Tensión");
    EXPECT_EQ(Text(narrowCopy.GetNarrowString()), "logs");
    const auto& hacCopy = dynamic_cast<const XCValueComplexHAC&>(*complexCopy.GetComplex());
    EXPECT_EQ(hacCopy.texts2.at(0), u"second");
}

TEST(XCValue, EveryKindIsClonedAsItsOwnClass)
{
    ExpectClonedAsItsOwnClass<XCValueComplex>(1);
    ExpectClonedAsItsOwnClass<XCValueComplexFO>(2);
    ExpectClonedAsItsOwnClass<XCValueComplexARM>(3);
    ExpectClonedAsItsOwnClass<XCValueComplexEVQ>(4);
    ExpectClonedAsItsOwnClass<XCValueComplexInterval>(5);
    ExpectClonedAsItsOwnClass<XCValueComplexImageBuffer>(6);
    ExpectClonedAsItsOwnClass<XCValueComplexCLW>(7);
    ExpectClonedAsItsOwnClass<XCValueComplexXFO>(8);
    ExpectClonedAsItsOwnClass<XCValueComplexXEVQ>(9);
    ExpectClonedAsItsOwnClass<XCValueComplexCCL>(10);
    ExpectClonedAsItsOwnClass<XCValueComplexHAC>(11);
    ExpectClonedAsItsOwnClass<XCValueComplexVorsk640CLW>(13);
    ExpectClonedAsItsOwnClass<XCValueComplexString>(14);
    ExpectClonedAsItsOwnClass<XCValueComplexFire>(15);
    ExpectClonedAsItsOwnClass<XCValueComplexOccupancy>(16);
    ExpectClonedAsItsOwnClass<XCValueComplexMovements>(17);
    ExpectClonedAsItsOwnClass<XCValueComplexCPP>(18);
}

TEST(XCValue, KindTwelveAndUnknownKindsLeaveTheValueEmpty)
{
    for (uint32_t kind : {0u, 12u, 19u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(kind);
        const ClaimedKind payload(kind);
        XCValue value;
        value.SetWideString(u"old");
        value.SetComplex(&payload);
        EXPECT_EQ(value.GetType(), XCValueType::Empty);
    }
    // A payload that claims a kind it is not of is not copied as that class.
    const ClaimedKind impostor(2);
    XCValue value;
    value.SetComplex(&impostor);
    EXPECT_EQ(value.GetComplex(), nullptr);
}

TEST(XCValue, StringsAreCopiedUpToAnEmbeddedNul)
{
    XCValue value;
    value.SetWideString(u"ab\0cd");
    EXPECT_EQ(Text(value.GetWideString()), u"ab");
    value.SetNarrowString("xy\0z");
    EXPECT_EQ(Text(XCValue(value).GetNarrowString()), "xy");
    // A null text counts as empty.
    value.SetWideString(nullptr);
    EXPECT_EQ(Text(value.GetWideString()), u"");
}

TEST(XCValue, SetterGivenItsOwnPayloadCopiesBeforeReleasing)
{
    XCValue value;
    value.SetWideString(u"wide");
    value.SetWideString(value.GetWideString()->GetData());
    EXPECT_EQ(Text(value.GetWideString()), u"wide");
    value.SetNarrowString("narrow");
    value.SetNarrowString(value.GetNarrowString()->GetData());
    EXPECT_EQ(Text(value.GetNarrowString()), "narrow");
    XCValueComplexFO fo;
    fo.values = {5.0};
    fo.indices = {1.0};
    value.SetComplex(&fo);
    value.SetComplex(value.GetComplex());
    EXPECT_EQ(dynamic_cast<const XCValueComplexFO&>(*value.GetComplex()).values, std::vector<double>{5.0});
}

TEST(XCValue, SettersReleaseTheOldPayloadOnce)
{
    XCValueComplexFO fo;
    fo.values = {1.0};
    fo.indices = {1.0};
    XCValue value;
    value.SetWideString(u"first");
    value.SetDouble(1.0);
    EXPECT_EQ(value.GetWideString(), nullptr);
    value.SetNarrowString("second");
    value.SetComplex(&fo);
    value.SetComplex(&fo);
    value.SetWideString(u"third");
    value = g_EmptyValue;
    EXPECT_EQ(value.GetType(), XCValueType::Empty);
    value.SetNarrowString("fourth");
    // Assigning a value to itself keeps its payload.
    XCValue& same = value;
    value = same;
    EXPECT_EQ(Text(value.GetNarrowString()), "fourth");
    // A complex value left without payload copies as such.
    value.SetComplex(nullptr);
    const XCValue copy(value);
    EXPECT_EQ(copy.GetType(), XCValueType::Complex);
    EXPECT_EQ(copy.GetComplex(), nullptr);
}
