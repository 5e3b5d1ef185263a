#pragma once
#include "app/download_dialog.h"
#include "app/main_dialog.h"
#include "app/res/program_resources.h"
#include "app/resource_ids.h"
#include "foundation/string_table_file.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>
#include <unistd.h>

// What a running dialog shows.
struct Screen {
    std::u16string title;
    std::map<int, std::u16string> text;
    std::map<int, bool> enabled;
    int selection = -2;

    static Screen Of(platform::ui::Dialog& dialog, int listId = 0)
    {
        Screen screen;
        screen.title = dialog.GetWindowText();
        for (const platform::ui::ControlTemplate& control : dialog.Layout().controls) {
            screen.text[control.id] = dialog.GetDlgItem(control.id).GetWindowText();
            screen.enabled[control.id] = dialog.GetDlgItem(control.id).IsWindowEnabled();
        }
        if (listId)
            screen.selection = dialog.GetDlgItem(listId).GetCurSel();
        return screen;
    }
    // The status line and whether the two buttons that need a read-out are on.
    std::tuple<std::u16string, bool, bool> Status() { return {text[IDC_STATUS], enabled[IDC_PARAMETERS], enabled[IDC_DOWNLOAD]}; }
};

// A dialog test: its own current directory (where default.xcfg lives) and ports folder, the
// English texts and the headless user interface.
class AppTestFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTemporaryFolder("kestrovane-app-");
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        ASSERT_TRUE(g_StringTable.Load(KESTROVANE_PROGRAM_DIR "/Kestrovane.en.stc"));
        RegisterProgramResources();
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir("/"), 0);
        RemoveTree(folder_);
    }
    void WriteFile(const std::string& name, const std::string& content)
    {
        std::ofstream(folder_ + "/" + name, std::ios::binary) << content;
    }
    std::string ReadFile(const std::string& name)
    {
        std::ifstream file(folder_ + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    // The name a download gives today's CSV file of `kind` ("logs" or "events"), and its lines.
    static std::string CsvName(const char* kind)
    {
        const time_t now = time(nullptr);
        tm local;
        char date[16];
        strftime(date, sizeof date, "%d%m%Y", localtime_r(&now, &local));
        return std::string(kind) + "_" + date + ".csv";
    }
    long CsvLines(const char* kind)
    {
        const std::string text = ReadFile(CsvName(kind));
        return std::count(text.begin(), text.end(), '\n');
    }
    // Chooses `folder` (the test's own by default) in the download dialog and starts with OK.
    void StartDownload(const std::u16string& folder = u"")
    {
        ui_.Click(IDC_DOWNLOAD_BROWSE);
        ui_.ChooseFolder(folder.empty() ? std::u16string(folder_.begin(), folder_.end()) : folder);
        ui_.Click(platform::ui::IDOK);
    }
    // A download from COM3, of the events alone unless `logs`, that ends with a message; the text shown.
    std::u16string RunDownload(bool logs = true, const std::u16string& folder = u"")
    {
        if (!logs)
            ui_.Click(IDC_DOWNLOAD_LOGS);
        StartDownload(folder);
        ui_.WaitForEnd();
        ui_.AnswerMessageBox(platform::ui::IDOK);
        EXPECT_EQ(KestrovaneDownloadDlg(3).DoModal(), platform::ui::IDOK);
        EXPECT_EQ(ui_.Failure(), "");
        return LastMessage();
    }
    static std::u16string Text(uint16_t id)
    {
        XCStringW text;
        g_StringTable.GetString(text, id);
        return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength()));
    }
    void Capture(Screen& screen) { ui_.Call([&screen](platform::ui::Dialog& dialog) { screen = Screen::Of(dialog, IDC_PORT); }); }
    std::u16string LastMessage() const { return ui_.MessageBoxes().empty() ? u"" : ui_.MessageBoxes().back().text; }
    // A recorder on COM3, and a configuration that selects it.
    void StartRecorder(const std::vector<std::string>& arguments)
    {
        recorder_ = std::make_unique<SimulatedRecorder>(arguments, ports_.LinkPath(3));
        ASSERT_TRUE(recorder_->IsReady());
        WriteFile("default.xcfg", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><config><port>3</port></config>");
    }
    // The main window until the steps queued for it have run; what it showed after them.
    Screen RunMainWindow()
    {
        Screen screen;
        Capture(screen);
        ui_.CloseWindow();
        CKestrovaneDlg().DoModal();
        EXPECT_EQ(ui_.Failure(), "");
        return screen;
    }

    TemporaryPortsFolder ports_;
    platform::ui::HeadlessBackend ui_;
    std::string folder_;
    std::unique_ptr<SimulatedRecorder> recorder_;
};
