#include "platform/file.h"

#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string TempFolder()
{
    char pattern[] = "/tmp/kestrovane-file-XXXXXX";
    return mkdtemp(pattern);
}

}  // namespace

TEST(File, WriteSeekReadTruncateRoundTrip)
{
    const std::string path = TempFolder() + "/data.bin";
    platform::File file;
    ASSERT_FALSE(file.Open(path, platform::File::Mode::ReadWrite)) << "existing files only";
    ASSERT_TRUE(file.Open(path, platform::File::Mode::CreateReadWrite));
    EXPECT_EQ(file.Write("abcdef", 6), 6);
    EXPECT_EQ(file.Length(), 6);
    EXPECT_EQ(file.Seek(2, platform::File::Origin::Begin), 2);
    char got[8] = {};
    EXPECT_EQ(file.Read(got, 8), 4) << "a read past the end returns what there is";
    EXPECT_STREQ(got, "cdef");
    EXPECT_TRUE(file.Truncate(3));
    EXPECT_EQ(file.Length(), 3);

    platform::File moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    moved.Close();
    moved.Close();
    EXPECT_EQ(moved.Read(got, 1), -1);
}

TEST(File, InjectedWriteFailureIsReported)
{
    const std::string path = TempFolder() + "/full.bin";
    platform::File file;
    ASSERT_TRUE(file.Open(path, platform::File::Mode::CreateReadWrite));
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_EQ(file.Write("x", 1), -1);
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(file.Write("x", 1), 1);
}

TEST(File, NarrowNamesReachTheSameFileAsTheirLatin1Characters)
{
    EXPECT_EQ(platform::PathFromNarrowName("logs_01.csv"), "logs_01.csv");
    EXPECT_EQ(platform::PathFromNarrowName("\xC4\xF1"), "\xC3\x84\xC3\xB1");
}

TEST(File, MakeDirectoryFailsWhenTheFolderExists)
{
    const std::string folder = TempFolder() + "/new";
    EXPECT_TRUE(platform::MakeDirectory(folder));
    EXPECT_FALSE(platform::MakeDirectory(folder));
    EXPECT_TRUE(platform::FileExists(folder));
}
