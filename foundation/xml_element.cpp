#include "foundation/xml_element.h"

#include "foundation/text_encoding.h"
#include "foundation/xml_document.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

bool SameUnits(const XCStringW& name, const char16_t* units, size_t count)
{
    return static_cast<size_t>(name.GetLength()) == count && std::equal(units, units + count, name.GetData());
}

XCStringW Units(const char16_t* first, const char16_t* end)
{
    XCStringW copy;
    copy.Assign(first, static_cast<int32_t>(end - first));
    return copy;
}

// The writer's scratch strings take the large reserve, so a long text is not copied over and
// over while it is converted.
void AppendEscaped(XCStringA& out, const XCStringW& text)
{
    XCStringA utf8(XCStringA::Growth::Large);
    WideToUtf8(utf8, text);
    XCStringA escaped(XCStringA::Growth::Large);
    XmlEscape(escaped, utf8);
    out.Append(escaped);
}

}  // namespace

bool XCStringUnitLess::operator()(const XCStringW& a, const XCStringW& b) const
{
    return std::lexicographical_compare(a.GetData(), a.GetData() + a.GetLength(), b.GetData(),
                                        b.GetData() + b.GetLength());
}

XmlElement::XmlElement(XmlDocument* document, const char16_t* name)
    : document_(document), name_(document->InternName(name, static_cast<int32_t>(std::char_traits<char16_t>::length(name))))
{
}

XmlElement* XmlElement::AddChild(const char16_t* name)
{
    children_.push_back(std::make_unique<XmlElement>(document_, name));
    return children_.back().get();
}

void XmlElement::AppendChild(std::unique_ptr<XmlElement> child) { children_.push_back(std::move(child)); }

XmlElement* XmlElement::Find(const char16_t* path) const
{
    while (*path == u'/')
        ++path;
    if (*path == 0)
        return const_cast<XmlElement*>(this);

    const char16_t* nameEnd = path;
    while (*nameEnd != 0 && *nameEnd != u'/' && *nameEnd != u'?')
        ++nameEnd;
    const char16_t* segmentEnd = nameEnd;
    bool hasKey = false;
    bool hasValue = false;
    XCStringW key;
    XCStringW value;
    if (*nameEnd == u'?') {
        const char16_t* closing = nameEnd + 1;
        while (*closing != 0 && *closing != u'?' && *closing != u'=')
            ++closing;
        if (*closing == 0)
            return nullptr;
        const char16_t* equals = nullptr;
        if (*closing == u'=') {
            equals = closing;
            ++closing;
            while (*closing != 0 && *closing != u'?')
                ++closing;
            if (*closing == 0)
                return nullptr;
        }
        segmentEnd = closing;
        while (*segmentEnd != 0 && *segmentEnd != u'/')
            ++segmentEnd;
        hasKey = true;
        if (equals != nullptr) {
            hasValue = true;
            key = Units(nameEnd + 1, equals);
            value = Units(equals + 1, segmentEnd - 1);
        } else {
            key = Units(nameEnd + 1, segmentEnd - 1);
        }
    }

    const size_t nameLength = static_cast<size_t>(nameEnd - path);
    for (const auto& child : children_) {
        if (!SameUnits(child->GetName(), path, nameLength))
            continue;
        if (hasKey) {
            const XmlElement* keyElement = child->Find(key.GetData());
            if (keyElement == nullptr)
                continue;
            if (hasValue && !SameUnits(keyElement->text_, value.GetData(), static_cast<size_t>(value.GetLength())))
                continue;
        }
        return *segmentEnd == 0 ? child.get() : child->Find(segmentEnd + 1);
    }
    return nullptr;
}

XCStringW XmlElement::GetText(const char16_t* path) const
{
    const XmlElement* found = Find(path);
    return found == nullptr ? XCStringW() : found->text_;
}

void XmlElement::SetText(const XCStringW& text) { text_ = text; }

void XmlElement::SetText(int value)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%d", value);
    XCStringW text;
    for (int k = 0; k < length; ++k)
        text.AppendChar(static_cast<char16_t>(digits[k]));
    SetText(text);
}

void XmlElement::SetChildText(const char16_t* path, const XCStringW& text)
{
    XmlElement* element = Find(path);
    if (element == nullptr)
        element = AddChild(path);
    element->SetText(text);
}

void XmlElement::SetIcon(const XCStringA& utf8Path)
{
    XmlElement* icon = Find(u"icono");
    if (icon == nullptr)
        icon = AddChild(u"icono");
    XCStringW text;
    Utf8ToWide(text, utf8Path);
    icon->SetText(text);
}

void XmlElement::SetDefaultIcon() { SetIcon(XCStringA("Kestrovane.ico")); }

void XmlElement::SetAttribute(const char16_t* name, const char16_t* value)
{
    SetAttribute(XCStringW(name), XCStringW(value));
}

void XmlElement::SetAttribute(const XCStringW& name, const XCStringW& value)
{
    if (name.GetLength() == 0)
        return;
    attributes_[name] = value;
}

void XmlElement::ParseAttributes(XmlElement* element, const XCStringW& text)
{
    // One walk over the text: the rest after each attribute is never copied or searched whole.
    const char16_t* at = text.GetData();
    const char16_t* end = at + text.GetLength();
    while (end > at && IsXCStringSpace(end[-1]))
        --end;
    const std::reverse_iterator<const char16_t*> fromEnd(end), beforeStart(at);
    const auto lastDoubleQuote = std::find(fromEnd, beforeStart, u'"');
    auto doubleQuoteFrom = [&](const char16_t* p) {
        return lastDoubleQuote != beforeStart && p < lastDoubleQuote.base();
    };
    while (at < end) {
        while (at < end && IsXCStringSpace(*at))
            ++at;
        const char16_t* equals = std::find(at, end, u'=');
        if (equals == end)
            return;
        const XCStringW name = Units(at, equals);
        at = equals + 1;

        // A double quote anywhere asks for a double-quoted value, else a single quote for a
        // single-quoted one; either way the value ends at the first double quote, if any.
        if (at == end || *at != (doubleQuoteFrom(at) ? u'"' : u'\''))
            return;
        ++at;
        const char16_t* closing = doubleQuoteFrom(at) ? std::find(at, end, u'"') : std::find(at, end, u'\'');
        if (closing == end)
            return;
        element->SetAttribute(name, Units(at, closing));
        at = closing + 1;
    }
}

void XmlElement::Write(XCStringA& out) const
{
    out.AppendChar('<');
    AppendEscaped(out, *name_);
    for (const auto& [name, value] : attributes_) {
        // Attribute names and values go out unescaped, as they were read.
        XCStringW piece(XCStringW::Growth::Large);
        piece.AppendChar(u' ');
        piece.Append(name);
        piece.Append(u"=\"");
        piece.Append(value);
        piece.AppendChar(u'"');
        XCStringA utf8(XCStringA::Growth::Large);
        WideToUtf8(utf8, piece);
        out.Append(utf8);
    }
    out.AppendChar('>');
    for (const auto& child : children_)
        child->Write(out);
    if (text_.GetLength() > 0)
        AppendEscaped(out, text_);
    out.Append(XCStringA("</"));
    AppendEscaped(out, *name_);
    out.AppendChar('>');
}
