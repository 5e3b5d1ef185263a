#include "foundation/path_utilities.h"

#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_madeCalls;

}  // namespace

TEST(CreateDirectoriesForPath, BackslashesFirstAndACallForEveryPrefix)
{
    platform::FileSystem().mkdir = [](const char* path, mode_t) {
        g_madeCalls.push_back(path);
        errno = EEXIST;
        return -1;
    };
    const bool bare = CreateDirectoriesForPath(u"default.xcfg");
    const bool mixed = CreateDirectoriesForPath(u"\\a/b\\c\\file.txt");
    platform::FileSystem() = platform::RealFileSystem();
    // A name without a folder makes no call; a deepest folder that exists already is no new one.
    EXPECT_FALSE(bare);
    EXPECT_FALSE(mixed);
    EXPECT_EQ(g_madeCalls, (std::vector<std::string>{"\\", "\\a/b\\", "\\a/b\\c\\"}));
}
