#include "foundation/string_table_file.h"

#include "platform/file.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::u16string Lookup(XCStringTableFile& table, uint16_t id)
{
    XCStringW out;
    return table.GetString(out, id) ? U16(out) : u"<missing>";
}

class StcWriterTest : public InTemporaryFolder {
protected:
    // The writer's exit status for a source holding `text`; the output goes to out.stc.
    int Run(const std::string& text)
    {
        const std::string command = std::string(STC_WRITER) + " " + WriteFile("source.txt", text) + " " +
                                    PathOf("out.stc") + " 2>/dev/null";
        return std::system(command.c_str());
    }
};

}  // namespace

TEST(LanguageFiles, BuiltBesideTheProgramWithEveryTextItUses)
{
    const uint16_t programIds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18,
                                   19, 23, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 38, 39, 40,
                                   41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58,
                                   61, 62, 64, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77};
    for (const char* code : {"en", "es"}) {
        XCStringTableFile table;
        ASSERT_TRUE(table.Load((std::string(PROGRAM_DIR) + "/Kestrovane." + code + ".stc").c_str())) << code;
        for (const uint16_t id : programIds)
            EXPECT_GT(Lookup(table, id).size(), 0u) << code << " text " << id;
        // Event texts go into CSV lines cut to their low bytes, after a comma.
        for (const uint16_t id : {64, 66, 67, 68, 69, 70, 71})
            for (const char16_t unit : Lookup(table, id))
                EXPECT_TRUE(unit <= 0xFF && unit != u',' && unit >= 0x20) << code << " event text " << id;
    }
}

TEST_F(StcWriterTest, SortsIdsDecodesEscapesKeepsUtf8AndWritesNoFileFromABadSource)
{
    ASSERT_EQ(Run("# comment\n\n300\tlast\n7\tTwo\\nlines\\t\\\\\r\n0\t\n65535\t\xF0\x9F\x98\x80\n"), 0);
    XCStringTableFile table;
    ASSERT_TRUE(table.Load(PathOf("out.stc").c_str()));
    EXPECT_EQ(Lookup(table, 0), u"");
    EXPECT_EQ(Lookup(table, 7), u"Two\nlines\t\\");
    EXPECT_EQ(Lookup(table, 300), u"last");
    EXPECT_EQ(Lookup(table, 65535), u"\xD83D\xDE00");
    // No texts: an empty table.
    ASSERT_EQ(Run(""), 0);
    ASSERT_TRUE(table.Load(PathOf("out.stc").c_str()));
    EXPECT_EQ(Lookup(table, 7), u"<missing>");

    const std::string bad[] = {
        "1\tone\n1\tagain\n", "65536\ttoo big\n", "1 no tab\n",  // id twice, out of range, without a tab
        "1\tbad \\q escape\n", "1\t\xC3(\n",                     // unknown escape, broken UTF-8
        "1\t" + std::string(65536, 'x') + "\n",                  // text over 65535 bytes
    };
    for (const std::string& text : bad) {
        platform::RemoveFile(PathOf("out.stc"));
        EXPECT_NE(Run(text), 0) << text.substr(0, 20);
        EXPECT_FALSE(platform::FileExists(PathOf("out.stc"))) << text.substr(0, 20);
    }
}
