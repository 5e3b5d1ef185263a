#pragma once
#include "foundation/xc_string.h"
#include "foundation/xml_element.h"

#include <memory>
#include <set>

// An XML tree read from and written to a UTF-8 file: one root element, a pool of the distinct
// element names, and the file name it loads from and saves to.
//
// The reader takes a small subset of XML: an optional byte-order mark, one "<?...?>" at the very
// start, elements, quoted attributes and text with the five predefined entities. White space
// between tags is text. The writer puts the whole tree on one line after the declaration, each
// element as start tag, children, text, end tag.
class XmlDocument {
public:
    // Elements nested deeper than this fail the load rather than exhaust the stack.
    static constexpr int kMaxDepth = 256;

    XmlDocument() = default;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    virtual ~XmlDocument();

    XmlElement* GetRoot() const { return root_.get(); }
    const XCStringW& GetFileName() const { return fileName_; }
    void SetFileName(const XCStringW& fileName) { fileName_ = fileName; }

    // Clears the document and loads "default.xcfg" from the current directory.
    bool LoadDefault();
    // Loads the named file; false, with no root, when it cannot be read or parsed.
    bool Load();
    // Reads a NUL-terminated UTF-8 text; on failure the root stays null.
    bool Parse(const char* utf8);

    // Replaces the named file as a whole: the tree goes to a temporary file beside it, which is
    // made durable and then renamed over the old one, so a failure leaves the old file untouched.
    // A symbolic link stays and its target is replaced; the file keeps its permission bits.
    // Missing folders of the name are created once. Where no temporary file can be made beside
    // it, the file is written in place. False when there is no root or anything fails.
    bool Save();

    // Clears the document (the file name stays) and makes an empty root "config".
    void New();

    // The pooled string equal to the name, added when absent; it lives until the document is cleared.
    const XCStringW* InternName(const char16_t* name, int32_t length);

private:
    void Clear();
    // Reads the element at `cursor` (which must point at '<') and leaves the cursor past its
    // end; null on any failure. The root is at depth 1.
    std::unique_ptr<XmlElement> ParseElement(const char*& cursor, int depth);
    bool WriteReplacing(const XCStringA& content) const;

    std::set<XCStringW, XCStringUnitLess> names_;
    std::unique_ptr<XmlElement> root_;
    XCStringW fileName_;
};
