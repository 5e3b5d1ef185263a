#include "foundation/value_complex.h"

namespace {

// The lead vector's length decides how many elements each parallel vector takes; a partner
// shorter than its lead yields empty elements rather than a read past its end.
template <typename T>
void CopyAlongLead(std::vector<T>& to, const std::vector<T>& from, size_t leadLength)
{
    to.clear();
    to.reserve(leadLength);
    for (size_t i = 0; i < leadLength; ++i)
        to.push_back(i < from.size() ? from[i] : T());
}

// Emptied vectors keep their storage for reuse.
template <typename... Vectors>
void ClearAll(Vectors&... vectors)
{
    (vectors.clear(), ...);
}

}  // namespace

void XCValueComplex::Reset()
{
    value = 0.0;
    tag = 0;
}

XCValueComplexFO::XCValueComplexFO(const XCValueComplexFO& src) : XCValueComplex() { *this = src; }

XCValueComplexFO& XCValueComplexFO::operator=(const XCValueComplexFO& src)
{
    if (this != &src) {
        Reset();
        values = src.values;
        CopyAlongLead(indices, src.indices, values.size());
    }
    return *this;
}

void XCValueComplexFO::Reset()
{
    XCValueComplex::Reset();
    ClearAll(values, indices);
}

XCValueComplexARM::XCValueComplexARM(const XCValueComplexARM& src) : XCValueComplex(), numbers(src.numbers)
{
    CopyAlongLead(codes, src.codes, numbers.size());
}

void XCValueComplexARM::Reset()
{
    XCValueComplex::Reset();
    ClearAll(numbers, codes);
}

XCValueComplexEVQ::XCValueComplexEVQ(const XCValueComplexEVQ& src)
    : XCValueComplex(), number1(src.number1), code1(src.code1), wide(src.wide), number2(src.number2),
      number3(src.number3), code2(src.code2), flag(src.flag), pairs(src.pairs)
{
    CopyAlongLead(numbers, src.numbers, pairs.size());
}

void XCValueComplexEVQ::Reset()
{
    XCValueComplex::Reset();
    number1 = number2 = number3 = 0.0;
    code1 = code2 = 0;
    wide = 0;
    flag = 0;
    ClearAll(pairs, numbers);
}

XCValueComplexInterval::XCValueComplexInterval(const XCValueComplexInterval& src)
    : XCValueComplex(), begin(src.begin), end(src.end), code1(src.code1), code2(src.code2)
{
}

void XCValueComplexInterval::Reset()
{
    XCValueComplex::Reset();
    begin.first = end.first = 0xFFFFFFFF;
    code1 = code2 = 0;
}

XCValueComplexImageBuffer::XCValueComplexImageBuffer(const XCValueComplexImageBuffer& src)
    : XCValueComplex(), bytes(src.bytes)
{
}

void XCValueComplexImageBuffer::Reset()
{
    XCValueComplex::Reset();
    bytes = XCStringA();
}

XCValueComplexXFO::XCValueComplexXFO(const XCValueComplexXFO& src)
    : XCValueComplex(), wide(src.wide), number(src.number), numbers(src.numbers)
{
    CopyAlongLead(pairs, src.pairs, numbers.size());
}

void XCValueComplexXFO::Reset()
{
    XCValueComplex::Reset();
    wide = 0;
    number = 0.0;
    ClearAll(numbers, pairs);
}

XCValueComplexXEVQ::XCValueComplexXEVQ(const XCValueComplexXEVQ& src)
    : XCValueComplex(), byte1(src.byte1), byte2(src.byte2), byte3(src.byte3), number(src.number),
      byte4(src.byte4), numbers(src.numbers), byte5(src.byte5), byte6(src.byte6)
{
}

void XCValueComplexXEVQ::Reset()
{
    XCValueComplex::Reset();
    byte1 = byte2 = byte3 = byte4 = byte5 = byte6 = 0;
    number = 0.0;
    numbers.fill(0.0);
}

XCValueComplexCCL::XCValueComplexCCL(const XCValueComplexCCL& src)
    : XCValueComplex(), begin(src.begin), end(src.end), number1(src.number1), number2(src.number2),
      number3(src.number3), code(src.code), text(src.text.c_str())
{
}

void XCValueComplexCCL::Reset()
{
    XCValueComplex::Reset();
    begin.first = end.first = 0xFFFFFFFF;
    number1 = number2 = number3 = -1.0;
    code = 0xFFFFFFFF;
    text.clear();
}

XCValueComplexHAC::XCValueComplexHAC(const XCValueComplexHAC& src) : XCValueComplex(), codes(src.codes)
{
    CopyAlongLead(texts1, src.texts1, codes.size());
    CopyAlongLead(texts2, src.texts2, codes.size());
}

void XCValueComplexHAC::Reset()
{
    XCValueComplex::Reset();
    ClearAll(codes, texts1, texts2);
}

XCValueComplexString::XCValueComplexString(const XCValueComplexString& src)
    : XCValueComplex(), text(src.GetString())
{
}

void XCValueComplexString::Reset()
{
    XCValueComplex::Reset();
    text = XCStringA();
}

XCStringA XCValueComplexString::GetString() const { return text; }

XCValueComplexCPP::XCValueComplexCPP(const XCValueComplexCPP& src) : XCValueComplex(), codes(src.codes)
{
    CopyAlongLead(texts, src.texts, codes.size());
}

void XCValueComplexCPP::Reset()
{
    XCValueComplex::Reset();
    ClearAll(codes, texts);
}
