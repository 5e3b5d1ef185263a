#include "foundation/xc_value.h"

#include <new>
#include <string>

const XCValue g_EmptyValue;

namespace {

template <typename Unit>
XCString<Unit>* NewStringCopy(const Unit* s)
{
    auto* copy = new XCString<Unit>();
    if (s != nullptr)
        copy->Assign(s, static_cast<int32_t>(std::char_traits<Unit>::length(s)));
    return copy;
}

// Null when the payload is not of the class its kind names, or when memory runs out.
template <typename Kind>
XCValueComplex* CloneAs(const XCValueComplex& src)
{
    const auto* source = dynamic_cast<const Kind*>(&src);
    return source != nullptr ? new (std::nothrow) Kind(*source) : nullptr;
}

using Cloner = XCValueComplex* (*)(const XCValueComplex&);

// Indexed by kind code; 12 has no class.
const Cloner kCloners[] = {
    nullptr,
    CloneAs<XCValueComplex>,
    CloneAs<XCValueComplexFO>,
    CloneAs<XCValueComplexARM>,
    CloneAs<XCValueComplexEVQ>,
    CloneAs<XCValueComplexInterval>,
    CloneAs<XCValueComplexImageBuffer>,
    CloneAs<XCValueComplexCLW>,
    CloneAs<XCValueComplexXFO>,
    CloneAs<XCValueComplexXEVQ>,
    CloneAs<XCValueComplexCCL>,
    CloneAs<XCValueComplexHAC>,
    nullptr,
    CloneAs<XCValueComplexVorsk640CLW>,
    CloneAs<XCValueComplexString>,
    CloneAs<XCValueComplexFire>,
    CloneAs<XCValueComplexOccupancy>,
    CloneAs<XCValueComplexMovements>,
    CloneAs<XCValueComplexCPP>,
};

}  // namespace

XCValue::XCValue(const XCValue& src) { *this = src; }

XCValue::~XCValue() { ReleasePayload(); }

XCValue& XCValue::operator=(const XCValue& src)
{
    if (this == &src)
        return *this;
    Clear();
    switch (src.type_) {
    case XCValueType::Double:
        SetDouble(src.value_);
        break;
    case XCValueType::WideString:
        SetWideString(src.GetWideString() != nullptr ? src.GetWideString()->GetData() : nullptr);
        break;
    case XCValueType::NarrowString:
        SetNarrowString(src.GetNarrowString() != nullptr ? src.GetNarrowString()->GetData() : nullptr);
        break;
    case XCValueType::Complex:
        SetComplex(src.GetComplex());
        break;
    default:
        type_ = src.type_;
        break;
    }
    return *this;
}

void XCValue::SetDouble(double d)
{
    ReleasePayload();
    type_ = XCValueType::Double;
    value_ = d;
}

// The setters copy before they release, so a source inside the old payload stays readable.
void XCValue::SetWideString(const char16_t* s)
{
    XCStringW* copy = NewStringCopy(s);
    ReleasePayload();
    type_ = XCValueType::WideString;
    payload_ = copy;
}

void XCValue::SetNarrowString(const char* s)
{
    XCStringA* copy = NewStringCopy(s);
    ReleasePayload();
    type_ = XCValueType::NarrowString;
    payload_ = copy;
}

void XCValue::SetComplex(const XCValueComplex* src)
{
    const uint32_t kind = src != nullptr ? src->GetType() : 0;
    const Cloner clone = kind < std::size(kCloners) ? kCloners[kind] : nullptr;
    if (src != nullptr && clone == nullptr) {
        Clear();
        return;
    }
    XCValueComplex* copy = src != nullptr ? clone(*src) : nullptr;
    ReleasePayload();
    type_ = XCValueType::Complex;
    payload_ = copy;
}

void XCValue::Clear()
{
    ReleasePayload();
    type_ = XCValueType::Empty;
}

const XCStringW* XCValue::GetWideString() const
{
    return type_ == XCValueType::WideString ? static_cast<const XCStringW*>(payload_) : nullptr;
}

const XCStringA* XCValue::GetNarrowString() const
{
    return type_ == XCValueType::NarrowString ? static_cast<const XCStringA*>(payload_) : nullptr;
}

const XCValueComplex* XCValue::GetComplex() const
{
    return type_ == XCValueType::Complex ? static_cast<const XCValueComplex*>(payload_) : nullptr;
}

void XCValue::ReleasePayload()
{
    switch (type_) {
    case XCValueType::WideString:
        DeleteStringPayload(static_cast<XCStringW*>(payload_));
        break;
    case XCValueType::NarrowString:
        DeleteStringPayload(static_cast<XCStringA*>(payload_));
        break;
    case XCValueType::Complex:
        delete static_cast<XCValueComplex*>(payload_);
        break;
    default:
        break;
    }
    payload_ = nullptr;
}
