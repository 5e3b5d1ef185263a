#include "foundation/value_complex.h"
#include "tests/recordfiles/std_file_fixture.h"

#include <cmath>
#include <tuple>

using namespace recordtest;

namespace {

XCValue DecodedValue(uint16_t code, Bytes bytes)
{
    XCValue out;
    EXPECT_TRUE(XCStdFile::DecodeValue(code, bytes.data(), out, 0));
    return out;
}

double Decoded(uint16_t code, Bytes bytes) { return DecodedValue(code, std::move(bytes)).GetDouble(); }

Bytes Encoded(uint16_t code, const XCValue& value)
{
    Bytes bytes(size_t(XCStdFile::GetValueSize(code, 0)), 0xAA);
    EXPECT_TRUE(XCStdFile::EncodeValue(code, bytes.data(), value, 0));
    return bytes;
}

}  // namespace

TEST(StdValueCodec, FieldSizesAndNumbers)
{
    const int sizes[] = {4, 4, 1, 1, 2, 2, 4, 8, 8, 0, 0, 0, 0, 0};
    for (int type = 0; type < 14; ++type)
        EXPECT_EQ(XCStdFile::GetValueSize(uint16_t(type << 12 | 0x123), 0), sizes[type]) << type;
    // Arrays of `count` two-byte elements, or of 2^k bytes whatever the count; texts of 2^k bytes.
    const std::tuple<uint16_t, int, int> fields[] = {
        {0xE000, 5, 10}, {0xE300, 5, 8}, {0xF000, 0, 1}, {0xF200, 0, 4}, {0xE000, 0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& [code, count, size] : fields)
        EXPECT_EQ(XCStdFile::GetValueSize(code, count), size) << code << " " << count;
    // Types 9 to 0xD neither decode nor encode.
    Bytes bytes = {1, 2, 3, 4};
    XCValue value = Number(7.0);
    EXPECT_FALSE(XCStdFile::EncodeValue(0x9000, bytes.data(), value, 0));
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_FALSE(XCStdFile::DecodeValue(0xD000, bytes.data(), value, 0));
    EXPECT_EQ(value.GetType(), XCValueType::Empty);

    EXPECT_EQ(Decoded(0x0001, {0xFF, 0xFF, 0xFF, 0xFF}), -1.0);
    EXPECT_EQ(Decoded(0x1001, {0xFF, 0xFF, 0xFF, 0xFF}), 4294967295.0);
    EXPECT_EQ(Decoded(0x2001, {0xFF}) + Decoded(0x3001, {0xFF}), 254.0);
    EXPECT_EQ(Decoded(0x4001, {0xFF, 0xFE}) + Decoded(0x5001, {0xFF, 0xFE}), 65532.0);
    EXPECT_EQ(Decoded(0x6001, {0x01, 0x00, 0x00, 0x01}), 16777216.0);  // through single precision
    const Bytes fiveAndAHalf = {0, 0, 0, 5, 0, 0, 0x01, 0xF4};
    EXPECT_EQ(Decoded(0x8001, fiveAndAHalf), 5.5);
    EXPECT_EQ(Encoded(0x8001, Number(5.5)), fiveAndAHalf);
    EXPECT_EQ(Encoded(0x8001, Number(-1.25)), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x06}));
    EXPECT_EQ(Decoded(0x8001, Encoded(0x8001, Number(-1.25))), -1.25);
    // The double is the one little-endian field.
    EXPECT_EQ(Encoded(0x7001, Number(1.0)), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(Decoded(0x7001, Encoded(0x7001, Number(-123.456))), -123.456);
    // Out of range: the low bits; beyond 32 bits and NaN truncate to -2^31 first.
    EXPECT_EQ(Encoded(0x4001, Number(70000)), (Bytes{0x11, 0x70}));
    EXPECT_EQ(Encoded(0x4001, Number(1e10)), (Bytes{0x00, 0x00}));
    EXPECT_EQ(Encoded(0x0001, Number(std::nan(""))), (Bytes{0x80, 0x00, 0x00, 0x00}));
}

TEST(StdValueCodec, TextsAndArrays)
{
    // Text is UTF-8 cut to its field and padded with zeros.
    XCValue text;
    text.SetWideString(u"abcdef");
    EXPECT_EQ(Encoded(0xF201, text), (Bytes{'a', 'b', 'c', 'd'}));
    EXPECT_EQ(std::u16string(DecodedValue(0xF201, {'a', 'b', 'c', 'd'}).GetWideString()->GetData()), u"abcd");
    text.SetWideString(u"\u00E9");
    EXPECT_EQ(Encoded(0xF201, text), (Bytes{0xC3, 0xA9, 0, 0}));
    EXPECT_EQ(std::u16string(DecodedValue(0xF201, {0xC3, 0xA9, 0, 'x'}).GetWideString()->GetData()), u"\u00E9");
    EXPECT_EQ(Encoded(0xF001, text), (Bytes{0xC3}));  // cut inside the character
    EXPECT_EQ(Encoded(0xF201, Number(42.0)), (Bytes{0, 0, 0, 0}));
    // Arrays travel through FO payloads.
    XCValueComplexFO two;
    two.values = {-2.0, 300.7};
    two.indices = {1, 2};
    XCValue value;
    value.SetComplex(&two);
    const Bytes field = Encoded(0xE301, value);
    EXPECT_EQ(field, (Bytes{0xFF, 0xFE, 0x01, 0x2C, 0, 0, 0, 0}));
    XCValue out = DecodedValue(0xE301, field);
    ASSERT_EQ(out.GetComplex()->GetType(), 2u);
    const auto* array = static_cast<const XCValueComplexFO*>(out.GetComplex());
    EXPECT_EQ(array->values, (std::vector<double>{-2, 300, 0, 0}));
    EXPECT_EQ(array->indices, (std::vector<double>{1, 2, 3, 4}));
    // Without a size exponent the caller's count decides: a header's 0 gives an empty array.
    out = DecodedValue(0xE001, field);
    EXPECT_TRUE(static_cast<const XCValueComplexFO*>(out.GetComplex())->values.empty());
    EXPECT_EQ(Encoded(0xE201, Number(5.0)), (Bytes{0, 0, 0, 0}));  // no FO payload: zeros
}

// Record values are scaled by id with the header's unit scales.
using StdScaledValues = StdFileTest;

TEST_F(StdScaledValues, WrapFixedFactorAndFallbackScales)
{
    // Time stamp, 40 (wrapping U(495)), 1774 (U(418), else U(4039), else 1), 63 (fixed 0.01).
    ASSERT_TRUE(Open(TimedImage({0x4028, 0x46EE, 0x003F}, 8).Header()));
    // Raw 150 at 0.01 is 1.5, which wraps to -0.5; -0.5 is stored as -50.
    EXPECT_DOUBLE_EQ(Set(1, 1.5), -0.5);
    EXPECT_DOUBLE_EQ(Set(1, -0.5), -0.5);
    // 1.23 / 0.01 would truncate to 122; the fixed factor is undone by * 100.
    EXPECT_DOUBLE_EQ(Set(3, 1.23), 1.23);
    ASSERT_TRUE(file_.AppendRecord());
    const Bytes data = Data();
    EXPECT_EQ(Bytes(data.end() - 13, data.end() - 1), Concat({Be32(0), Be16(uint16_t(-50)), Be16(0), Be32(123)}));
    EXPECT_EQ(Set(2, 1234), 1234.0);  // U(418) and U(4039) both unset
    EXPECT_EQ(Set(4, 7), 0.0);        // one past the last variable: neither set nor read
}

TEST_F(StdScaledValues, TimeStampKeepsBit31InASignedField)
{
    // Without a year base in the header it is 1992: from 2024 on the packed date sets bit 31.
    const XCTime t = At(2025, 3, 14, 15, 9, 26), hourLater = At(2025, 3, 14, 16, 9, 26);
    for (const uint16_t code : {0x0139, 0x1139}) {
        ASSERT_TRUE(Open(Image({}, {code, 0x41DA}, 7).Header())) << code;
        EXPECT_EQ(Set(0, t.ToDouble()), t.ToDouble()) << code;
        ASSERT_TRUE(file_.AppendRecord()) << code;
        EXPECT_TRUE(Append(hourLater)) << code;
        const Bytes data = Data();
        EXPECT_EQ(Bytes(data.end() - 7, data.end() - 3), Be32(Packed(33, 3, 14, 16, 9, 26))) << code;
        EXPECT_EQ(Span(), std::make_tuple(2, t, hourLater)) << code;
    }
}
