#include "foundation/string_table_file.h"

#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Every text id the program looks up.
const uint16_t kProgramTextIds[] = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 19, 23, 25, 26, 27,
    28, 29, 30, 31, 32, 33, 34, 35, 36, 38, 39, 40, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51,
    52, 53, 54, 55, 56, 57, 58, 61, 62, 64, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77};
// Event texts go into CSV lines, each unit cut to its low byte, after a comma.
const uint16_t kEventTextIds[] = {64, 66, 67, 68, 69, 70, 71};

std::u16string Lookup(XCStringTableFile& table, uint16_t id)
{
    XCStringW out;
    if (!table.GetString(out, id))
        return u"<missing>";
    return std::u16string(out.GetData(), static_cast<size_t>(out.GetLength()));
}

class StcWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kestrovane-writer-XXXXXX";
        folder_ = mkdtemp(pattern);
    }

    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The writer's exit status for a source holding `text`; the output goes to out.stc.
    int Run(const std::string& text)
    {
        std::ofstream(folder_ + "/source.txt", std::ios::binary | std::ios::trunc) << text;
        const std::string command =
            std::string(STC_WRITER) + " " + folder_ + "/source.txt " + folder_ + "/out.stc 2>/dev/null";
        return std::system(command.c_str());
    }

    std::string folder_;
};

}  // namespace

TEST(LanguageFiles, BuiltBesideTheProgramWithEveryTextItUses)
{
    for (const char* code : {"en", "es"}) {
        XCStringTableFile table;
        ASSERT_TRUE(table.Load((std::string(PROGRAM_DIR) + "/Kestrovane." + code + ".stc").c_str())) << code;
        for (const uint16_t id : kProgramTextIds)
            EXPECT_GT(Lookup(table, id).size(), 0u) << code << " text " << id;
        for (const uint16_t id : kEventTextIds) {
            const std::u16string text = Lookup(table, id);
            for (const char16_t unit : text)
                EXPECT_TRUE(unit <= 0xFF && unit != u',' && unit >= 0x20) << code << " event text " << id;
        }
    }
}

TEST_F(StcWriterTest, SortsIdsDecodesEscapesAndKeepsUtf8)
{
    ASSERT_EQ(Run("# comment\n\n300\tlast\n7\tTwo\\nlines\\t\\\\\r\n0\t\n65535\t\xF0\x9F\x98\x80\n"), 0);
    XCStringTableFile table;
    ASSERT_TRUE(table.Load((folder_ + "/out.stc").c_str()));
    EXPECT_EQ(Lookup(table, 0), u"");
    EXPECT_EQ(Lookup(table, 7), u"Two\nlines\t\\");
    EXPECT_EQ(Lookup(table, 300), u"last");
    EXPECT_EQ(Lookup(table, 65535), u"\xD83D\xDE00");
    EXPECT_EQ(Lookup(table, 8), u"<missing>");

    ASSERT_EQ(Run(""), 0) << "no texts: an empty table";
    ASSERT_TRUE(table.Load((folder_ + "/out.stc").c_str()));
    EXPECT_EQ(Lookup(table, 7), u"<missing>");
}

TEST_F(StcWriterTest, BadSourceWritesNoFile)
{
    const char* cases[] = {
        "1\tone\n1\tagain\n",   // id twice
        "1\tbad \\q escape\n",  // unknown escape
        "65536\ttoo big\n",     // id out of range
        "1 no tab\n",           // no tab
        "1\t\xC3(\n",           // broken UTF-8
    };
    for (const char* text : cases) {
        std::remove((folder_ + "/out.stc").c_str());
        EXPECT_NE(Run(text), 0) << text;
        EXPECT_FALSE(platform::FileExists(folder_ + "/out.stc")) << text;
    }
    EXPECT_NE(Run(std::string("1\t") + std::string(65536, 'x') + "\n"), 0) << "text over 65535 bytes";
}
