// A configuration file as a user might edit it: parse, walk, save and load the saved file again.
// Input: the file call to fail while saving and reloading (0: none), a path's length and bytes
// (each byte one unit), then the text of the file.
#include "foundation/xml_document.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <string>
#include <vector>

namespace {

std::u16string Units(const XCStringW& text) { return std::u16string(text.GetData(), size_t(text.GetLength())); }

// Text the UTF-8 writer can carry: no zero unit, no lone surrogate.
bool Writable(const std::u16string& text)
{
    const auto low = [&](size_t i) { return i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF; };
    for (size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        if (text[i] == 0 || low(i) || (high && !low(i + 1)))
            return false;
        i += high ? 1 : 0;
    }
    return true;
}

// Writes the tree to `out`, each string after its length. `readsBack` turns false on what the
// file format cannot bring back: text the writer cannot carry, a name with a character that the writer
// escapes, or beginning with '/' (its start tag reads as an end tag) or ending in '/' (it reads
// as an empty element).
void Walk(const XmlElement& element, std::u16string& out, bool& readsBack)
{
    const auto add = [&](const std::u16string& text) {
        out += char16_t(text.size()) + text;
        readsBack = readsBack && Writable(text);
    };
    const std::u16string name = Units(element.GetName());
    add(name);
    add(Units(element.GetText(u"")));
    if (!name.empty() && (name[0] == u'/' || name.back() == u'/' || name.find_first_of(u"&<>\"'") != name.npos))
        readsBack = false;
    out += char16_t(element.GetAttributes().size());
    for (const auto& [key, value] : element.GetAttributes()) {
        add(Units(key));
        add(Units(value));
    }
    out += char16_t(element.GetChildren().size());
    for (const auto& child : element.GetChildren())
        Walk(*child, out, readsBack);
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
    if (!document.Parse(reinterpret_cast<const char*>(text.data())))
        return 0;
    std::u16string tree;
    bool readsBack = true;
    Walk(*document.GetRoot(), tree, readsBack);
    document.GetRoot()->Find(path.c_str());
    document.GetRoot()->GetText(path.c_str());

    static const recordtest::TempFolder folder;
    const std::u16string file = folder.Data("default.xcfg");
    const recordtest::Bytes before = {'o', 'l', 'd'};
    recordtest::WriteBytes(file, before);
    document.SetFileName(XCStringW(file.c_str()));
    XmlDocument reloaded;
    reloaded.SetFileName(document.GetFileName());
    const FileFaults faults(failingCall);
    const bool saved = document.Save();
    const bool loaded = saved && reloaded.Load();
    // Only a failing call fails a save, which leaves the old file as it was; what the format can
    // carry reads back the same.
    FUZZ_CHECK(saved || (failingCall != 0 && recordtest::ReadBytes(file) == before));
    if (failingCall == 0 && readsBack) {
        FUZZ_CHECK(loaded);
        std::u16string reread;
        Walk(*reloaded.GetRoot(), reread, readsBack);
        FUZZ_CHECK(reread == tree);
    }
    return 0;
}
