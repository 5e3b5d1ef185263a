#include "platform/settings_store.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const char kKey[] = "Software\\Orvastel\\Kestrovane";

// Points the store at a fresh folder for the length of a test.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kestrovane-settings-XXXXXX";
        home_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    }
    void TearDown() override { platform::FileSystem() = platform::RealFileSystem(); }

    static std::string StoreText()
    {
        std::ifstream in(platform::SettingsStorePath());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string home_;
};

std::vector<uint8_t> Utf16(const std::u16string& text, bool terminated)
{
    std::vector<uint8_t> data;
    for (char16_t unit : text) {
        data.push_back(static_cast<uint8_t>(unit));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (terminated) {
        data.push_back(0);
        data.push_back(0);
    }
    return data;
}

}  // namespace

TEST_F(SettingsStore, StringReadsKeepTheTypeAndCapacityRules)
{
    platform::SettingsKey key;
    ASSERT_TRUE(key.Create(kKey));
    std::u16string value = u"unchanged";
    // A missing value is not read.
    EXPECT_FALSE(key.QueryString("Language", 32, value));
    // 31 units and the terminator fill a 32-unit buffer exactly.
    const std::u16string longest(31, u'x');
    ASSERT_TRUE(key.SetString("Language", longest));
    EXPECT_TRUE(key.QueryString("Language", 32, value));
    EXPECT_EQ(value, longest);
    // 32 units do not fit.
    ASSERT_TRUE(key.SetString("Language", std::u16string(32, u'x')));
    EXPECT_FALSE(key.QueryString("Language", 32, value));
    // An expandable string reads like a plain one; text outside ASCII survives.
    ASSERT_TRUE(key.SetString("Language", u"espa\u00F1ol", platform::SettingType::ExpandString));
    EXPECT_TRUE(key.QueryString("Language", 32, value));
    EXPECT_EQ(value, u"espa\u00F1ol");
    // Another type is not a string.
    ASSERT_TRUE(key.SetDword("Language", 0x0A));
    EXPECT_FALSE(key.QueryString("Language", 32, value));
    uint32_t number = 0;
    EXPECT_TRUE(key.QueryDword("Language", number));
    EXPECT_EQ(number, 0x0Au);
    // Data without a terminating zero unit, or of an odd length, is not read.
    ASSERT_TRUE(key.SetValue("Language", platform::SettingType::String, Utf16(u"es", false)));
    EXPECT_FALSE(key.QueryString("Language", 32, value));
    ASSERT_TRUE(key.SetValue("Language", platform::SettingType::String, {'e', 0, 0}));
    EXPECT_FALSE(key.QueryString("Language", 32, value));
}

TEST_F(SettingsStore, KeysAndValuesPersistAcrossOpens)
{
    platform::SettingsKey key;
    // Nothing is stored yet: the key does not open.
    EXPECT_FALSE(key.Open(kKey));
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetString("Language", u"es"));
    ASSERT_TRUE(key.SetString("DownloadPath", u"/home/tech/logs/"));
    key.Close();
    EXPECT_FALSE(key.SetString("Language", u"en")) << "a closed key writes nothing";

    platform::SettingsKey reopened;
    ASSERT_TRUE(reopened.Open(kKey));
    std::u16string value;
    EXPECT_TRUE(reopened.QueryString("Language", 32, value));
    EXPECT_EQ(value, u"es");
    EXPECT_TRUE(reopened.QueryString("DownloadPath", 260, value));
    EXPECT_EQ(value, u"/home/tech/logs/");
    // A key above a stored one exists; a sibling does not.
    EXPECT_TRUE(platform::SettingsKey().Open("Software\\Orvastel"));
    EXPECT_FALSE(platform::SettingsKey().Open("Software\\Orvastel\\Other"));
    EXPECT_FALSE(platform::SettingsKey().Open("Software\\Orv"));
}

TEST_F(SettingsStore, DamagedStoreReadsAsEmptyAndIsReplacedOnWrite)
{
    platform::SettingsKey key;
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetString("Language", u"es"));
    const std::string good = StoreText();
    for (const std::string& damage : {std::string("garbage\n"), good.substr(0, good.size() - 5),
                                      good + "value stray 1 zz\n", std::string("\0\0\0", 3)}) {
        std::ofstream(platform::SettingsStorePath(), std::ios::binary | std::ios::trunc) << damage;
        std::u16string value;
        EXPECT_FALSE(platform::SettingsKey().Open(kKey)) << damage;
        platform::SettingsKey fresh;
        ASSERT_TRUE(fresh.Create(kKey)) << damage;
        EXPECT_FALSE(fresh.QueryString("Language", 32, value)) << damage;
        ASSERT_TRUE(fresh.SetString("Language", u"en"));
        EXPECT_TRUE(fresh.QueryString("Language", 32, value));
        EXPECT_EQ(value, u"en");
    }
}

TEST_F(SettingsStore, FailedWriteLeavesTheOldStoreWhole)
{
    platform::SettingsKey key;
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetString("Language", u"es"));
    const std::string before = StoreText();
    platform::FileSystem().rename = [](const char*, const char*) {
        errno = EIO;
        return -1;
    };
    EXPECT_FALSE(key.SetString("Language", u"en"));
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_EQ(StoreText(), before);
    std::u16string value;
    EXPECT_TRUE(key.QueryString("Language", 32, value));
    EXPECT_EQ(value, u"es");
    EXPECT_FALSE(platform::FileExists(platform::SettingsStorePath() + ".tmp" + std::to_string(getpid())))
        << "the temporary file is cleaned up";
}

TEST_F(SettingsStore, KeyCannotBeCreatedWhereTheFolderCannotExist)
{
    // The configuration folder's parent is a regular file.
    std::ofstream(home_ + "/file") << "x";
    setenv("XDG_CONFIG_HOME", (home_ + "/file/config").c_str(), 1);
    platform::SettingsKey key;
    EXPECT_FALSE(key.Create(kKey));
    EXPECT_FALSE(key.IsOpen());
    // A relative XDG_CONFIG_HOME is ignored in favour of $HOME/.config.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", home_.c_str(), 1);
    EXPECT_EQ(platform::SettingsStorePath(), home_ + "/.config/Orvastel/settings");
}
