#include "foundation/xml_document.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Written(const XmlElement& element)
{
    XCStringA out;
    element.Write(out);
    return Bytes(out);
}

XCStringW FileName(const std::string& path) { return OwnedW(std::u16string(path.begin(), path.end())); }

}  // namespace

TEST(XmlReader, TagsSplitAtTheFirstSpaceAndMalformedOrTooDeepInputFailsWithoutRoot)
{
    std::string tooDeep;
    for (int k = 0; k <= XmlDocument::kMaxDepth; ++k)
        tooDeep = "<e>" + tooDeep + "</e>";
    // Each text and its root as the writer gives it back (text after the children, names and texts
    // escaped), or nothing where the text fails.
    const std::pair<std::string, std::string> cases[] = {
        {"<a/>", "<a></a>"}, {"<a />", "<a></a>"}, {"<a/ >", "<a></a>"}, {"<a b='1'/>", "<a b=\"1\"></a>"},
        // After a tab the whole tag is the name, which the end tag must repeat.
        {"<a\tb='1'></a\tb='1'>", "<a\tb=&apos;1&apos;></a\tb=&apos;1&apos;>"}, {"<a\tb='1'></a>", ""},
        {"<a>x<b/>y</a>", "<a><b></b>xy</a>"},  // text split by a child is joined
        // Entities are decoded once; white space between tags is text.
        {"<a>\n <v>1 &lt; 2 &amp;lt; &#65;</v>\n</a>", "<a><v>1 &lt; 2 &amp;lt; &amp;#65;</v>\n \n</a>"},
        // Byte-order mark, declaration and whatever lies around the root are skipped.
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>junk<config><port>3</port></config>trailing",
         "<config><port>3</port></config>"},
        // Nothing, or no element after all.
        {"", ""}, {"no element", ""}, {"<?xml version=\"1.0\"?>", ""},
        // End tag wrong, missing or cut short.
        {"<a></b>", ""}, {"<a>", ""}, {"<a", ""}, {"<a>text", ""}, {"<a></a", ""}, {"<a><b></a>", ""},
        // A declaration not at the very start, or whose first "?" is not followed by ">".
        {" <?xml version=\"1.0\"?><a/>", ""}, {"<?xml version=\"1.0\"?x><a/>", ""},
        {tooDeep, ""},  // too deep: refused, no stack overflow
        // Names keep their entities; a name outside ASCII matches its end tag by bytes.
        {"<r><a&amp;b></a&amp;b><tensi\xC3\xB3n x='1'>230</tensi\xC3\xB3n></r>",
         "<r><a&amp;amp;b></a&amp;amp;b><tensi\xC3\xB3n x=\"1\">230</tensi\xC3\xB3n></r>"},
    };
    XmlDocument document;
    for (const auto& [text, written] : cases) {
        ASSERT_TRUE(document.Parse("<ok/>"));
        EXPECT_EQ(document.Parse(text.c_str()), !written.empty()) << text.substr(0, 40);
        EXPECT_EQ(document.GetRoot() != nullptr ? Written(*document.GetRoot()) : "", written) << text.substr(0, 40);
    }
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"tensi\u00F3n")), u"230");
    EXPECT_FALSE(document.Parse(nullptr));
    EXPECT_TRUE(document.Parse(tooDeep.substr(3, tooDeep.size() - 7).c_str())) << "the bound itself loads";
    // Many attributes, read in one walk (each once copied the rest of its tag).
    std::string tag = "<config";
    for (int i = 0; i < 80000; ++i)
        tag += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    ASSERT_TRUE(document.Parse((tag + "></config>").c_str()));
    EXPECT_EQ(document.GetRoot()->GetAttributes().size(), 80000u);
    EXPECT_EQ(U16(document.GetRoot()->GetAttributes().at(OwnedW(u"a79999"))), u"79999");
}

TEST(XmlElement, AttributesSettersAndPaths)
{
    XmlDocument document;
    document.New();
    XmlElement* element = document.GetRoot();
    // Reading stops silently at k=3; a space before '=' stays in the name.
    XmlElement::ParseAttributes(element, OwnedW(u"  a =\"2\" z='1' k=3 q='4'"));
    // A double quote anywhere after '=' asks for a double-quoted value: the child reads none.
    XmlElement::ParseAttributes(element->AddChild(u"e"), OwnedW(u"m='x' n=\"y\""));
    // Setting a name again replaces; an empty name is ignored.
    element->SetAttribute(u"a ", u"9");
    element->SetAttribute(u"", u"ignored");
    element->SetAttribute(u"m", u"x");
    // A child text's whole path becomes one name, which as a path is never found again.
    element->SetChildText(u"a/b", OwnedW(u"x"));
    element->SetChildText(u"a/b", OwnedW(u"y"));
    // One icono child, replaced.
    element->SetIcon(XCStringA("Iconos/se\xC3\xB1" "al.ico"));
    EXPECT_EQ(U16(element->GetText(u"icono")), u"Iconos/se\u00F1al.ico");
    element->SetDefaultIcon();
    // Attributes are written in the order of their names.
    EXPECT_EQ(Written(*element), "<config a =\"9\" m=\"x\" z=\"1\"><e></e><a/b>x</a/b><a/b>y</a/b>"
                                 "<icono>Kestrovane.ico</icono></config>");

    ASSERT_TRUE(document.Parse("<r><port>1</port><port>2</port><a><c/></a><a><b>late</b></a>"
                               "<item><id>2</id><value>two</value></item><item><id>3</id><value>three</value></item>"
                               "<item><flag/><value>flagged</value></item></r>"));
    XmlElement* root = document.GetRoot();
    EXPECT_EQ(root->Find(u""), root);                                  // empty path: the element itself
    EXPECT_EQ(root->Find(u"port"), root->GetChildren().front().get());  // first of two
    EXPECT_EQ(root->Find(u"a/"), root->Find(u"a"));                    // trailing and doubled separators
    EXPECT_EQ(U16(root->Find(u"a//c")->GetName()), u"c");
    EXPECT_EQ(U16(root->GetText(u"item?id=3?/value")), u"three");      // key with value
    EXPECT_EQ(U16(root->GetText(u"item?flag?/value")), u"flagged");    // key alone
    // The first "a" is chosen without backtracking; a key unterminated or not matched; case counts.
    for (const std::u16string path : {u"a/b", u"item?id=4?", u"item?id=3", u"item?id", u"Port"})
        EXPECT_EQ(root->Find(path.c_str()), nullptr) << std::string(path.begin(), path.end());
    EXPECT_EQ(U16(root->GetText(u"missing")), u"");
}

class XmlSaveTest : public InTemporaryFolder {
protected:
    void SetUp() override
    {
        InTemporaryFolder::SetUp();
        path_ = PathOf("default.xcfg");
        // What the main dialog writes on a read-out of port 3.
        document_.New();
        document_.GetRoot()->SetChildText(u"productName", OwnedW(u"Kestrovane"));
        document_.GetRoot()->SetDefaultIcon();
        document_.GetRoot()->AddChild(u"port")->SetText(3);
        document_.SetFileName(FileName(path_));
    }
    void TearDown() override
    {
        platform::FileSystem() = platform::RealFileSystem();
        InTemporaryFolder::TearDown();
    }

    std::string path_;
    XmlDocument document_;
};

TEST_F(XmlSaveTest, DefaultConfigurationIsWrittenByteForByteAndEscapedTextsReadBackInPython)
{
    ASSERT_TRUE(document_.Save());
    EXPECT_EQ(ReadFile(path_), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                               "<config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono>"
                               "<port>3</port></config>");
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp"));

    // A file with every character the escaping must handle parses with Python to the same texts.
    XmlElement* root = document_.GetRoot();
    root->SetChildText(u"productName", OwnedW(u"A&B <\"Tensi\u00F3n\"> 'x' \U0001F600"));
    root->SetAttribute(u"version", u"1.5");
    ASSERT_TRUE(document_.Save());
    const std::string command = "python3 -c \"import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
                                "sys.stdout.buffer.write('|'.join([r.tag, r.get('version')] + [c.tag + '=' + c.text for c in r]).encode())\" ";
    ASSERT_EQ(std::system((command + path_ + " >" + PathOf("parsed")).c_str()), 0);
    EXPECT_EQ(ReadFile(PathOf("parsed")),
              "config|1.5|productName=A&B <\"Tensi\xC3\xB3n\"> 'x' \xF0\x9F\x98\x80|icono=Kestrovane.ico|port=3");

    // A long text loads back whole (each converted text once grew 255 units at a time).
    std::u16string text(8 << 20, u'x');
    for (size_t i = 0; i < text.size(); i += 4096)
        text[i] = u'&';
    root->SetChildText(u"productName", OwnedW(text));
    ASSERT_TRUE(document_.Save());
    ASSERT_TRUE(document_.Load());
    EXPECT_TRUE(U16(document_.GetRoot()->GetText(u"productName")) == text);
}

TEST_F(XmlSaveTest, FailedSaveLeavesTheOldFileWholeAndLinksAndPermissionsStay)
{
    ASSERT_TRUE(document_.Save());
    const std::string old = ReadFile(path_);
    document_.GetRoot()->Find(u"port")->SetText(4);
    // The write of the temporary file fails, then the rename over the old file.
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
    EXPECT_FALSE(document_.Save());
    platform::FileSystem() = platform::RealFileSystem();
    platform::FileSystem().rename = [](const char*, const char*) { return errno = EXDEV, -1; };
    EXPECT_FALSE(document_.Save());
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(ReadFile(path_), old);
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp")) << "no temporary file is left behind";

    // A name whose parent is a regular file cannot be saved, and the file stays as it was.
    document_.SetFileName(FileName(WriteFile("plain", "a file") + "/default.xcfg"));
    EXPECT_FALSE(document_.Save());
    EXPECT_EQ(ReadFile(PathOf("plain")), "a file");
    // Missing folders are created.
    document_.SetFileName(FileName(PathOf("new/deeper/default.xcfg")));
    EXPECT_TRUE(document_.Save());
    EXPECT_TRUE(platform::FileExists(PathOf("new/deeper/default.xcfg")));
    // A document without a root is not written; a missing file, or a folder, does not load.
    XmlDocument empty;
    empty.SetFileName(FileName(PathOf("rootless.xcfg")));
    EXPECT_FALSE(empty.Save());
    EXPECT_FALSE(empty.Load());
    EXPECT_FALSE(platform::FileExists(PathOf("rootless.xcfg")));
    empty.SetFileName(FileName(folder_));
    EXPECT_FALSE(empty.Load());

    // Through a symbolic link: the link stays, its target takes the new text and keeps mode 0640.
    const std::string target = WriteFile("elsewhere.xcfg", "old"), link = PathOf("link.xcfg");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink("elsewhere.xcfg", link.c_str()), 0);
    document_.SetFileName(FileName(link));
    ASSERT_TRUE(document_.Save());
    struct stat info;
    EXPECT_TRUE(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_NE(ReadFile(target).find("<port>4</port>"), std::string::npos);
    // No temporary file can be made beside it: the file itself is rewritten, every step checked.
    platform::FileSystem().open = [](const char* path, int flags, mode_t mode) {
        const std::string name(path);
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
            return errno = EACCES, -1;
        return platform::RealFileSystem().open(path, flags, mode);
    };
    document_.GetRoot()->Find(u"port")->SetText(5);
    ASSERT_TRUE(document_.Save());
    EXPECT_NE(ReadFile(target).find("<port>5</port>"), std::string::npos);
    platform::FileSystem().close = [](int fd) { return platform::RealFileSystem().close(fd), errno = EIO, -1; };
    EXPECT_FALSE(document_.Save()) << "a failed close is a failed save";
}
