#pragma once
#include "app/res/program_resources.h"
#include "foundation/string_table_file.h"
#include "platform/ui/headless_backend.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

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
        std::stringstream text;
        text << std::ifstream(folder_ + "/" + name, std::ios::binary).rdbuf();
        return text.str();
    }
    // The name a download gives today's CSV file of `kind` ("logs" or "events").
    static std::string CsvName(const char* kind)
    {
        const time_t now = time(nullptr);
        tm local;
        localtime_r(&now, &local);
        char name[64];
        std::snprintf(name, sizeof name, "%s_%02d%02d%04d.csv", kind, local.tm_mday, local.tm_mon + 1,
                      local.tm_year + 1900);
        return name;
    }
    static std::u16string Text(uint16_t id)
    {
        XCStringW text;
        g_StringTable.GetString(text, id);
        return std::u16string(text.GetData(), static_cast<size_t>(text.GetLength()));
    }

    TemporaryPortsFolder ports_;
    platform::ui::HeadlessBackend ui_;
    std::string folder_;
};

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
};
