#include "platform/settings_store.h"

#include "platform/file_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>

namespace {

const char kKey[] = "Software\\Orvastel\\Kestrovane";

class SettingsStore : public testing::Test {
protected:
    void SetUp() override
    {
        home_ = MakeTemporaryFolder("kestrovane-settings-");
        setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
        ASSERT_TRUE(key_.Create(kKey));
    }
    void TearDown() override
    {
        platform::FileSystem() = platform::RealFileSystem();
        RemoveTree(home_);
    }
    static std::string StoreText()
    {
        std::stringstream text;
        text << std::ifstream(platform::SettingsStorePath()).rdbuf();
        return text.str();
    }
    std::u16string Read(size_t capacity = 32)
    {
        std::u16string value = u"(not read)";
        platform::SettingsKey key;
        if (key.Open(kKey))
            key.QueryString("Language", capacity, value);
        return value;
    }
    std::string home_;
    platform::SettingsKey key_;
};

}  // namespace

TEST_F(SettingsStore, StringReadsKeepTheTypeAndCapacityRules)
{
    // 31 units and the terminator fill 32 units; 32 units do not fit.
    ASSERT_TRUE(key_.SetString("Language", std::u16string(31, u'x')));
    EXPECT_EQ(Read(), std::u16string(31, u'x'));
    ASSERT_TRUE(key_.SetString("Language", std::u16string(32, u'x')));
    EXPECT_EQ(Read(), u"(not read)");
    // An expandable string reads like a plain one.
    ASSERT_TRUE(key_.SetString("Language", u"espa\u00F1ol", platform::SettingType::ExpandString));
    EXPECT_EQ(Read(), u"espa\u00F1ol");
    // Another type, data without a terminating zero unit, or of an odd length: not a string.
    ASSERT_TRUE(key_.SetDword("Language", 0x0A));
    EXPECT_EQ(Read(), u"(not read)");
    ASSERT_TRUE(key_.SetValue("Language", platform::SettingType::String, {'e', 0, 's', 0}));
    EXPECT_EQ(Read(), u"(not read)");
    ASSERT_TRUE(key_.SetValue("Language", platform::SettingType::String, {'e', 0, 0}));
    EXPECT_EQ(Read(), u"(not read)");
}

TEST_F(SettingsStore, DamagedOrCutStoreReadsAsEmptyAndIsReplacedOnWrite)
{
    ASSERT_TRUE(key_.SetString("Language", u"es"));
    const std::string good = StoreText();
    for (const std::string& damage : {std::string("garbage\n"), good.substr(0, good.size() - 5),
                                      good + "value stray 1 zz\n", std::string("\0\0\0", 3)}) {
        std::ofstream(platform::SettingsStorePath(), std::ios::trunc) << damage;
        EXPECT_FALSE(platform::SettingsKey().Open(kKey)) << damage;
        platform::SettingsKey fresh;
        ASSERT_TRUE(fresh.Create(kKey));
        ASSERT_TRUE(fresh.SetString("Language", u"en"));
        EXPECT_EQ(Read(), u"en");
    }
}

TEST_F(SettingsStore, FailedWriteOrUnreadableStoreLeavesTheOldStoreWhole)
{
    ASSERT_TRUE(key_.SetString("Language", u"es"));
    const std::string before = StoreText();
    // The new store cannot take the old one's place.
    platform::FileSystem().rename = [](const char*, const char*) {
        errno = EIO;
        return -1;
    };
    EXPECT_FALSE(key_.SetString("Language", u"en"));
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(StoreText(), before);
    // The old store cannot be read: it is not written over.
    platform::FileSystem().open = [](const char* path, int flags, mode_t mode) {
        if ((flags & O_ACCMODE) == O_RDONLY) {
            errno = EACCES;
            return -1;
        }
        return platform::RealFileSystem().open(path, flags, mode);
    };
    EXPECT_FALSE(key_.SetString("Language", u"en"));
    EXPECT_FALSE(platform::SettingsKey().Create("Software\\Other"));
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(StoreText(), before);
}
