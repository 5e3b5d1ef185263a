#include "foundation/xml_document.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::u16string U16(const XCStringW& text) { return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength())); }

std::string Written(const XmlElement& element)
{
    XCStringA out;
    element.Write(out);
    return std::string(out.GetData(), static_cast<size_t>(out.GetLength()));
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string TempFolder()
{
    char pattern[] = "/tmp/kestrovane-xml-XXXXXX";
    return mkdtemp(pattern);
}

XCStringW Wide(const char16_t* text)
{
    XCStringW copy;
    copy.Assign(text, static_cast<int32_t>(std::char_traits<char16_t>::length(text)));
    return copy;
}

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// What the main dialog writes on a read-out of port 3.
void FillDefaultConfiguration(XmlDocument& document)
{
    document.New();
    document.GetRoot()->SetChildText(u"productName", Wide(u"Kestrovane"));
    document.GetRoot()->SetDefaultIcon();
    XmlElement* port = document.GetRoot()->Find(u"port");
    if (port == nullptr)
        port = document.GetRoot()->AddChild(u"port");
    port->SetText(3);
}

}  // namespace

TEST(XmlReader, TagSplitsAtTheFirstSpaceOnly)
{
    XmlDocument document;
    for (const char* text : {"<a/>", "<a />", "<a/ >", "<a b='1'/>"}) {
        ASSERT_TRUE(document.Parse(text)) << text;
        EXPECT_EQ(U16(document.GetRoot()->GetName()), u"a") << text;
    }
    EXPECT_EQ(U16(document.GetRoot()->GetAttributes().at(Wide(u"b"))), u"1");
    // After a tab the whole tag is the name, and the end tag must repeat it.
    EXPECT_FALSE(document.Parse("<a\tb='1'></a>"));
    ASSERT_TRUE(document.Parse("<a\tb='1'></a\tb='1'>"));
    EXPECT_TRUE(document.GetRoot()->GetAttributes().empty());
}

TEST(XmlReader, TextAroundChildrenIsJoinedAndWrittenAfterThem)
{
    XmlDocument document;
    ASSERT_TRUE(document.Parse("<a>x<b/>y</a>"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"")), u"xy");
    EXPECT_EQ(document.GetRoot()->GetChildren().size(), 1u);
    EXPECT_EQ(Written(*document.GetRoot()), "<a><b></b>xy</a>");

    // Entities are decoded once; white space between tags is text.
    ASSERT_TRUE(document.Parse("<a>\n <v>1 &lt; 2 &amp;lt; &#65;</v>\n</a>"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"v")), u"1 < 2 &lt; &#65;");
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"")), u"\n \n");
}

TEST(XmlReader, MalformedInputFailsWithoutRoot)
{
    XmlDocument document;
    const char* cases[] = {
        "",                                  // empty file
        "no element",                        // no "<" at all
        "<a></b>",                           // wrong end tag
        "<a>",                               // input ends before the end tag
        "<a",                                // tag without ">"
        "<a>text",                           // text run without a further "<"
        "<a></a",                            // end tag without ">"
        "<a><b></a>",                        // child never ends
        " <?xml version=\"1.0\"?><a/>",       // declaration not at the very start
        "<?xml version=\"1.0\"?x><a/>",       // its first "?" not followed by ">"
        "<?xml version=\"1.0\"",              // declaration never ends
        "<?xml version=\"1.0\"?>",            // nothing after it
    };
    for (const char* text : cases) {
        ASSERT_TRUE(document.Parse("<ok/>"));
        EXPECT_FALSE(document.Parse(text)) << text;
        EXPECT_EQ(document.GetRoot(), nullptr) << text;
    }
    EXPECT_FALSE(document.Parse(nullptr));
}

TEST(XmlReader, ByteOrderMarkAndDeclarationAreSkipped)
{
    XmlDocument document;
    ASSERT_TRUE(document.Parse("\xEF\xBB\xBF<?xml version=\"1.0\"?>junk<config><port>3</port></config>trailing"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"port")), u"3");
}

TEST(XmlReader, NamesKeepTheirEntitiesAndNonAsciiNamesMatchByBytes)
{
    XmlDocument document;
    document.New();
    document.GetRoot()->AddChild(u"a&b");
    EXPECT_EQ(Written(*document.GetRoot()), "<config><a&amp;b></a&amp;b></config>");
    ASSERT_TRUE(document.Parse("<config><a&amp;b></a&amp;b></config>"));
    EXPECT_NE(document.GetRoot()->Find(u"a&amp;b"), nullptr);

    ASSERT_TRUE(document.Parse("<r><tensi\xC3\xB3n x='1'>230</tensi\xC3\xB3n><\xC3\xB1></\xC3\xB1></r>"));
    EXPECT_EQ(U16(document.GetRoot()->GetText(u"tensi\u00F3n")), u"230");
    EXPECT_NE(document.GetRoot()->Find(u"\u00F1"), nullptr);
}

TEST(XmlReader, NestingDeeperThanTheBoundIsRefused)
{
    auto nested = [](int levels) {
        std::string text;
        for (int k = 0; k < levels; ++k)
            text += "<e>";
        for (int k = 0; k < levels; ++k)
            text += "</e>";
        return text;
    };
    XmlDocument document;
    EXPECT_TRUE(document.Parse(nested(XmlDocument::kMaxDepth).c_str()));
    EXPECT_FALSE(document.Parse(nested(XmlDocument::kMaxDepth + 1).c_str()));
    EXPECT_FALSE(document.Parse(nested(200000).c_str())) << "refused, not a stack overflow";
}

TEST(XmlAttributes, ReadingRulesAndWritingOrder)
{
    XmlDocument document;
    document.New();
    XmlElement* element = document.GetRoot();
    XmlElement::ParseAttributes(element, Wide(u"  a =\"2\" z='1' k=3 q='4'"));
    ASSERT_EQ(element->GetAttributes().size(), 2u) << "reading stops silently at k=3";
    EXPECT_EQ(U16(element->GetAttributes().at(Wide(u"a "))), u"2") << "a space before '=' stays in the name";
    EXPECT_EQ(U16(element->GetAttributes().at(Wide(u"z"))), u"1");
    // A double quote anywhere after '=' asks for a double-quoted value.
    XmlElement* other = element->AddChild(u"e");
    XmlElement::ParseAttributes(other, Wide(u"m='x' n=\"y\""));
    EXPECT_TRUE(other->GetAttributes().empty());
    element->AddChild(u"f");

    element->SetAttribute(u"z", u"9");  // replaces
    element->SetAttribute(u"", u"ignored");
    element->SetAttribute(u"m", u"x");
    EXPECT_EQ(Written(*element), "<config a =\"2\" m=\"x\" z=\"9\"><e></e><f></f></config>") << "ordered by name";

    // A double quote in a value is written as it stands, so the file does not read back the same.
    element->SetAttribute(u"m", u"say \"hi\"");
    const std::string text = Written(*element);
    ASSERT_TRUE(document.Parse(text.c_str()));
    EXPECT_NE(U16(document.GetRoot()->GetAttributes().at(Wide(u"m"))), u"say \"hi\"");
}

TEST(XmlFind, PathsPredicatesAndNoBacktracking)
{
    XmlDocument document;
    ASSERT_TRUE(document.Parse("<r><port>1</port><port>2</port>"
                               "<a><c/></a><a><b>late</b></a>"
                               "<item><id>2</id><value>two</value></item><item><id>3</id><value>three</value></item>"
                               "<item><flag/><value>flagged</value></item></r>"));
    XmlElement* root = document.GetRoot();
    EXPECT_EQ(root->Find(u""), root);                                  // empty path: the element itself
    EXPECT_EQ(root->Find(u"//"), root);
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

TEST(XmlSetters, ChildTextIconAndNumbers)
{
    XmlDocument document;
    document.New();
    XmlElement* root = document.GetRoot();
    root->SetChildText(u"a/b", Wide(u"x"));
    ASSERT_EQ(root->GetChildren().size(), 1u);
    EXPECT_EQ(U16(root->GetChildren().front()->GetName()), u"a/b") << "the whole path as one name";
    root->SetChildText(u"a/b", Wide(u"y"));
    EXPECT_EQ(root->GetChildren().size(), 2u) << "a name holding '/' is looked up as a path, so never found";

    root->SetIcon(XCStringA("Iconos/se\xC3\xB1" "al.ico"));
    root->SetDefaultIcon();
    EXPECT_EQ(U16(root->GetText(u"icono")), u"Kestrovane.ico") << "one icono child, replaced";

    XmlElement* port = root->AddChild(u"port");
    port->SetText(-1);
    EXPECT_EQ(U16(root->GetText(u"port")), u"-1");
    port->SetText(-2147483647 - 1);
    EXPECT_EQ(U16(root->GetText(u"port")), u"-2147483648");
}

class XmlSaveTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = TempFolder();
        path_ = folder_ + "/default.xcfg";
        XCStringW name;
        name.Assign(std::u16string(path_.begin(), path_.end()).c_str(), static_cast<int32_t>(path_.size()));
        FillDefaultConfiguration(document_);
        document_.SetFileName(name);
    }

    void TearDown() override
    {
        platform::FileSystem() = platform::RealFileSystem();
        std::filesystem::remove_all(folder_);
    }

    std::string folder_;
    std::string path_;
    XmlDocument document_;
};

TEST_F(XmlSaveTest, DefaultConfigurationIsWrittenByteForByteAndReadsBack)
{
    ASSERT_TRUE(document_.Save());
    EXPECT_EQ(ReadWhole(path_), std::string(kDeclaration) +
                                    "<config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono>"
                                    "<port>3</port></config>");
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp"));

    XmlDocument loaded;
    loaded.SetFileName(document_.GetFileName());
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(U16(loaded.GetRoot()->GetText(u"productName")), u"Kestrovane");
    EXPECT_EQ(U16(loaded.GetRoot()->GetText(u"port")), u"3");
}

TEST_F(XmlSaveTest, LoadDefaultReadsTheCurrentFolder)
{
    ASSERT_TRUE(document_.Save());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    XmlDocument loaded;
    const bool loadedDefault = loaded.LoadDefault();
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(loadedDefault);
    EXPECT_EQ(U16(loaded.GetFileName()), u"default.xcfg");
    EXPECT_EQ(U16(loaded.GetRoot()->GetText(u"icono")), u"Kestrovane.ico");

    XmlDocument missing;
    missing.SetFileName(Wide(u"/nonexistent-folder/default.xcfg"));
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(missing.GetRoot(), nullptr);
    missing.SetFileName(Wide(std::u16string(folder_.begin(), folder_.end()).c_str()));
    EXPECT_FALSE(missing.Load()) << "a folder is not a file";
}

TEST_F(XmlSaveTest, SavedFileParsesWithPythonToTheSameTexts)
{
    XmlElement* root = document_.GetRoot();
    root->SetChildText(u"productName", Wide(u"A&B <\"Tensi\u00F3n\"> 'x' \U0001F600"));
    root->SetChildText(u"path", Wide(u"C:\\Datos\\se\u00F1al"));
    root->SetAttribute(u"version", u"1.5");
    ASSERT_TRUE(document_.Save());

    const std::string command =
        "python3 -c \"import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
        "sys.stdout.buffer.write('|'.join([r.tag, r.get('version')] + [c.tag + '=' + (c.text or '') for c in r]).encode())\" " +
        path_;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "config|1.5|productName=A&B <\"Tensi\xC3\xB3n\"> 'x' \xF0\x9F\x98\x80|icono=Kestrovane.ico|port=3|"
                      "path=C:\\Datos\\se\xC3\xB1" "al");
}

TEST_F(XmlSaveTest, FailedSaveLeavesTheOldFileWhole)
{
    ASSERT_TRUE(document_.Save());
    const std::string old = ReadWhole(path_);
    document_.GetRoot()->SetChildText(u"productName", Wide(u"Changed"));

    // Each step of the replacement made to fail in turn: write, flush, rename.
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_FALSE(document_.Save());
    platform::FileSystem() = platform::RealFileSystem();
    platform::FileSystem().fsync = [](int) {
        errno = EIO;
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

    EXPECT_EQ(ReadWhole(path_), old);
    EXPECT_FALSE(platform::FileExists(path_ + ".tmp")) << "no temporary file is left behind";
    EXPECT_TRUE(document_.Save());
    EXPECT_NE(ReadWhole(path_).find("Changed"), std::string::npos);
}

TEST_F(XmlSaveTest, SaveCreatesMissingFoldersButNotUnderAFile)
{
    document_.SetFileName(Wide(std::u16string(folder_.begin(), folder_.end()).append(u"/new/deeper/default.xcfg").c_str()));
    EXPECT_TRUE(document_.Save());
    EXPECT_TRUE(platform::FileExists(folder_ + "/new/deeper/default.xcfg"));

    std::ofstream(folder_ + "/plain") << "a file";
    document_.SetFileName(Wide(std::u16string(folder_.begin(), folder_.end()).append(u"/plain/default.xcfg").c_str()));
    EXPECT_FALSE(document_.Save());
    EXPECT_EQ(ReadWhole(folder_ + "/plain"), "a file");

    XmlDocument empty;
    empty.SetFileName(Wide(std::u16string(folder_.begin(), folder_.end()).append(u"/rootless.xcfg").c_str()));
    EXPECT_FALSE(empty.Save()) << "a document without a root is not written";
    EXPECT_FALSE(platform::FileExists(folder_ + "/rootless.xcfg"));
}
