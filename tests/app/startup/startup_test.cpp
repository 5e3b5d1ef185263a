#include "app/kestrovane_app.h"

#include "app/load_language.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "foundation/string_table_file.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "platform/single_instance.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::ui;

namespace {

const char16_t kLanguageFailure[] = u"Unable to load specific language libraries. Program will exit.";

std::u16string FileText(const char* code, uint16_t id, const std::string& folder = platform::ExecutableFolder())
{
    XCStringTableFile table;
    XCStringW text;
    table.Load((folder + "Kestrovane." + code + ".stc").c_str());
    table.GetString(text, id);
    return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength()));
}

// Each start has its own settings store, ports, working folder and user language, in this test's
// own program folder; the instance lock is the user's, shared with the real-window runs.
class StartUp : public testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "fr_FR.UTF-8", 1);
        std::remove((platform::ExecutableFolder() + "default.xcfg").c_str());
        // Files beside the program are found from any working folder.
        ASSERT_EQ(chdir(ports_.ConfigHome().c_str()), 0);
    }

    void StoreLanguage(platform::SettingType type, const std::vector<uint8_t>& data)
    {
        platform::SettingsKey key;
        ASSERT_TRUE(key.Create(kSettingsKeyPath));
        ASSERT_TRUE(key.SetValue("Language", type, data));
    }
    static std::u16string StoredLanguage()
    {
        std::u16string code = u"(none)";
        platform::SettingsKey key;
        if (key.Open(kSettingsKeyPath))
            key.QueryString("Language", 32, code);
        return code;
    }
    // Starts the program; the main window, when expected, is closed at once. Returns the
    // window's port label, or the last message box's text.
    std::u16string Start(bool windowExpected)
    {
        std::u16string seen = u"(nothing)";
        if (windowExpected) {
            ui_.Call([&seen](Dialog& dialog) { seen = dialog.GetDlgItem(IDC_PORT_LABEL).GetWindowText(); });
            ui_.CloseWindow();
        } else {
            ui_.AnswerMessageBox(IDOK);
        }
        EXPECT_FALSE(CKestrovaneApp().InitInstance());
        EXPECT_EQ(ui_.StepsLeft(), 0u);
        EXPECT_EQ(ui_.Failure(), "");
        return windowExpected || ui_.MessageBoxes().empty() ? seen : ui_.MessageBoxes().back().text;
    }

    TemporaryPortsFolder ports_;
    HeadlessBackend ui_;
};

}  // namespace

TEST_F(StartUp, LanguageIsTheStoredOneElseDerivedFromTheUser)
{
    // No key, a French user: English, stored.
    EXPECT_EQ(Start(true), FileText("en", kTextPort));
    EXPECT_EQ(StoredLanguage(), u"en");
    EXPECT_TRUE(std::ifstream(platform::ExecutableFolder() + "default.xcfg").good());
    EXPECT_FALSE(std::ifstream(ports_.ConfigHome() + "/default.xcfg").good());
    // A stored code is used as it stands, whatever the user's language.
    StoreLanguage(platform::SettingType::String, {'e', 0, 's', 0, 0, 0});
    EXPECT_EQ(Start(true), FileText("es", kTextPort));
    // A stored code without its file: the fixed text, and the code stays.
    StoreLanguage(platform::SettingType::String, {'d', 0, 'e', 0, 0, 0});
    EXPECT_EQ(Start(false), kLanguageFailure);
    EXPECT_EQ(StoredLanguage(), u"de");
    // A Spanish user of any country gets Spanish over a stored code too long to count...
    setenv("LANG", "es_AR.UTF-8", 1);
    StoreLanguage(platform::SettingType::String, std::vector<uint8_t>(66, 'e'));
    EXPECT_EQ(Start(true), FileText("es", kTextPort));
    EXPECT_EQ(StoredLanguage(), u"es");
    // ...and over a value of another type.
    StoreLanguage(platform::SettingType::Dword, {0x0A, 0, 0, 0});
    Start(true);
    EXPECT_EQ(StoredLanguage(), u"es");
    // An empty language table starts too, with empty texts.
    const std::string empty = platform::ExecutableFolder() + "Kestrovane.zz.stc";
    std::ofstream(empty, std::ios::binary).write("\0\0", 2);
    StoreLanguage(platform::SettingType::String, {'z', 0, 'z', 0, 0, 0});
    EXPECT_EQ(Start(true), u"");
    std::remove(empty.c_str());
}

TEST_F(StartUp, StartsFromAFolderWhoseNameIsNotUtf8)
{
    const char kRunningAsCopy[] = "KESTROVANE_STARTUP_COPY";
    if (getenv(kRunningAsCopy)) {
        const std::u16string shown = Start(true);
        // The start has made the copy's own folder the current one.
        EXPECT_EQ(shown, FileText("en", kTextPort, ""));
        return;
    }
    // A Latin-1 name, as an archive made elsewhere unpacks it: this test runs again from a copy there.
    const std::string folder = ports_.ConfigHome() + "/Medici\xF3n";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    namespace fs = std::filesystem;
    fs::copy_file(platform::ExecutablePath(), folder + "/app_startup_test");
    for (const char* code : {"en", "es"}) {
        const std::string name = std::string("Kestrovane.") + code + ".stc";
        fs::copy_file(platform::ExecutableFolder() + name, folder + "/" + name);
    }
    const pid_t copy = fork();
    if (copy == 0) {
        setenv(kRunningAsCopy, "1", 1);
        const std::string program = folder + "/app_startup_test";
        execl(program.c_str(), program.c_str(), "--gtest_filter=StartUp.StartsFromAFolderWhoseNameIsNotUtf8",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(copy, &status, 0), copy);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_TRUE(std::ifstream(folder + "/default.xcfg").good());
}

TEST_F(StartUp, SettingsThatCannotBeStoredEndTheStart)
{
    std::ofstream(ports_.ConfigHome() + "/file") << "x";
    setenv("XDG_CONFIG_HOME", (ports_.ConfigHome() + "/file/config").c_str(), 1);
    ui_.AnswerMessageBox(IDOK);
    EXPECT_EQ(Start(false), kLanguageFailure);
    ASSERT_EQ(ui_.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, FileText("en", kTextSettingsKeyNotCreated));
}

TEST_F(StartUp, SecondInstanceIsRefusedButAKilledOneDoesNotBlock)
{
    platform::SingleInstanceGuard running;
    ASSERT_EQ(running.Acquire("Kestrovane 1.0 Semaphore"), platform::SingleInstanceGuard::Outcome::Acquired);
    EXPECT_EQ(Start(false), FileText("en", kTextAnotherInstance));
    running.Release();

    // A first instance killed while it held the name.
    if (fork() == 0) {
        platform::SingleInstanceGuard guard;
        guard.Acquire("Kestrovane 1.0 Semaphore");
        raise(SIGKILL);
    }
    wait(nullptr);
    Start(true);
}
