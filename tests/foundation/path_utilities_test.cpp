#include "foundation/path_utilities.h"

#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

TEST(CreateDirectoriesForPath, BackslashesFirstAndACallForEveryPrefix)
{
    static std::vector<std::string> made;
    platform::FileSystem().mkdir = [](const char* path, mode_t) {
        made.push_back(path);
        return errno = EEXIST, -1;
    };
    // A name without a folder makes no call; a deepest folder that exists already is no new one.
    EXPECT_FALSE(CreateDirectoriesForPath(u"default.xcfg"));
    EXPECT_FALSE(CreateDirectoriesForPath(u"\\a/b\\c\\file.txt"));
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(made, (std::vector<std::string>{"\\", "\\a/b\\", "\\a/b\\c\\"}));
}
