#pragma once
#include "foundation/value_complex.h"
#include "foundation/xc_string.h"

#include <cstdint>

enum class XCValueType : uint8_t {
    Empty = 0,
    Double = 2,
    WideString = 3,
    Complex = 5,
    NarrowString = 6,
};

// A variant that owns its heap payload (a string of either flavour or a complex payload)
// and copies it deeply.
class XCValue {
public:
    XCValue() = default;
    XCValue(const XCValue& src);
    virtual ~XCValue();
    XCValue& operator=(const XCValue& src);

    // Each setter releases the old payload first.
    void SetDouble(double d);
    // Copies the text up to its first NUL; a null text counts as empty.
    void SetWideString(const char16_t* s);
    void SetNarrowString(const char* s);
    // A deep copy made by the payload's kind. Kind 12 and unknown kinds leave the value empty;
    // a null source, or a copy that cannot be allocated, leaves type Complex with no payload.
    void SetComplex(const XCValueComplex* src);
    void Clear();

    XCValueType GetType() const { return type_; }
    // Meaningful for a Double value only.
    double GetDouble() const { return value_; }
    // Null unless the value is of that type and holds a payload.
    const XCStringW* GetWideString() const;
    const XCStringA* GetNarrowString() const;
    const XCValueComplex* GetComplex() const;

    // Destroys a heap string of either flavour; a borrowed buffer is left alone.
    template <typename Unit>
    static void DeleteStringPayload(XCString<Unit>* s)
    {
        delete s;
    }

private:
    void ReleasePayload();

    XCValueType type_ = XCValueType::Empty;
    void* payload_ = nullptr;
    double value_ = 0.0;
};

// The process-wide empty value.
extern const XCValue g_EmptyValue;
