#include "foundation/string_table_file.h"

#include "platform/file.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using StcWriter = InTemporaryFolder;

TEST_F(StcWriter, SortsIdsDecodesEscapesKeepsUtf8AndWritesNoFileFromABadSource)
{
    // The writer's exit status for a source holding `text`; the output goes to out.stc.
    auto run = [this](const std::string& text) {
        const std::string command = std::string(STC_WRITER) + " " + WriteFile("source.txt", text) + " " +
                                    PathOf("out.stc") + " 2>/dev/null";
        return std::system(command.c_str());
    };
    ASSERT_EQ(run("# comment\n\n300\tlast\n7\tTwo\\nlines\\t\\\\\r\n65535\t\xF0\x9F\x98\x80\n"), 0);
    XCStringTableFile table;
    XCStringW seven, last;
    // Id 300 is found only when the ids were sorted.
    ASSERT_TRUE(table.Load(PathOf("out.stc").c_str()) && table.GetString(last, 300));
    ASSERT_TRUE(table.GetString(seven, 7) && table.GetString(last, 65535));
    EXPECT_EQ(U16(seven), u"Two\nlines\t\\");
    EXPECT_EQ(U16(last), u"\xD83D\xDE00");
    // Each bad source fails and leaves no file.
    const std::string bad[] = {
        "1\tone\n1\tagain\n", "65536\ttoo big\n", "1 no tab\n",  // id twice, out of range, without a tab
        "1\tbad \\q escape\n", "1\t\xC3(\n",                     // unknown escape, broken UTF-8
        "1\t" + std::string(65536, 'x') + "\n",                  // text over 65535 bytes
    };
    for (const std::string& source : bad) {
        platform::RemoveFile(PathOf("out.stc"));
        EXPECT_NE(run(source), 0) << source.substr(0, 20);
        EXPECT_FALSE(platform::FileExists(PathOf("out.stc"))) << source.substr(0, 20);
    }
}

TEST(LanguageFiles, BuiltBesideTheProgramWithEveryTextItUses)
{
    const uint16_t programIds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18,
                                   19, 23, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 38, 39, 40,
                                   41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58,
                                   61, 62, 64, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77};
    for (const char* code : {"en", "es"}) {
        XCStringTableFile table;
        ASSERT_TRUE(table.Load((std::string(PROGRAM_DIR) + "/Kestrovane." + code + ".stc").c_str())) << code;
        XCStringW text;
        for (const uint16_t id : programIds)
            EXPECT_TRUE(table.GetString(text, id) && !U16(text).empty()) << code << " text " << id;
        // Event texts go into CSV lines cut to their low bytes, after a comma.
        for (const uint16_t id : {64, 66, 67, 68, 69, 70, 71})
            for (const char16_t unit : table.GetString(text, id) ? U16(text) : u"")
                EXPECT_TRUE(unit <= 0xFF && unit != u',' && unit >= 0x20) << code << " event text " << id;
    }
}
