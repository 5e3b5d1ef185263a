#include "foundation/text_encoding.h"
#include "foundation/value_complex.h"
#include "recordfiles/record_bytes.h"
#include "recordfiles/std_file.h"
#include "recordfiles/std_number_conversion.h"
#include "recordfiles/std_scale_rule.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

enum ValueType {
    kSigned32 = 0,
    kUnsigned32 = 1,
    kSigned8 = 2,
    kUnsigned8 = 3,
    kSigned16 = 4,
    kUnsigned16 = 5,
    kSingle = 6,
    kLittleEndianDouble = 7,
    kSecondsAndMilliseconds = 8,
    kArray = 0xE,
    kText = 0xF,
};

int TypeOf(XCStdFile::VariableCode code) { return code >> 12; }
int SizeExponent(XCStdFile::VariableCode code) { return (code >> 8) & 15; }

// Elements of an array field: 2^k / 2, or the caller's count when k is 0.
int ArrayElements(XCStdFile::VariableCode code, int count)
{
    const int k = SizeExponent(code);
    return k == 0 ? count : (1 << k) >> 1;
}

void DecodeArray(XCStdFile::VariableCode code, const unsigned char* bytes, XCValue& out, int count)
{
    XCValueComplexFO array;
    const int elements = ArrayElements(code, count);
    for (int i = 0; i < elements; ++i) {
        array.values.push_back(static_cast<int16_t>(record_bytes::ReadU16(bytes + 2 * i)));
        array.indices.push_back(i + 1);
    }
    out.SetComplex(&array);
}

void EncodeArray(XCStdFile::VariableCode code, unsigned char* bytes, const XCValue& value, int count)
{
    const int elements = ArrayElements(code, count);
    if (elements <= 0)
        return;
    std::memset(bytes, 0, static_cast<size_t>(elements) * 2);
    const XCValueComplex* payload = value.GetComplex();
    if (value.GetType() != XCValueType::Complex || payload == nullptr || payload->GetType() != 2)
        return;
    const auto& values = static_cast<const XCValueComplexFO*>(payload)->values;
    const size_t written = std::min(static_cast<size_t>(elements), values.size());
    for (size_t i = 0; i < written; ++i)
        record_bytes::WriteU16(bytes + 2 * i, static_cast<uint16_t>(std_numbers::TruncateToInt32(values[i])));
}

void DecodeText(XCStdFile::VariableCode code, const unsigned char* bytes, XCValue& out)
{
    const int size = 1 << SizeExponent(code);
    const void* end = std::memchr(bytes, 0, static_cast<size_t>(size));
    const int length = end == nullptr ? size : static_cast<int>(static_cast<const unsigned char*>(end) - bytes);
    XCStringW text;
    Utf8ToWideN(text, reinterpret_cast<const char*>(bytes), length);
    out.SetWideString(text.GetData());
}

void EncodeText(XCStdFile::VariableCode code, unsigned char* bytes, const XCValue& value)
{
    const int size = 1 << SizeExponent(code);
    std::memset(bytes, 0, static_cast<size_t>(size));
    if (value.GetType() != XCValueType::WideString || value.GetWideString() == nullptr)
        return;
    XCStringA utf8;
    WideToUtf8(utf8, *value.GetWideString());
    std::memcpy(bytes, utf8.GetData(), static_cast<size_t>(std::min(size, utf8.GetLength())));
}

}  // namespace

int XCStdFile::GetValueSize(VariableCode code, int count)
{
    switch (TypeOf(code)) {
    case kSigned8:
    case kUnsigned8: return 1;
    case kSigned16:
    case kUnsigned16: return 2;
    case kSigned32:
    case kUnsigned32:
    case kSingle: return 4;
    case kLittleEndianDouble:
    case kSecondsAndMilliseconds: return 8;
    case kArray: {
        const int k = SizeExponent(code);
        if (k != 0)
            return 1 << k;
        // A count that would overflow the size is larger than any record anyway.
        return count <= 0 ? 0 : count > INT_MAX / 2 ? INT_MAX : 2 * count;
    }
    case kText: return 1 << SizeExponent(code);
    default: return 0;
    }
}

bool XCStdFile::DecodeValue(VariableCode code, const unsigned char* bytes, XCValue& out, int count)
{
    out.Clear();
    switch (TypeOf(code)) {
    case kSigned32: out.SetDouble(static_cast<int32_t>(record_bytes::ReadU32(bytes))); return true;
    case kUnsigned32: out.SetDouble(record_bytes::ReadU32(bytes)); return true;
    case kSigned8: out.SetDouble(static_cast<int8_t>(bytes[0])); return true;
    case kUnsigned8: out.SetDouble(bytes[0]); return true;
    case kSigned16: out.SetDouble(static_cast<int16_t>(record_bytes::ReadU16(bytes))); return true;
    case kUnsigned16: out.SetDouble(record_bytes::ReadU16(bytes)); return true;
    case kSingle:
        out.SetDouble(static_cast<float>(static_cast<int32_t>(record_bytes::ReadU32(bytes))));
        return true;
    case kLittleEndianDouble: out.SetDouble(record_bytes::ReadLittleEndianDouble(bytes)); return true;
    case kSecondsAndMilliseconds:
        out.SetDouble(static_cast<int32_t>(record_bytes::ReadU32(bytes)) +
                      static_cast<int32_t>(record_bytes::ReadU32(bytes + 4)) / 1000.0);
        return true;
    case kArray: DecodeArray(code, bytes, out, count); return true;
    case kText: DecodeText(code, bytes, out); return true;
    default: return false;
    }
}

bool XCStdFile::EncodeValue(VariableCode code, unsigned char* bytes, const XCValue& value, int count)
{
    const double number = value.GetDouble();
    switch (TypeOf(code)) {
    case kSigned32:
        record_bytes::WriteU32(bytes, static_cast<uint32_t>(std_numbers::TruncateToInt32(number)));
        return true;
    case kUnsigned32:
    case kSingle: record_bytes::WriteU32(bytes, std_numbers::TruncateToUint32(number)); return true;
    case kSigned8:
    case kUnsigned8: bytes[0] = static_cast<unsigned char>(std_numbers::TruncateToInt32(number)); return true;
    case kSigned16:
    case kUnsigned16:
        record_bytes::WriteU16(bytes, static_cast<uint16_t>(std_numbers::TruncateToInt32(number)));
        return true;
    case kLittleEndianDouble: record_bytes::WriteLittleEndianDouble(bytes, number); return true;
    case kSecondsAndMilliseconds: {
        const int32_t seconds = std_numbers::TruncateToInt32(number);
        const int32_t milliseconds = std_numbers::TruncateToInt32((number - seconds) * 1000.0);
        record_bytes::WriteU32(bytes, static_cast<uint32_t>(seconds));
        record_bytes::WriteU32(bytes + 4, static_cast<uint32_t>(milliseconds));
        return true;
    }
    case kArray: EncodeArray(code, bytes, value, count); return true;
    case kText: EncodeText(code, bytes, value); return true;
    default: return false;
    }
}

bool XCStdFile::IsVariable391Eleven() const
{
    for (const auto& variable : headerVariables_)
        if ((variable->code & 0xFFF) == 391)
            return std_numbers::TruncateToInt32(variable->value.GetDouble()) == 11;
    return false;
}

void XCStdFile::GetValue(int index, XCValue& out)
{
    if (static_cast<unsigned>(index) >= recordVariables_.size()) {
        out.SetDouble(0.0);
        return;
    }
    const XCStdRecordVariable& variable = *recordVariables_[index];
    if (!DecodeValue(variable.code, record_.data() + variable.offset, out, static_cast<int>(elementCount_))) {
        out.SetDouble(0.0);
        return;
    }
    const int type = TypeOf(variable.code);
    if (type == kArray || type == kText)
        return;
    const double raw = out.GetDouble();
    const uint16_t id = variable.code & 0xFFF;
    if (id == kTimeStampId)
        out.SetDouble(XCTime::Unpack(yearBase_, raw));
    else
        out.SetDouble(XCStdScaleRule::ForId(id, unitScales_, IsVariable391Eleven()).Scale(raw));
}

void XCStdFile::SetValue(int index, const XCValue& value)
{
    if (static_cast<unsigned>(index) >= recordVariables_.size())
        return;
    const XCStdRecordVariable& variable = *recordVariables_[index];
    unsigned char* field = record_.data() + variable.offset;
    const int count = static_cast<int>(elementCount_);
    if (value.GetType() == XCValueType::WideString || value.GetType() == XCValueType::Complex) {
        EncodeValue(variable.code, field, value, count);
        recordModified_ = true;
        return;
    }
    const double number = value.GetDouble();
    const uint16_t id = variable.code & 0xFFF;
    VariableCode code = variable.code;
    XCValue raw;
    if (id == kTimeStampId) {
        raw.SetDouble(XCTime::Pack(yearBase_, number));
        // The packed date fills all 32 bits (bit 31 from 32 years past the base): a signed field
        // stores them as they are instead of clamping them.
        if (TypeOf(code) == kSigned32)
            code = static_cast<VariableCode>(kUnsigned32 << 12 | id);
    } else {
        raw.SetDouble(XCStdScaleRule::ForId(id, unitScales_, IsVariable391Eleven()).Unscale(number));
    }
    EncodeValue(code, field, raw, count);
    recordModified_ = true;
}
