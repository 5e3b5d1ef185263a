#include "foundation/path_utilities.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::u16string U16(const XCStringW& text) { return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength())); }

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::vector<std::string> g_madeCalls;

}  // namespace

TEST(ModuleDirectory, IsTheFolderOfThisProgramWithASeparator)
{
    const std::u16string folder = U16(GetModuleDirectory());
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), u'/');
    EXPECT_EQ(folder.back(), u'/');
    const std::string narrow(folder.begin(), folder.end());
    EXPECT_TRUE(platform::FileExists(narrow + "foundation_path_utilities_test"));
}

TEST(CreateDirectories, CreatesFromTheTopAndTellsWhetherTheDeepestWasNew)
{
    char pattern[] = "/tmp/kestrovane-dirs-XXXXXX";
    const std::string base = mkdtemp(pattern);

    EXPECT_TRUE(CreateDirectoriesForPath(Widen(base + "/data/logs/x.std").c_str()));  // parents exist or are made
    EXPECT_TRUE(platform::FileExists(base + "/data/logs"));
    EXPECT_FALSE(platform::FileExists(base + "/data/logs/x.std"));
    EXPECT_FALSE(CreateDirectoriesForPath(Widen(base + "/data/logs/x.std").c_str()));  // deepest exists already
    EXPECT_TRUE(CreateDirectoriesForPath(Widen(base + "/other/logs").c_str()));        // last part is a file name
    EXPECT_TRUE(platform::FileExists(base + "/other"));
    EXPECT_FALSE(platform::FileExists(base + "/other/logs"));
    EXPECT_TRUE(CreateDirectoriesForPath(Widen(base + "/ends/").c_str()));
    std::filesystem::remove_all(base);
}

TEST(CreateDirectories, SplitsAtBackslashesFirstAndCallsForEveryPrefix)
{
    platform::FileSystem().mkdir = [](const char* path, mode_t) {
        g_madeCalls.push_back(path);
        errno = EEXIST;
        return -1;
    };
    g_madeCalls.clear();
    const bool bare = CreateDirectoriesForPath(u"default.xcfg");
    const std::vector<std::string> bareCalls = g_madeCalls;
    g_madeCalls.clear();
    const bool mixed = CreateDirectoriesForPath(u"\\a/b\\c\\file.txt");
    platform::FileSystem() = platform::RealFileSystem();

    EXPECT_FALSE(bare);
    EXPECT_TRUE(bareCalls.empty()) << "a name without a folder makes no call";
    EXPECT_FALSE(mixed);
    EXPECT_EQ(g_madeCalls, (std::vector<std::string>{"\\", "\\a/b\\", "\\a/b\\c\\"}));
}
