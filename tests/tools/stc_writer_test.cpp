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
