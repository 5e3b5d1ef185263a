#include "foundation/xml_document.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string Written(const XmlElement& element)
{
    XCStringA out;
    element.Write(out);
    return Bytes(out);
}

XCStringW FileName(const std::string& path) { return OwnedW(std::u16string(path.begin(), path.end())); }

std::u16string AttributeOf(const XmlElement& element, const char16_t* name)
{
    return U16(element.GetAttributes().at(OwnedW(name)));
}

}  // namespace

TEST(XmlReader, TagsSplitAtTheFirstSpaceAndTextJoinsAroundChildren)
{
    XmlDocument document;
    for (const char* text : {"<a/>", "<a />", "<a/ >", "<a b='1'/>"}) {
        ASSERT_TRUE(document.Parse(text)) << text;
        EXPECT_EQ(U16(document.GetRoot()->GetName()), u"a") << text;
    }
    EXPECT_EQ(AttributeOf(*document.GetRoot(), u"b"), u"1");
    // After a tab the whole tag is the name, and the end tag must repeat it.
    EXPECT_FALSE(document.Parse("<a\tb='1'></a>"));
    ASSERT_TRUE(document.Parse("<a\tb='1'></a\tb='1'>"));
    EXPECT_TRUE(document.GetRoot()->GetAttributes().empty());
    // Text split by a child is joined, and written after the children.
    ASSERT_TRUE(document.Parse("<a>x<b/>y</a>"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"")), u"xy");
    EXPECT_EQ(Written(*document.GetRoot()), "<a><b></b>xy</a>");
    // Entities are decoded once; white space between tags is text.
    ASSERT_TRUE(document.Parse("<a>\n <v>1 &lt; 2 &amp;lt; &#65;</v>\n</a>"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"v")), u"1 < 2 &lt; &#65;");
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"")), u"\n \n");
    // Byte-order mark, declaration and whatever lies around the root are skipped.
    ASSERT_TRUE(document.Parse("\xEF\xBB\xBF<?xml version=\"1.0\"?>junk<config><port>3</port></config>trailing"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"port")), u"3");
    // Names keep their entities; a name outside ASCII matches its end tag by bytes.
    ASSERT_TRUE(document.Parse("<r><a&amp;b></a&amp;b><tensi\xC3\xB3n x='1'>230</tensi\xC3\xB3n></r>"));
    EXPECT_NE(document.GetRoot()->Find(u"a&amp;b"), nullptr);
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"tensi\u00F3n")), u"230");
    EXPECT_EQ(Written(*document.GetRoot()->Find(u"a&amp;b")), "<a&amp;amp;b></a&amp;amp;b>");
}

TEST(XmlReader, MalformedOrTooDeepInputFailsWithoutRoot)
{
    XmlDocument document;
    std::string tooDeep;
    for (int k = 0; k <= XmlDocument::kMaxDepth; ++k)
        tooDeep = "<e>" + tooDeep + "</e>";
    std::string unbounded;
    for (int k = 0; k < 200000; ++k)
        unbounded += "<e>";
    const std::string cases[] = {
        "", "no element", "<?xml version=\"1.0\"?>",              // nothing, or no element after all
        "<a></b>", "<a>", "<a", "<a>text", "<a></a", "<a><b></a>",  // end tag wrong, missing or cut short
        " <?xml version=\"1.0\"?><a/>",                           // declaration not at the very start
        "<?xml version=\"1.0\"?x><a/>",                           // its first "?" not followed by ">"
        tooDeep, unbounded,                                        // too deep: refused, no stack overflow
    };
    for (const std::string& text : cases) {
        ASSERT_TRUE(document.Parse("<ok/>"));
        EXPECT_FALSE(document.Parse(text.c_str())) << text.substr(0, 40);
        EXPECT_EQ(document.GetRoot(), nullptr) << text.substr(0, 40);
    }
    EXPECT_FALSE(document.Parse(nullptr));
    EXPECT_TRUE(document.Parse(tooDeep.substr(3, tooDeep.size() - 7).c_str())) << "the bound itself loads";
}

TEST(XmlAttributes, ReadingRulesAndWritingOrder)
{
    XmlDocument document;
    document.New();
    XmlElement* element = document.GetRoot();
    XmlElement::ParseAttributes(element, OwnedW(u"  a =\"2\" z='1' k=3 q='4'"));
    ASSERT_EQ(element->GetAttributes().size(), 2u) << "reading stops silently at k=3";
    EXPECT_EQ(AttributeOf(*element, u"a "), u"2") << "a space before '=' stays in the name";
    EXPECT_EQ(AttributeOf(*element, u"z"), u"1");
    // A double quote anywhere after '=' asks for a double-quoted value.
    XmlElement* other = element->AddChild(u"e");
    XmlElement::ParseAttributes(other, OwnedW(u"m='x' n=\"y\""));
    EXPECT_TRUE(other->GetAttributes().empty());
    // Written in the order of their names; setting a name again replaces; an empty name is ignored.
    element->SetAttribute(u"z", u"9");
    element->SetAttribute(u"", u"ignored");
    element->SetAttribute(u"m", u"x");
    EXPECT_EQ(Written(*element), "<config a =\"2\" m=\"x\" z=\"9\"><e></e></config>");
}

TEST(XmlFind, PathsPredicatesAndNoBacktracking)
{
    XmlDocument document;
    ASSERT_TRUE(document.Parse("<r><port>1</port><port>2</port><a><c/></a><a><b>late</b></a>"
                               "<item><id>2</id><value>two</value></item><item><id>3</id><value>three</value></item>"
                               "<item><flag/><value>flagged</value></item></r>"));
    XmlElement* root = document.GetRoot();
    EXPECT_EQ(root->Find(u""), root);                                  // empty path: the element itself
    EXPECT_EQ(U16(root->GetText(u"port")), u"1");                      // first of two
    EXPECT_EQ(root->Find(u"a/b"), nullptr);                            // first "a" chosen, no backtracking
    EXPECT_EQ(root->Find(u"a/"), root->Find(u"a"));                    // trailing and doubled separators
    EXPECT_NE(root->Find(u"a//c"), nullptr);
    EXPECT_EQ(U16(root->GetText(u"item?id=3?/value")), u"three");      // key with value
    EXPECT_EQ(U16(root->GetText(u"item?flag?/value")), u"flagged");    // key alone
    EXPECT_EQ(root->Find(u"item?id=4?"), nullptr);
    EXPECT_EQ(root->Find(u"item?id=3"), nullptr);                      // unterminated predicates
    EXPECT_EQ(root->Find(u"item?id"), nullptr);
    EXPECT_EQ(root->Find(u"Port"), nullptr);                           // case counts
    EXPECT_EQ(U16(root->GetText(u"missing")), u"");
}

TEST(XmlSetters, ChildTextAndIcon)
{
    XmlDocument document;
    document.New();
    XmlElement* root = document.GetRoot();
    // The whole path becomes one name, which as a path is never found again.
    root->SetChildText(u"a/b", OwnedW(u"x"));
    root->SetChildText(u"a/b", OwnedW(u"y"));
    ASSERT_EQ(root->GetChildren().size(), 2u);
    EXPECT_EQ(U16(root->GetChildren().front()->GetName()), u"a/b");
    // One icono child, replaced.
    root->SetIcon(XCStringA("Iconos/se\xC3\xB1" "al.ico"));
    EXPECT_EQ(U16(root->GetText(u"icono")), u"Iconos/se\u00F1al.ico");
    root->SetDefaultIcon();
    EXPECT_EQ(U16(root->GetText(u"icono")), u"Kestrovane.ico");
    EXPECT_EQ(root->GetChildren().size(), 3u);
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

TEST_F(XmlSaveTest, DefaultConfigurationIsWrittenByteForByteAndReadsBackHereAndInPython)
{
    ASSERT_TRUE(document_.Save());
    EXPECT_EQ(ReadFile(path_), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                               "<config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono>"
                               "<port>3</port></config>");
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp"));

    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    XmlDocument loaded;
    const bool loadedDefault = loaded.LoadDefault();
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(loadedDefault);
    EXPECT_EQ(U16(loaded.GetRoot()->GetText(u"port")), u"3");
    // A missing file, or a folder, does not load.
    XmlDocument missing;
    missing.SetFileName(FileName(PathOf("missing.xcfg")));
    EXPECT_FALSE(missing.Load());
    missing.SetFileName(FileName(folder_));
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(missing.GetRoot(), nullptr);

    // A file with every character the escaping must handle parses with Python to the same texts.
    XmlElement* root = document_.GetRoot();
    root->SetChildText(u"productName", OwnedW(u"A&B <\"Tensi\u00F3n\"> 'x' \U0001F600"));
    root->SetAttribute(u"version", u"1.5");
    ASSERT_TRUE(document_.Save());

    const std::string command = "python3 -c \"import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
                                "sys.stdout.buffer.write('|'.join([r.tag, r.get('version')] + [c.tag + '=' + c.text for c in r]).encode())\" ";
    FILE* pipe = popen((command + path_).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output(4096, '\0');
    output.resize(fread(output.data(), 1, output.size(), pipe));
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "config|1.5|productName=A&B <\"Tensi\xC3\xB3n\"> 'x' \xF0\x9F\x98\x80|icono=Kestrovane.ico|port=3");
}

TEST_F(XmlSaveTest, FailedSaveLeavesTheOldFileWholeAndMissingFoldersAreMade)
{
    ASSERT_TRUE(document_.Save());
    const std::string old = ReadFile(path_);
    document_.GetRoot()->SetChildText(u"productName", OwnedW(u"Changed"));
    // The write of the temporary file fails, then the rename over the old file.
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_FALSE(document_.Save());
    platform::FileSystem() = platform::RealFileSystem();
    platform::FileSystem().rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    EXPECT_FALSE(document_.Save());
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(ReadFile(path_), old);
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp")) << "no temporary file is left behind";
    // A name whose parent is a regular file cannot be saved, and the file stays as it was.
    document_.SetFileName(FileName(WriteFile("plain", "a file") + "/default.xcfg"));
    EXPECT_FALSE(document_.Save());
    EXPECT_EQ(ReadFile(PathOf("plain")), "a file");
    // Missing folders are created; a document without a root is not written.
    document_.SetFileName(FileName(PathOf("new/deeper/default.xcfg")));
    EXPECT_TRUE(document_.Save());
    EXPECT_TRUE(platform::FileExists(PathOf("new/deeper/default.xcfg")));
    XmlDocument empty;
    empty.SetFileName(FileName(PathOf("rootless.xcfg")));
    EXPECT_FALSE(empty.Save());
    EXPECT_FALSE(platform::FileExists(PathOf("rootless.xcfg")));
}

TEST_F(XmlSaveTest, ManyAttributesAndALongTextRoundTrip)
{
    // Sizes that took many seconds while each attribute copied the rest of its tag and each
    // converted text grew 255 units at a time.
    std::string tag = "<config";
    for (int i = 0; i < 80000; ++i)
        tag += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    XmlDocument parsed;
    ASSERT_TRUE(parsed.Parse((tag + "></config>").c_str()));
    EXPECT_EQ(parsed.GetRoot()->GetAttributes().size(), 80000u);
    EXPECT_EQ(AttributeOf(*parsed.GetRoot(), u"a79999"), u"79999");
    std::u16string text(8 << 20, u'x');
    for (size_t i = 0; i < text.size(); i += 4096)
        text[i] = u'&';
    document_.GetRoot()->SetChildText(u"productName", OwnedW(text));
    ASSERT_TRUE(document_.Save());
    XmlDocument loaded;
    loaded.SetFileName(FileName(path_));
    ASSERT_TRUE(loaded.Load());
    EXPECT_TRUE(U16(loaded.GetRoot()->GetText(u"productName")) == text);
}
