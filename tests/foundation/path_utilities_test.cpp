#include "foundation/path_utilities.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::vector<std::string> g_madeCalls;

}  // namespace

using CreateDirectories = InTemporaryFolder;

TEST(ModuleDirectory, IsTheFolderOfThisProgramWithASeparator)
{
    const std::u16string folder = U16(GetModuleDirectory());
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), u'/');
    EXPECT_TRUE(platform::FileExists(std::string(folder.begin(), folder.end()) + "foundation_path_utilities_test"));
}

TEST_F(CreateDirectories, CreatesFromTheTopAndTellsWhetherTheDeepestWasNew)
{
    EXPECT_TRUE(CreateDirectoriesForPath(Widen(PathOf("data/logs/x.std")).c_str()));
    EXPECT_TRUE(platform::FileExists(PathOf("data/logs")));
    EXPECT_FALSE(platform::FileExists(PathOf("data/logs/x.std")));
    // The deepest folder exists already.
    EXPECT_FALSE(CreateDirectoriesForPath(Widen(PathOf("data/logs/x.std")).c_str()));
    // Without a final separator the last part is a file name.
    EXPECT_TRUE(CreateDirectoriesForPath(Widen(PathOf("other/logs")).c_str()));
    EXPECT_FALSE(platform::FileExists(PathOf("other/logs")));
}

TEST(CreateDirectoriesSplit, BackslashesFirstAndACallForEveryPrefix)
{
    platform::FileSystem().mkdir = [](const char* path, mode_t) {
        g_madeCalls.push_back(path);
        errno = EEXIST;
        return -1;
    };
    const bool bare = CreateDirectoriesForPath(u"default.xcfg");
    const bool mixed = CreateDirectoriesForPath(u"\\a/b\\c\\file.txt");
    platform::FileSystem() = platform::RealFileSystem();
    // A name without a folder makes no call.
    EXPECT_FALSE(bare);
    EXPECT_FALSE(mixed);
    EXPECT_EQ(g_madeCalls, (std::vector<std::string>{"\\", "\\a/b\\", "\\a/b\\c\\"}));
}
