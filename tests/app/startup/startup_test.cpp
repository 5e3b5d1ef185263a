#include "app/kestrovane_app.h"

#include "app/load_language.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "foundation/string_table_file.h"
#include "platform/settings_store.h"
#include "platform/single_instance.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using platform::ui::Dialog;

namespace {

const char16_t kLanguageFailure[] = u"Unable to load specific language libraries. Program will exit.";

std::string ProgramFolder()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string folder(path, length > 0 ? static_cast<size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/'));
}

std::u16string TableText(const std::string& file, uint16_t id)
{
    XCStringTableFile table;
    XCStringW text;
    if (table.Load(file.c_str()))
        table.GetString(text, id);
    return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength()));
}

// Each start has its own settings store, ports, instance lock and user language; the program
// folder is this test's own, shared by no other test.
class StartUp : public testing::Test {
protected:
    void SetUp() override
    {
        runtime_ = MakeTemporaryFolder("kestrovane-runtime-");
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "fr_FR.UTF-8", 1);
        std::remove((ProgramFolder() + "/default.xcfg").c_str());
    }
    void TearDown() override { RemoveTree(runtime_); }

    void StoreLanguage(const std::vector<uint8_t>& data, platform::SettingType type)
    {
        platform::SettingsKey key;
        ASSERT_TRUE(key.Create(kSettingsKeyPath));
        ASSERT_TRUE(key.SetValue("Language", type, data));
    }
    void StoreLanguage(const std::u16string& code)
    {
        platform::SettingsKey key;
        ASSERT_TRUE(key.Create(kSettingsKeyPath));
        ASSERT_TRUE(key.SetString("Language", code));
    }
    static std::u16string StoredLanguage()
    {
        platform::SettingsKey key;
        std::u16string code = u"(none)";
        if (key.Open(kSettingsKeyPath))
            key.QueryString("Language", 32, code);
        return code;
    }
    // Starts the program; a main window that opens is closed at once, its port label taken.
    void Start(bool windowExpected, std::u16string* portLabel = nullptr)
    {
        bool opened = false;
        if (windowExpected) {
            ui_.Call([&opened, portLabel](Dialog& dialog) {
                opened = dialog.Layout().id == IDD_KESTROVANE_DIALOG;
                if (portLabel)
                    *portLabel = dialog.GetDlgItem(IDC_PORT_LABEL).GetWindowText();
            });
            ui_.CloseWindow();
        }
        CKestrovaneApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(opened, windowExpected);
        EXPECT_EQ(ui_.StepsLeft(), 0u);
        EXPECT_EQ(ui_.Failure(), "");
    }
    std::u16string LastMessage() const
    {
        return ui_.MessageBoxes().empty() ? u"(none)" : ui_.MessageBoxes().back().text;
    }

    TemporaryPortsFolder ports_;
    platform::ui::HeadlessBackend ui_;
    std::string runtime_;
};

}  // namespace

TEST_F(StartUp, StoredLanguageIsUsedAsItStands)
{
    // A code without its file: the fixed text, and the stored code stays.
    StoreLanguage(u"de");
    ui_.AnswerMessageBox(platform::ui::IDOK);
    Start(false);
    EXPECT_EQ(LastMessage(), kLanguageFailure);
    EXPECT_EQ(ui_.MessageBoxes().back().type, platform::ui::MB_OK);
    EXPECT_EQ(StoredLanguage(), u"de");
    // Spanish stored, French user: Spanish texts.
    StoreLanguage(u"es");
    std::u16string portLabel;
    Start(true, &portLabel);
    EXPECT_EQ(portLabel, TableText(ProgramFolder() + "/Kestrovane.es.stc", kTextPort));
    EXPECT_NE(portLabel, TableText(ProgramFolder() + "/Kestrovane.en.stc", kTextPort));
    EXPECT_EQ(StoredLanguage(), u"es");
    EXPECT_EQ(ui_.Failure(), "");
}

TEST_F(StartUp, LanguageDerivedFromTheUserIsStored)
{
    // No key at all, a French user: English, and the key is created.
    Start(true);
    EXPECT_EQ(StoredLanguage(), u"en");
    // A Spanish user of any country, over a stored code too long to count.
    setenv("LANG", "es_AR.UTF-8", 1);
    StoreLanguage(std::u16string(32, u'e'));
    Start(true);
    EXPECT_EQ(StoredLanguage(), u"es");
    // A stored value of another type counts as absent and is written over as a string.
    setenv("LANG", "en_GB.UTF-8", 1);
    StoreLanguage({0x0A, 0, 0, 0}, platform::SettingType::Dword);
    Start(true);
    EXPECT_EQ(StoredLanguage(), u"en");
    EXPECT_EQ(ui_.Failure(), "");
}

TEST_F(StartUp, SettingsThatCannotBeStoredEndTheStart)
{
    std::ofstream(ports_.ConfigHome() + "/file") << "x";
    setenv("XDG_CONFIG_HOME", (ports_.ConfigHome() + "/file/config").c_str(), 1);
    ui_.AnswerMessageBox(platform::ui::IDOK);
    ui_.AnswerMessageBox(platform::ui::IDOK);
    Start(false);
    ASSERT_EQ(ui_.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, TableText(ProgramFolder() + "/Kestrovane.en.stc", kTextSettingsKeyNotCreated));
    EXPECT_EQ(ui_.MessageBoxes()[1].text, kLanguageFailure);
    setenv("XDG_CONFIG_HOME", ports_.ConfigHome().c_str(), 1);
}

TEST_F(StartUp, SecondInstanceIsRefusedButAKilledOneDoesNotBlock)
{
    // Another instance holds the guard: text 2, and no window.
    platform::SingleInstanceGuard running;
    ASSERT_EQ(running.Acquire("Kestrovane 1.0 Semaphore"), platform::SingleInstanceGuard::Outcome::Acquired);
    ui_.AnswerMessageBox(platform::ui::IDOK);
    Start(false);
    EXPECT_EQ(LastMessage(), TableText(ProgramFolder() + "/Kestrovane.en.stc", kTextAnotherInstance));
    running.Release();

    // An instance that was killed leaves nothing behind.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::SingleInstanceGuard guard;
        guard.Acquire("Kestrovane 1.0 Semaphore");
        (void)!write(ready[1], "y", 1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    Start(true);
    EXPECT_EQ(ui_.Failure(), "");
}

TEST_F(StartUp, FilesAreFoundBesideTheProgramFromAnyWorkingFolder)
{
    ASSERT_EQ(chdir(runtime_.c_str()), 0);
    Start(true);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), ProgramFolder());
    std::ifstream configuration(ProgramFolder() + "/default.xcfg");
    EXPECT_TRUE(configuration.good()) << "default.xcfg is written beside the program";
    EXPECT_FALSE(std::ifstream(runtime_ + "/default.xcfg").good());
}

TEST_F(StartUp, EmptyLanguageTableStartsWithEmptyTexts)
{
    const std::string empty = ProgramFolder() + "/Kestrovane.zz.stc";
    std::ofstream(empty, std::ios::binary).write("\0\0", 2);
    StoreLanguage(u"zz");
    std::u16string portLabel = u"(not read)";
    Start(true, &portLabel);
    EXPECT_EQ(portLabel, u"");
    std::remove(empty.c_str());
    EXPECT_EQ(ui_.Failure(), "");
}
