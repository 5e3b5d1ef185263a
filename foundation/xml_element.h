#pragma once
#include "foundation/xc_string.h"

#include <list>
#include <map>
#include <memory>

class XmlDocument;

// Orders strings by their code units compared as unsigned numbers.
struct XCStringUnitLess {
    bool operator()(const XCStringW& a, const XCStringW& b) const;
};

// One element of an XmlDocument: a name held in the document's name pool, a text, an ordered
// list of owned children and a set of attributes ordered by name.
class XmlElement {
public:
    using ChildList = std::list<std::unique_ptr<XmlElement>>;
    using AttributeMap = std::map<XCStringW, XCStringW, XCStringUnitLess>;

    XmlElement(XmlDocument* document, const char16_t* name);
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    const XCStringW& GetName() const { return *name_; }
    const ChildList& GetChildren() const { return children_; }
    const AttributeMap& GetAttributes() const { return attributes_; }

    // A new child of the same document, appended after the last one.
    XmlElement* AddChild(const char16_t* name);
    void AppendChild(std::unique_ptr<XmlElement> child);

    // A path of child names separated by '/'; a segment "name?key?" takes the first child of
    // that name that has `key` (itself a path), and "name?key=value?" the first whose `key` has
    // exactly that text. An empty path gives this element. There is no backtracking: once a
    // segment has chosen a child, the rest of the path is looked up under that child only.
    XmlElement* Find(const char16_t* path) const;
    // The text of what Find gives; empty when nothing is found.
    XCStringW GetText(const char16_t* path) const;

    void SetText(const XCStringW& text);
    // The value in decimal.
    void SetText(int value);
    // Sets the text of what Find gives, or of a new child named by the whole path.
    void SetChildText(const char16_t* path, const XCStringW& text);
    // The child "icono" takes the UTF-8 path decoded.
    void SetIcon(const XCStringA& utf8Path);
    void SetDefaultIcon();
    // An empty name is ignored; an existing name takes the new value.
    void SetAttribute(const char16_t* name, const char16_t* value);

    // Reads name='value' and name="value" pairs into `element`; faulty text ends the reading
    // silently, keeping the attributes read so far.
    static void ParseAttributes(XmlElement* element, const XCStringW& text);

    // Appends the element as UTF-8: start tag with attributes, children, escaped text, end tag.
    void Write(XCStringA& out) const;

private:
    void SetAttribute(const XCStringW& name, const XCStringW& value);

    XmlDocument* document_;
    const XCStringW* name_;
    XCStringW text_;
    ChildList children_;
    AttributeMap attributes_;
};
