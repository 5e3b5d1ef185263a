#include "foundation/value_complex.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

XCStringA Bytes(const char* data, int32_t length)
{
    XCStringA bytes;
    bytes.Assign(data, length);
    return bytes;
}

XCStringW Owned(const char16_t* text)
{
    XCStringW owned;
    owned.Assign(text, static_cast<int32_t>(std::char_traits<char16_t>::length(text)));
    return owned;
}

std::string Text(const XCStringA& s) { return std::string(s.GetData(), static_cast<size_t>(s.GetLength())); }

std::u16string Text(const XCStringW& s) { return std::u16string(s.GetData(), static_cast<size_t>(s.GetLength())); }

// One filled payload of a kind and a check that an object holds that same content.
struct KindSample {
    uint32_t kind;
    std::function<std::unique_ptr<XCValueComplex>()> make;
    std::function<std::unique_ptr<XCValueComplex>(const XCValueComplex&)> copy;
    std::function<void(const XCValueComplex&)> expectContent;
};

template <typename Kind>
std::unique_ptr<XCValueComplex> CopyOf(const XCValueComplex& src)
{
    return std::make_unique<Kind>(dynamic_cast<const Kind&>(src));
}

template <typename Kind>
const Kind& As(const XCValueComplex& object)
{
    return dynamic_cast<const Kind&>(object);
}

std::vector<KindSample> SamplesOfEveryKind()
{
    std::vector<KindSample> samples;
    samples.push_back({2, [] {
                           auto fo = std::make_unique<XCValueComplexFO>();
                           fo->values = {-3.0, 7.0};
                           fo->indices = {1.0, 2.0};
                           return std::unique_ptr<XCValueComplex>(std::move(fo));
                       },
                       CopyOf<XCValueComplexFO>, [](const XCValueComplex& o) {
                           EXPECT_EQ(As<XCValueComplexFO>(o).values, (std::vector<double>{-3.0, 7.0}));
                           EXPECT_EQ(As<XCValueComplexFO>(o).indices, (std::vector<double>{1.0, 2.0}));
                       }});
    samples.push_back({3, [] {
                           auto arm = std::make_unique<XCValueComplexARM>();
                           arm->numbers = {1.5};
                           arm->codes = {9};
                           return std::unique_ptr<XCValueComplex>(std::move(arm));
                       },
                       CopyOf<XCValueComplexARM>, [](const XCValueComplex& o) {
                           EXPECT_EQ(As<XCValueComplexARM>(o).numbers, (std::vector<double>{1.5}));
                           EXPECT_EQ(As<XCValueComplexARM>(o).codes, (std::vector<uint32_t>{9}));
                       }});
    samples.push_back({4, [] {
                           auto evq = std::make_unique<XCValueComplexEVQ>();
                           evq->number1 = 1.0;
                           evq->code1 = 2;
                           evq->wide = 0x123456789ull;
                           evq->number3 = 4.0;
                           evq->flag = 5;
                           evq->pairs = {{6, 7}};
                           evq->numbers = {8.0};
                           return std::unique_ptr<XCValueComplex>(std::move(evq));
                       },
                       CopyOf<XCValueComplexEVQ>, [](const XCValueComplex& o) {
                           const auto& evq = As<XCValueComplexEVQ>(o);
                           EXPECT_EQ(evq.number1, 1.0);
                           EXPECT_EQ(evq.code1, 2u);
                           EXPECT_EQ(evq.wide, 0x123456789ull);
                           EXPECT_EQ(evq.number3, 4.0);
                           EXPECT_EQ(evq.flag, 5);
                           ASSERT_EQ(evq.pairs.size(), 1u);
                           EXPECT_EQ(evq.pairs[0].second, 7u);
                           EXPECT_EQ(evq.numbers, (std::vector<double>{8.0}));
                       }});
    samples.push_back({5, [] {
                           auto interval = std::make_unique<XCValueComplexInterval>();
                           interval->begin = {1, 2};
                           interval->end = {3, 4};
                           interval->code2 = 5;
                           return std::unique_ptr<XCValueComplex>(std::move(interval));
                       },
                       CopyOf<XCValueComplexInterval>, [](const XCValueComplex& o) {
                           const auto& interval = As<XCValueComplexInterval>(o);
                           EXPECT_EQ(interval.begin.second, 2u);
                           EXPECT_EQ(interval.end.first, 3u);
                           EXPECT_EQ(interval.code2, 5u);
                       }});
    samples.push_back({6, [] {
                           auto image = std::make_unique<XCValueComplexImageBuffer>();
                           image->bytes = Bytes("\x01\0\x02\0", 4);
                           return std::unique_ptr<XCValueComplex>(std::move(image));
                       },
                       CopyOf<XCValueComplexImageBuffer>, [](const XCValueComplex& o) {
                           EXPECT_EQ(Text(As<XCValueComplexImageBuffer>(o).bytes), std::string("\x01\0\x02\0", 4));
                       }});
    samples.push_back({7, [] {
                           auto clw = std::make_unique<XCValueComplexCLW>();
                           clw->records.resize(2);
                           clw->records[1][22] = 77;
                           return std::unique_ptr<XCValueComplex>(std::move(clw));
                       },
                       CopyOf<XCValueComplexCLW>, [](const XCValueComplex& o) {
                           ASSERT_EQ(As<XCValueComplexCLW>(o).records.size(), 2u);
                           EXPECT_EQ(As<XCValueComplexCLW>(o).records[1][22], 77u);
                       }});
    samples.push_back({8, [] {
                           auto xfo = std::make_unique<XCValueComplexXFO>();
                           xfo->wide = 1;
                           xfo->number = 2.0;
                           xfo->numbers = {3.0};
                           xfo->pairs = {{4, 5}};
                           return std::unique_ptr<XCValueComplex>(std::move(xfo));
                       },
                       CopyOf<XCValueComplexXFO>, [](const XCValueComplex& o) {
                           const auto& xfo = As<XCValueComplexXFO>(o);
                           EXPECT_EQ(xfo.wide, 1u);
                           EXPECT_EQ(xfo.number, 2.0);
                           EXPECT_EQ(xfo.numbers, (std::vector<double>{3.0}));
                           ASSERT_EQ(xfo.pairs.size(), 1u);
                           EXPECT_EQ(xfo.pairs[0].second, 5u);
                       }});
    samples.push_back({9, [] {
                           auto xevq = std::make_unique<XCValueComplexXEVQ>();
                           xevq->byte1 = 1;
                           xevq->numbers[11] = 2.0;
                           xevq->byte6 = 3;
                           return std::unique_ptr<XCValueComplex>(std::move(xevq));
                       },
                       CopyOf<XCValueComplexXEVQ>, [](const XCValueComplex& o) {
                           const auto& xevq = As<XCValueComplexXEVQ>(o);
                           EXPECT_EQ(xevq.byte1, 1);
                           EXPECT_EQ(xevq.numbers[11], 2.0);
                           EXPECT_EQ(xevq.byte6, 3);
                       }});
    samples.push_back({10, [] {
                           auto ccl = std::make_unique<XCValueComplexCCL>();
                           ccl->begin = {1, 2};
                           ccl->number2 = 3.0;
                           ccl->code = 4;
                           ccl->text = u"zone";
                           return std::unique_ptr<XCValueComplex>(std::move(ccl));
                       },
                       CopyOf<XCValueComplexCCL>, [](const XCValueComplex& o) {
                           const auto& ccl = As<XCValueComplexCCL>(o);
                           EXPECT_EQ(ccl.begin.second, 2u);
                           EXPECT_EQ(ccl.number2, 3.0);
                           EXPECT_EQ(ccl.code, 4u);
                           EXPECT_EQ(ccl.text, u"zone");
                       }});
    samples.push_back({11, [] {
                           auto hac = std::make_unique<XCValueComplexHAC>();
                           hac->codes = {1, 2};
                           hac->texts1 = {u"a", u"b"};
                           hac->texts2 = {u"c", u"d"};
                           return std::unique_ptr<XCValueComplex>(std::move(hac));
                       },
                       CopyOf<XCValueComplexHAC>, [](const XCValueComplex& o) {
                           const auto& hac = As<XCValueComplexHAC>(o);
                           EXPECT_EQ(hac.codes, (std::vector<uint32_t>{1, 2}));
                           EXPECT_EQ(hac.texts1, (std::vector<std::u16string>{u"a", u"b"}));
                           EXPECT_EQ(hac.texts2, (std::vector<std::u16string>{u"c", u"d"}));
                       }});
    samples.push_back({13, [] {
                           auto vorsk = std::make_unique<XCValueComplexVorsk640CLW>();
                           vorsk->records.resize(1);
                           vorsk->records[0][11] = 12;
                           return std::unique_ptr<XCValueComplex>(std::move(vorsk));
                       },
                       CopyOf<XCValueComplexVorsk640CLW>, [](const XCValueComplex& o) {
                           ASSERT_EQ(As<XCValueComplexVorsk640CLW>(o).records.size(), 1u);
                           EXPECT_EQ(As<XCValueComplexVorsk640CLW>(o).records[0][11], 12u);
                       }});
    samples.push_back({14, [] {
                           auto string = std::make_unique<XCValueComplexString>();
                           string->text = Bytes("a\0b", 3);
                           return std::unique_ptr<XCValueComplex>(std::move(string));
                       },
                       CopyOf<XCValueComplexString>, [](const XCValueComplex& o) {
                           EXPECT_EQ(Text(As<XCValueComplexString>(o).text), std::string("a\0b", 3));
                       }});
    samples.push_back({15, [] {
                           auto fire = std::make_unique<XCValueComplexFire>();
                           fire->records.resize(1);
                           fire->records[0].texts[5] = Owned(u"alarm");
                           return std::unique_ptr<XCValueComplex>(std::move(fire));
                       },
                       CopyOf<XCValueComplexFire>, [](const XCValueComplex& o) {
                           ASSERT_EQ(As<XCValueComplexFire>(o).records.size(), 1u);
                           EXPECT_EQ(Text(As<XCValueComplexFire>(o).records[0].texts[5]), u"alarm");
                       }});
    samples.push_back({16, [] {
                           auto occupancy = std::make_unique<XCValueComplexOccupancy>();
                           occupancy->records.push_back({Owned(u"room"), 0.5});
                           return std::unique_ptr<XCValueComplex>(std::move(occupancy));
                       },
                       CopyOf<XCValueComplexOccupancy>, [](const XCValueComplex& o) {
                           ASSERT_EQ(As<XCValueComplexOccupancy>(o).records.size(), 1u);
                           EXPECT_EQ(Text(As<XCValueComplexOccupancy>(o).records[0].name), u"room");
                           EXPECT_EQ(As<XCValueComplexOccupancy>(o).records[0].number, 0.5);
                       }});
    samples.push_back({17, [] {
                           auto movements = std::make_unique<XCValueComplexMovements>();
                           movements->records.push_back({Owned(u"door"), 3, 1.5});
                           return std::unique_ptr<XCValueComplex>(std::move(movements));
                       },
                       CopyOf<XCValueComplexMovements>, [](const XCValueComplex& o) {
                           const auto& movements = As<XCValueComplexMovements>(o);
                           ASSERT_EQ(movements.records.size(), 1u);
                           EXPECT_EQ(Text(movements.records[0].name), u"door");
                           EXPECT_EQ(movements.records[0].code, 3u);
                       }});
    samples.push_back({18, [] {
                           auto cpp = std::make_unique<XCValueComplexCPP>();
                           cpp->codes = {4};
                           cpp->texts = {u"pump"};
                           return std::unique_ptr<XCValueComplex>(std::move(cpp));
                       },
                       CopyOf<XCValueComplexCPP>, [](const XCValueComplex& o) {
                           EXPECT_EQ(As<XCValueComplexCPP>(o).codes, (std::vector<uint32_t>{4}));
                           EXPECT_EQ(As<XCValueComplexCPP>(o).texts, (std::vector<std::u16string>{u"pump"}));
                       }});
    return samples;
}

}  // namespace

TEST(XCValueComplex, CopiesOfEveryKindOutliveTheirSourceAndDropValueAndTag)
{
    for (const KindSample& sample : SamplesOfEveryKind()) {
        SCOPED_TRACE(sample.kind);
        std::unique_ptr<XCValueComplex> source = sample.make();
        source->value = 2.5;
        source->tag = 7;
        std::unique_ptr<XCValueComplex> copy = sample.copy(*source);
        source.reset();
        EXPECT_EQ(copy->GetType(), sample.kind);
        sample.expectContent(*copy);
        EXPECT_EQ(copy->value, 0.0);
        EXPECT_EQ(copy->tag, 0u);
    }
}

TEST(XCValueComplex, ResetEmptiesEveryKindLikeAFreshObject)
{
    for (const KindSample& sample : SamplesOfEveryKind()) {
        SCOPED_TRACE(sample.kind);
        std::unique_ptr<XCValueComplex> object = sample.make();
        object->value = 1.0;
        object->tag = 1;
        object->Reset();
        EXPECT_EQ(object->value, 0.0);
        EXPECT_EQ(object->tag, 0u);
        // A reset object copies like an empty one: the content check must now fail.
        ::testing::TestPartResultArray failures;
        {
            ::testing::ScopedFakeTestPartResultReporter reporter(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
            sample.expectContent(*object);
        }
        EXPECT_GT(failures.size(), 0);
    }
    // Empty states that are not zero.
    XCValueComplexCCL ccl;
    ccl.text = u"x";
    ccl.begin.first = 0;
    ccl.Reset();
    EXPECT_EQ(ccl.begin.first, 0xFFFFFFFFu);
    EXPECT_EQ(ccl.number1, -1.0);
    EXPECT_EQ(ccl.code, 0xFFFFFFFFu);
    ASSERT_NE(ccl.text.c_str(), nullptr);
    EXPECT_EQ(ccl.text, u"");
    XCValueComplexInterval interval;
    interval.end = {5, 6};
    interval.Reset();
    EXPECT_EQ(interval.end.first, 0xFFFFFFFFu);
}

TEST(XCValueComplex, ShortPartnerVectorIsPaddedNotReadPastItsEnd)
{
    XCValueComplexFO fo;
    fo.values = {1.0, 2.0, 3.0};
    fo.indices = {1.0};
    const XCValueComplexFO copy(fo);
    EXPECT_EQ(copy.values.size(), 3u);
    EXPECT_EQ(copy.indices, (std::vector<double>{1.0, 0.0, 0.0}));

    XCValueComplexHAC hac;
    hac.codes = {1, 2};
    hac.texts1 = {u"only"};
    const XCValueComplexHAC hacCopy(hac);
    EXPECT_EQ(hacCopy.texts1, (std::vector<std::u16string>{u"only", u""}));
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
    target.value = 3.0;
    target.tag = 3;
    target = source;
    EXPECT_EQ(target.values, (std::vector<double>{4.0}));
    EXPECT_EQ(target.indices, (std::vector<double>{1.0}));
    EXPECT_EQ(target.value, 0.0);
    EXPECT_EQ(target.tag, 0u);
}
