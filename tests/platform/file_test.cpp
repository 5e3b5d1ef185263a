#include "platform/file.h"

#include "platform/file_system_calls.h"
#include "tests/support/folder_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>

using FileTest = InTemporaryFolder;

TEST_F(FileTest, WriteSeekReadTruncateAndInjectedFailure)
{
    platform::File file;
    ASSERT_FALSE(file.Open(PathOf("data.bin"), platform::File::Mode::ReadWrite)) << "existing files only";
    ASSERT_TRUE(file.Open(PathOf("data.bin"), platform::File::Mode::CreateReadWrite));
    EXPECT_EQ(file.Write("abcdef", 6), 6);
    EXPECT_EQ(file.Length(), 6);
    EXPECT_EQ(file.Seek(2, platform::File::Origin::Begin), 2);
    char got[8] = {};
    EXPECT_EQ(file.Read(got, 8), 4) << "a read past the end returns what there is";
    EXPECT_STREQ(got, "cdef");
    EXPECT_TRUE(file.Truncate(3));
    EXPECT_EQ(file.Length(), 3);
    // A failing system call is reported, and the seam puts the real one back.
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_EQ(file.Write("x", 1), -1);
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(file.Write("x", 1), 1);
    // A moved-from file is closed; a closed file reads nothing.
    platform::File moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    moved.Close();
    EXPECT_EQ(moved.Read(got, 1), -1);
}

TEST_F(FileTest, NarrowNamesAndFolders)
{
    // An 8-bit name reaches the file of its Latin-1 characters.
    EXPECT_EQ(platform::PathFromNarrowName("logs_01.csv"), "logs_01.csv");
    EXPECT_EQ(platform::PathFromNarrowName("\xC4\xF1"), "\xC3\x84\xC3\xB1");
    // Making a folder that exists fails, as the platform's call does.
    EXPECT_TRUE(platform::MakeDirectory(PathOf("new")));
    EXPECT_FALSE(platform::MakeDirectory(PathOf("new")));
    EXPECT_TRUE(platform::FileExists(PathOf("new")));
}
