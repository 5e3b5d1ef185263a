#include "platform/file.h"

#include "tests/support/folder_fixture.h"

#include <gtest/gtest.h>

using FileTest = InTemporaryFolder;

TEST_F(FileTest, OpenModesShortReadsTruncationAndMoves)
{
    platform::File file;
    ASSERT_FALSE(file.Open(PathOf("data.bin"), platform::File::Mode::ReadWrite)) << "existing files only";
    ASSERT_TRUE(file.Open(PathOf("data.bin"), platform::File::Mode::CreateReadWrite));
    EXPECT_EQ(file.Write("abcdef", 6), 6);
    EXPECT_EQ(file.Seek(2, platform::File::Origin::Begin), 2);
    char got[8] = {};
    EXPECT_EQ(file.Read(got, 8), 4) << "a read past the end returns what there is";
    EXPECT_STREQ(got, "cdef");
    EXPECT_TRUE(file.Truncate(3));
    EXPECT_EQ(file.Length(), 3);
    EXPECT_EQ(file.Seek(0, platform::File::Origin::Current), 6) << "Length keeps the position";
    // A moved-from file is closed; a closed file reads nothing.
    platform::File moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    moved.Close();
    EXPECT_EQ(moved.Read(got, 1), -1);
    // An 8-bit name reaches the file of its Latin-1 characters.
    EXPECT_EQ(platform::PathFromNarrowName("logs_\xC4\xF1"), "logs_\xC3\x84\xC3\xB1");
}
