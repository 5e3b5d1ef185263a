#include "foundation/xml_document.h"

#include "foundation/file_system_path.h"
#include "foundation/path_utilities.h"
#include "foundation/text_encoding.h"
#include "platform/file.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// Far above any configuration; larger "files" (or a folder's odd length) are refused unread.
constexpr int64_t kMaxFileSize = 16 * 1024 * 1024;

// Scratch strings that may hold a long text take the large reserve.
constexpr int32_t kLongText = 4095;

}  // namespace

XmlDocument::~XmlDocument() { Clear(); }

void XmlDocument::Clear()
{
    // Elements point into the pool: they go first.
    root_.reset();
    names_.clear();
}

const XCStringW* XmlDocument::InternName(const char16_t* name, int32_t length)
{
    XCStringW key;
    key.Assign(name, length);
    return &*names_.insert(key).first;
}

void XmlDocument::New()
{
    Clear();
    root_ = std::make_unique<XmlElement>(this, u"config");
}

bool XmlDocument::LoadDefault()
{
    Clear();
    fileName_ = XCStringW(u"default.xcfg");
    return Load();
}

bool XmlDocument::Load()
{
    platform::File file;
    if (!file.Open(FileSystemPath(fileName_), platform::File::Mode::ReadOnly))
        return false;
    const int64_t length = file.Length();
    if (length < 0 || length > kMaxFileSize)
        return false;
    std::vector<char> text(static_cast<size_t>(length) + 1, 0);
    const int64_t got = file.Read(text.data(), static_cast<uint64_t>(length));
    file.Close();
    if (got < 0)
        return false;
    text[static_cast<size_t>(got)] = 0;
    return Parse(text.data());
}

bool XmlDocument::Parse(const char* utf8)
{
    Clear();
    if (utf8 == nullptr)
        return false;
    const char* cursor = utf8;
    if (std::strncmp(cursor, "\xEF\xBB\xBF", 3) == 0)
        cursor += 3;
    if (cursor[0] == '<' && cursor[1] == '?') {
        const char* question = std::strchr(cursor + 2, '?');
        if (question == nullptr || question[1] != '>')
            return false;
        cursor = question + 2;
    }
    cursor = std::strchr(cursor, '<');
    if (cursor == nullptr)
        return false;
    root_ = ParseElement(cursor, 1);
    return root_ != nullptr;
}

std::unique_ptr<XmlElement> XmlDocument::ParseElement(const char*& cursor, int depth)
{
    if (*cursor != '<' || depth > kMaxDepth)
        return nullptr;
    const char* tagStart = cursor + 1;
    const char* tagEnd = std::strchr(tagStart, '>');
    if (tagEnd == nullptr)
        return nullptr;

    const int32_t tagLength = static_cast<int32_t>(tagEnd - tagStart);
    XCStringW tag(tagLength > kLongText ? XCStringW::Growth::Large : XCStringW::Growth::Small);
    Utf8ToWideN(tag, tagStart, tagLength);
    XCStringW name = tag;
    XCStringW attributes;
    bool empty = false;
    const int32_t space = tag.FindSpace();
    if (space >= 0) {
        tag.Mid(name, 0, space);
        empty = tag.EndsWithSlash();
        tag.Mid(attributes, space + 1, tag.GetLength() - space - 1 - (empty ? 1 : 0));
    }
    if (name.EndsWithSlash()) {
        empty = true;
        name.Mid(name, 0, name.GetLength() - 1);
    }
    auto element = std::make_unique<XmlElement>(this, name.GetData());
    if (attributes.GetLength() > 0)
        XmlElement::ParseAttributes(element.get(), attributes);
    cursor = tagEnd + 1;
    if (empty)
        return element;

    // The end tag repeats the name's bytes as they stood in the start tag.
    const char* rawSpace = static_cast<const char*>(std::memchr(tagStart, ' ', static_cast<size_t>(tagEnd - tagStart)));
    const size_t rawNameLength = static_cast<size_t>((rawSpace != nullptr ? rawSpace : tagEnd) - tagStart);

    XCStringW joined(XCStringW::Growth::Small);
    XCStringW run;
    while (*cursor != 0) {
        if (cursor[0] == '<' && cursor[1] == '/') {
            const char* after = cursor + 2;
            if (std::strncmp(after, tagStart, rawNameLength) != 0 || after[rawNameLength] != '>')
                return nullptr;
            cursor = after + rawNameLength + 1;
            XCStringW text(joined.GetLength() > kLongText ? XCStringW::Growth::Large : XCStringW::Growth::Small);
            XmlUnescape(text, joined);
            element->SetText(text);
            return element;
        }
        if (*cursor == '<') {
            std::unique_ptr<XmlElement> child = ParseElement(cursor, depth + 1);
            if (child == nullptr)
                return nullptr;
            element->AppendChild(std::move(child));
            continue;
        }
        const char* runEnd = std::strchr(cursor, '<');
        if (runEnd == nullptr)
            return nullptr;
        const int32_t runLength = static_cast<int32_t>(runEnd - cursor);
        run.SetGrowth(runLength > kLongText ? XCStringW::Growth::Large : XCStringW::Growth::Small);
        Utf8ToWideN(run, cursor, runLength);
        joined.Append(run);
        cursor = runEnd;
    }
    return nullptr;
}

bool XmlDocument::Save()
{
    if (root_ == nullptr || fileName_.GetLength() == 0)
        return false;
    XCStringA content(XCStringA::Growth::Large);
    content.Assign(kDeclaration, static_cast<int32_t>(sizeof kDeclaration - 1));
    root_->Write(content);
    return WriteReplacing(content);
}

bool XmlDocument::WriteReplacing(const XCStringA& content) const
{
    const std::string path = FileSystemPath(fileName_);
    const std::string temporary = path + ".tmp";
    platform::File file;
    if (!file.Open(temporary, platform::File::Mode::CreateReadWrite)) {
        if (!CreateDirectoriesForPath(fileName_.GetData()) ||
            !file.Open(temporary, platform::File::Mode::CreateReadWrite))
            return false;
    }
    const bool written = file.Write(content.GetData(), static_cast<uint64_t>(content.GetLength())) == content.GetLength() &&
                         file.Flush();
    file.Close();
    if (!written || !platform::RenameFile(temporary, path)) {
        platform::RemoveFile(temporary);
        return false;
    }
    return true;
}
