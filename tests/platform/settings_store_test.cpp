#include "platform/settings_store.h"

#include "platform/file_system_calls.h"
#include "tests/support/folder_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>

namespace {

const char kKey[] = "Software\\Orvastel\\Kestrovane";

class SettingsStore : public InTemporaryFolder {
protected:
    void SetUp() override
    {
        InTemporaryFolder::SetUp();
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        ASSERT_TRUE(key_.Create(kKey) && key_.SetString("Language", u"es"));
        stored_ = ReadFile(platform::SettingsStorePath());
    }
    void TearDown() override
    {
        platform::FileSystem() = platform::RealFileSystem();
        InTemporaryFolder::TearDown();
    }
    // The Language value as a fresh key reads it, once the write before it succeeded.
    static std::u16string ReadAfter(bool written)
    {
        EXPECT_TRUE(written);
        std::u16string value = u"(not read)";
        platform::SettingsKey key;
        if (key.Open(kKey))
            key.QueryString("Language", 32, value);
        return value;
    }
    platform::SettingsKey key_;
    std::string stored_;  // the store holding Language = es
};

}  // namespace

TEST_F(SettingsStore, StringReadsKeepTheTypeAndCapacityRules)
{
    // 31 units and the terminator fill 32 units; 32 units do not fit.
    EXPECT_EQ(ReadAfter(key_.SetString("Language", std::u16string(31, u'x'))), std::u16string(31, u'x'));
    EXPECT_EQ(ReadAfter(key_.SetString("Language", std::u16string(32, u'x'))), u"(not read)");
    // An expandable string reads like a plain one.
    EXPECT_EQ(ReadAfter(key_.SetString("Language", u"espa\u00F1ol", platform::SettingType::ExpandString)),
              u"espa\u00F1ol");
    // Another type, data without a terminating zero unit, or of an odd length: not a string.
    EXPECT_EQ(ReadAfter(key_.SetDword("Language", 0x0A)), u"(not read)");
    EXPECT_EQ(ReadAfter(key_.SetValue("Language", platform::SettingType::String, {'e', 0, 's', 0})), u"(not read)");
    EXPECT_EQ(ReadAfter(key_.SetValue("Language", platform::SettingType::String, {'e', 0, 0})), u"(not read)");
}

TEST_F(SettingsStore, DamagedOrCutStoreReadsAsEmptyAndIsReplacedOnWrite)
{
    for (const std::string& damage : {std::string("garbage\n"), stored_.substr(0, stored_.size() - 5),
                                      stored_ + "value stray 1 zz\n", std::string("\0\0\0", 3)}) {
        std::ofstream(platform::SettingsStorePath(), std::ios::trunc) << damage;
        EXPECT_FALSE(platform::SettingsKey().Open(kKey)) << damage;
        platform::SettingsKey fresh;
        EXPECT_EQ(ReadAfter(fresh.Create(kKey) && fresh.SetString("Language", u"en")), u"en");
    }
}

TEST_F(SettingsStore, FailedWriteOrUnreadableStoreLeavesTheOldStoreWhole)
{
    // The new store cannot take the old one's place.
    platform::FileSystem().rename = [](const char*, const char*) { return errno = EIO, -1; };
    EXPECT_FALSE(key_.SetString("Language", u"en"));
    platform::FileSystem() = platform::RealFileSystem();
    // The old store cannot be read: it is not written over. Either way the old store stays as it was.
    platform::FileSystem().open = [](const char* path, int flags, mode_t mode) {
        if ((flags & O_ACCMODE) != O_RDONLY)
            return platform::RealFileSystem().open(path, flags, mode);
        return errno = EACCES, -1;
    };
    EXPECT_FALSE(key_.SetString("Language", u"en"));
    EXPECT_FALSE(platform::SettingsKey().Create("Software\\Other"));
    EXPECT_EQ(ReadFile(platform::SettingsStorePath()), stored_);
}
