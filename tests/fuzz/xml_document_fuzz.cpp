// A configuration file as a user might edit it: parse, walk, save and load the saved file again.
// Input: the file call to fail while saving and reloading (0: none), a path's length and bytes
// (each byte one unit), then the text of the file.
#include "foundation/xml_document.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <string>
#include <vector>

namespace {

bool SameUnits(const XCStringW& a, const XCStringW& b)
{
    return std::u16string(a.GetData(), size_t(a.GetLength())) == std::u16string(b.GetData(), size_t(b.GetLength()));
}

// Text the UTF-8 writer can carry: no zero unit, no lone surrogate.
bool Writable(const XCStringW& s)
{
    for (int32_t i = 0; i < s.GetLength(); ++i) {
        const char16_t unit = s.GetData()[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (unit == 0 || low)
            return false;
        if (high && !(i + 1 < s.GetLength() && s.GetData()[i + 1] >= 0xDC00 && s.GetData()[i + 1] <= 0xDFFF))
            return false;
        i += high ? 1 : 0;
    }
    return true;
}

// The file format cannot bring back a name with a character that the writer escapes, nor one
// that begins with '/' (its start tag reads as an end tag) or ends in '/' (it reads as an empty
// element); everything else must survive a save and a load.
bool ReadsBackTheSame(const XmlElement& element)
{
    const XCStringW& name = element.GetName();
    if (!Writable(name) || !Writable(element.GetText(u"")))
        return false;
    if (name.GetLength() > 0 && (name.GetData()[0] == u'/' || name.GetData()[name.GetLength() - 1] == u'/'))
        return false;
    for (int32_t i = 0; i < name.GetLength(); ++i)
        if (std::u16string(u"&<>\"'").find(name.GetData()[i]) != std::u16string::npos)
            return false;
    for (const auto& [key, value] : element.GetAttributes())
        if (!Writable(key) || !Writable(value))
            return false;
    for (const auto& child : element.GetChildren())
        if (!ReadsBackTheSame(*child))
            return false;
    return true;
}

bool SameTree(const XmlElement& a, const XmlElement& b)
{
    if (!SameUnits(a.GetName(), b.GetName()) || !SameUnits(a.GetText(u""), b.GetText(u"")) ||
        a.GetAttributes().size() != b.GetAttributes().size() || a.GetChildren().size() != b.GetChildren().size())
        return false;
    for (auto x = a.GetAttributes().begin(), y = b.GetAttributes().begin(); x != a.GetAttributes().end(); ++x, ++y)
        if (!SameUnits(x->first, y->first) || !SameUnits(x->second, y->second))
            return false;
    for (auto x = a.GetChildren().begin(), y = b.GetChildren().begin(); x != a.GetChildren().end(); ++x, ++y)
        if (!SameTree(**x, **y))
            return false;
    return true;
}

// Finding a child by its own plain name gives the first child of that name (an empty name
// finds the element itself).
void Walk(const XmlElement& element)
{
    for (const auto& child : element.GetChildren()) {
        const std::u16string name(child->GetName().GetData(), child->GetName().GetLength());
        if (!name.empty() && name.find_first_of(u"/?") == std::u16string::npos && name.find(u'\0') == std::u16string::npos) {
            const XmlElement* found = element.Find(name.c_str());
            FUZZ_CHECK(found != nullptr && SameUnits(found->GetName(), child->GetName()));
        }
        Walk(*child);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const int failingCall = input.Byte();
    const std::vector<uint8_t> pathBytes = input.Bytes(input.Byte());
    const std::u16string path(pathBytes.begin(), pathBytes.end());
    std::vector<uint8_t> text = input.Rest();
    text.push_back(0);

    XmlDocument document;
    if (!document.Parse(reinterpret_cast<const char*>(text.data()))) {
        FUZZ_CHECK(document.GetRoot() == nullptr);
        return 0;
    }
    const XmlElement& root = *document.GetRoot();
    Walk(root);
    root.Find(path.c_str());
    root.GetText(path.c_str());

    const std::filesystem::path file = ScratchFolder::File("default.xcfg");
    const std::vector<uint8_t> before = {'o', 'l', 'd'};
    ScratchFolder::Write(file, before);
    const std::u16string fileName = file.u16string();
    document.SetFileName(XCStringW(fileName.c_str()));
    XmlDocument reloaded;
    reloaded.SetFileName(document.GetFileName());
    FileFaults faults;
    faults.Arm(failingCall);
    const bool saved = document.Save();
    const bool loaded = saved && reloaded.Load();
    faults.Arm(0);
    // A failed save leaves the old file as it was.
    FUZZ_CHECK(saved || ScratchFolder::Read(file) == before);
    if (failingCall == 0) {
        FUZZ_CHECK(saved);
        FUZZ_CHECK(!ReadsBackTheSame(root) || (loaded && SameTree(root, *reloaded.GetRoot())));
    }
    return 0;
}
