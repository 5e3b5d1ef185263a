#pragma once
#include "foundation/xc_string.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The structured payloads an XCValue can own, one class per kind code (1 to 18, 12 unused).
// A copy of a subclass takes the source's own fields only: its value and tag start at 0.
// Owned wide C strings are kept as std::u16string, which frees itself.

// Two 32-bit words kept together.
struct XCWordPair {
    uint32_t first = 0;
    uint32_t second = 0;
};

class XCValueComplex {
public:
    XCValueComplex() = default;
    // Cloning a plain payload keeps its value and tag.
    XCValueComplex(const XCValueComplex&) = default;
    // Assignment belongs to the kinds that define it, never sliced through the base.
    XCValueComplex& operator=(const XCValueComplex&) = delete;
    virtual ~XCValueComplex() = default;

    virtual void Reset();
    virtual uint32_t GetType() const { return 1; }

    double value = 0.0;
    uint32_t tag = 0;
};

class XCValueComplexFO : public XCValueComplex {
public:
    XCValueComplexFO() = default;
    XCValueComplexFO(const XCValueComplexFO& src);
    XCValueComplexFO& operator=(const XCValueComplexFO& src);
    void Reset() override;
    uint32_t GetType() const override { return 2; }

    std::vector<double> values;   // leads the copy
    std::vector<double> indices;  // 1-based position of the value at the same place
};

class XCValueComplexARM : public XCValueComplex {
public:
    XCValueComplexARM() = default;
    XCValueComplexARM(const XCValueComplexARM& src);
    void Reset() override;
    uint32_t GetType() const override { return 3; }

    std::vector<double> numbers;  // leads the copy
    std::vector<uint32_t> codes;
};

class XCValueComplexEVQ : public XCValueComplex {
public:
    XCValueComplexEVQ() = default;
    XCValueComplexEVQ(const XCValueComplexEVQ& src);
    void Reset() override;
    uint32_t GetType() const override { return 4; }

    double number1 = 0.0;
    uint32_t code1 = 0;
    uint64_t wide = 0;
    double number2 = 0.0;
    double number3 = 0.0;
    uint32_t code2 = 0;
    uint8_t flag = 0;
    std::vector<XCWordPair> pairs;  // leads the copy
    std::vector<double> numbers;
};

class XCValueComplexInterval : public XCValueComplex {
public:
    XCValueComplexInterval() = default;
    XCValueComplexInterval(const XCValueComplexInterval& src);
    // The second words of the pairs keep what they held.
    void Reset() override;
    uint32_t GetType() const override { return 5; }

    XCWordPair begin{0xFFFFFFFF, 0};
    XCWordPair end{0xFFFFFFFF, 0};
    uint32_t code1 = 0;
    uint32_t code2 = 0;
};

class XCValueComplexImageBuffer : public XCValueComplex {
public:
    XCValueComplexImageBuffer() = default;
    XCValueComplexImageBuffer(const XCValueComplexImageBuffer& src);
    void Reset() override;
    uint32_t GetType() const override { return 6; }

    XCStringA bytes;  // may hold zero bytes: its length counts
};

class XCValueComplexXFO : public XCValueComplex {
public:
    XCValueComplexXFO() = default;
    XCValueComplexXFO(const XCValueComplexXFO& src);
    void Reset() override;
    uint32_t GetType() const override { return 8; }

    uint64_t wide = 0;
    double number = 0.0;
    std::vector<double> numbers;  // leads the copy
    std::vector<XCWordPair> pairs;
};

class XCValueComplexXEVQ : public XCValueComplex {
public:
    XCValueComplexXEVQ() = default;
    XCValueComplexXEVQ(const XCValueComplexXEVQ& src);
    void Reset() override;
    uint32_t GetType() const override { return 9; }

    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    uint8_t byte3 = 0;
    double number = 0.0;
    uint8_t byte4 = 0;
    std::array<double, 12> numbers{};
    uint8_t byte5 = 0;
    uint8_t byte6 = 0;
};

class XCValueComplexCCL : public XCValueComplex {
public:
    XCValueComplexCCL() = default;
    XCValueComplexCCL(const XCValueComplexCCL& src);
    // The second words of the pairs keep what they held.
    void Reset() override;
    uint32_t GetType() const override { return 10; }

    XCWordPair begin{0xFFFFFFFF, 0};
    XCWordPair end{0xFFFFFFFF, 0};
    double number1 = -1.0;
    double number2 = -1.0;
    double number3 = -1.0;
    uint32_t code = 0xFFFFFFFF;
    std::u16string text;
};

class XCValueComplexHAC : public XCValueComplex {
public:
    XCValueComplexHAC() = default;
    XCValueComplexHAC(const XCValueComplexHAC& src);
    void Reset() override;
    uint32_t GetType() const override { return 11; }

    std::vector<uint32_t> codes;  // leads the copy
    std::vector<std::u16string> texts1;
    std::vector<std::u16string> texts2;
};

class XCValueComplexString : public XCValueComplex {
public:
    XCValueComplexString() = default;
    XCValueComplexString(const XCValueComplexString& src);
    void Reset() override;
    uint32_t GetType() const override { return 14; }

    // A copy of the bytes, zero bytes included.
    XCStringA GetString() const;

    XCStringA text;
};

struct XCFireRecord {
    std::array<XCStringW, 6> texts;
};

struct XCOccupancyRecord {
    XCStringW name;
    double number = 0.0;
};

struct XCMovementRecord {
    XCStringW name;
    uint32_t code = 0;
    double number = 0.0;
};

class XCValueComplexCPP : public XCValueComplex {
public:
    XCValueComplexCPP() = default;
    XCValueComplexCPP(const XCValueComplexCPP& src);
    void Reset() override;
    uint32_t GetType() const override { return 18; }

    std::vector<uint32_t> codes;  // leads the copy
    std::vector<std::u16string> texts;
};

// A kind whose one field is a vector of records, copied whole.
template <uint32_t Kind, typename Record>
class XCValueComplexRecords : public XCValueComplex {
public:
    XCValueComplexRecords() = default;
    XCValueComplexRecords(const XCValueComplexRecords& src) : XCValueComplex(), records(src.records) {}
    void Reset() override
    {
        XCValueComplex::Reset();
        records.clear();
    }
    uint32_t GetType() const override { return Kind; }

    std::vector<Record> records;
};

using XCValueComplexCLW = XCValueComplexRecords<7, std::array<uint32_t, 23>>;
using XCValueComplexVorsk640CLW = XCValueComplexRecords<13, std::array<uint32_t, 12>>;
using XCValueComplexFire = XCValueComplexRecords<15, XCFireRecord>;
using XCValueComplexOccupancy = XCValueComplexRecords<16, XCOccupancyRecord>;
using XCValueComplexMovements = XCValueComplexRecords<17, XCMovementRecord>;
