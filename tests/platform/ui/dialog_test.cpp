#include "platform/ui/headless_backend.h"
#include "platform/ui/message_box.h"
#include "tests/platform/ui/test_dialog.h"

#include <gtest/gtest.h>

using test_dialog::TestDialog;
namespace ui = platform::ui;

TEST(Dialog, KeysMenuAndDataExchangeThroughNestedLoops)
{
    ui::HeadlessBackend ui;
    TestDialog outer;
    // OnInitDialog's exchange filled the controls from the members.
    ui.Call([](ui::Dialog& d) { EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"230"); });
    ui.Click(1011);      // opens a second form above the first
    ui.CloseWindow();    // closes the inner one only
    ui.PressEnter();     // on the focused button 1011, not the default one
    ui.PressEscape();    // closes the inner one only
    ui.ChooseSystemMenuItem(test_dialog::kAboutCommand);
    ui.Type(1020, u"1a2");  // typing keeps the digits only
    ui.Call([](ui::Dialog& d) { EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"12"); });
    ui.Paste(1020, u"12b");  // pasting bypasses the filter; Enter presses OK, which refuses the text
    ui.PressEnter();
    ui.Call([&ui](ui::Dialog&) { EXPECT_TRUE(ui.FocusedControl() == 1020 && ui.FocusSelectedAll()); });
    ui.Paste(1020, u" -35 ");
    ui.Click(1030);
    ui.Select(1040, 0);
    ui.PressEnter();
    EXPECT_EQ(outer.DoModal(), ui::IDOK) << ui.Failure();
    EXPECT_EQ(outer.nestedResult, ui::IDCANCEL);
    EXPECT_EQ(outer.commands, (std::vector<int>{1011, 1011, ui::IDOK, 1030, 1040, ui::IDOK}));
    EXPECT_EQ(outer.menuCommands, (std::vector<unsigned>{test_dialog::kAboutCommand}));
    EXPECT_EQ(std::tuple(outer.number, outer.checked, outer.choice), std::tuple(-35, 1, 0));
    EXPECT_FALSE(outer.HasWindow());
}

TEST(Dialog, ScriptFaultsEndTheRunWithTheirReason)
{
    auto disable = [](int id) { return [id](ui::Dialog& d) { d.GetDlgItem(id).EnableWindow(false); }; };
    auto box = [](const char16_t* text) {
        return [text](ui::Dialog&) { EXPECT_EQ(ui::MessageBox(text, ui::MB_OK), ui::IDOK) << "the box refused"; };
    };
    // Each script, its failure, and the steps it leaves unrun: the closing Esc, unless that failed.
    const std::tuple<std::function<void(ui::HeadlessBackend&)>, const char*, size_t> cases[] = {
        {[&](auto& ui) { ui.Call(disable(ui::IDOK)), ui.Click(ui::IDOK); },
         "click 1 in dialog 500: the control is disabled", 1},
        {[&](auto& ui) { ui.Call(disable(ui::IDCANCEL)); }, "the Cancel button is disabled", 0},
        {[](auto& ui) { ui.Call([](ui::Dialog& d) { d.GetDlgItem(1020).ShowWindow(false); }), ui.Type(1020, u"1"); },
         "the control is not visible", 1},
        {[](auto& ui) { ui.Call([](ui::Dialog& d) { d.ShowWindow(false); }); }, "which is not visible", 0},
        {[](auto& ui) { ui.Click(4242); }, "no such control", 1},
        {[](auto& ui) { ui.Call([](ui::Dialog& d) { d.GetDlgItem(4242).SetWindowText(u"x"); }); },
         "has no window with control 4242", 1},
        {[](auto& ui) { ui.AnswerMessageBox(ui::IDOK); }, "a message box answer came", 1},
        {[](auto& ui) { ui.SetPostWaitLimit(std::chrono::milliseconds(50)), ui.WaitForPost(); }, "was posted", 1},
        // An unexpected box ends every open run, the outer one too.
        {[&](auto& ui) { ui.Click(1011), ui.Call(box(u"Port")); }, "unexpected message box: Port", 1},
        {[&](auto& ui) { ui.Call(box(u"Saved")), ui.AnswerMessageBox(ui::IDYES); }, "\"Saved\" has no button 6", 1},
        // The inner form takes the Esc; then the outer one waits for input nobody gives.
        {[](auto& ui) { ui.SetPostWaitLimit(std::chrono::milliseconds(50)), ui.Click(1011); },
         "the script ran out while dialog 500 waited for input", 0},
    };
    for (const auto& [script, failure, stepsLeft] : cases) {
        ui::HeadlessBackend ui;
        TestDialog dialog;
        script(ui);
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::kHeadlessRunFailed) << failure;
        EXPECT_NE(ui.Failure().find(failure), std::string::npos) << failure << ": " << ui.Failure();
        EXPECT_EQ(ui.StepsLeft(), stepsLeft) << failure;
    }
}

TEST(HeadlessBackend, TimersFireOnTheVirtualClockUntilKilledOrClosed)
{
    ui::HeadlessBackend ui;
    TestDialog form;
    std::vector<std::pair<unsigned, uint64_t>> fired;
    form.onInit = [](TestDialog& f) { f.SetTimer(76, 1000), f.SetTimer(5, 300); };
    form.onTimer = [&](TestDialog& f, unsigned id) {
        fired.emplace_back(id, ui.Now());
        if (id == 5 && f.timers.size() == 3)
            f.KillTimer(5);
    };
    ui.AdvanceClock(999);  // the 300 ms timer three times, then killed
    ui.Click(1011);        // a nested loop: the outer dialog's timers keep running
    ui.AdvanceClock(1001);
    ui.Call([](ui::Dialog& inner) {  // its timer dies with the inner window, which a worker's OK ends
        inner.SetTimer(9, 10);
        static_cast<TestDialog&>(inner).worker = std::thread([target = inner.GetWindowRef()] {
            ui::Post(target, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
        });
    });
    ui.WaitForPost();
    ui.AdvanceClock(1000);  // in the outer loop once the inner one has ended
    ui.PressEscape();
    EXPECT_EQ(form.DoModal(), ui::IDCANCEL) << ui.Failure();
    EXPECT_EQ(form.nestedResult, ui::IDOK);
    EXPECT_EQ(fired, (decltype(fired){{5, 300}, {5, 600}, {5, 900}, {76, 1000}, {76, 2000}, {76, 3000}}));
}

TEST(HeadlessBackend, PostsFromAWorkerStopWhenTheWindowCloses)
{
    ui::HeadlessBackend ui;
    TestDialog form;
    ui::WindowRef bar;
    form.onInit = [&](TestDialog& f) {
        bar = f.GetDlgItem(1089).GetWindowRef();
        f.worker = std::thread([bar] {
            for (uintptr_t n = 1; ui::Post(bar, test_dialog::kBarMessage, n, 0); ++n) {}
        });
    };
    // No script: the loop waits for the worker's posts, and the third ends it.
    EXPECT_EQ(form.DoModal(), ui::IDOK) << ui.Failure();
    EXPECT_FALSE(ui::IsWindow(bar) || ui::Post(bar, test_dialog::kBarMessage, 0, 0));
    EXPECT_EQ(form.messages, (std::vector<uintptr_t>{1, 2, 3})) << "in order, and none after the close";

    // The last message repainted the owner-drawn control, in pixels of its dialog units.
    const ui::PixelBuffer* picture = ui.Picture(1089);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(std::pair(picture->width, picture->height), std::pair(208, 19)) << "140 x 13 units, less the border";
    EXPECT_EQ(picture->Get(2, 10), (ui::Rgb{0, 120, 215})) << "3 pixels of bar";
    EXPECT_EQ(picture->Get(3, 10), (ui::Rgb{240, 240, 240}));
    EXPECT_EQ(picture->Get(93, 8), (ui::Rgb{0, 0, 0})) << "the text painter's glyph, centred";

    // Posts still queued for the closed window are dropped by the next loop.
    TestDialog next;
    ui.PressEscape();
    EXPECT_EQ(next.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(next.messages.empty());
}

TEST(HeadlessBackend, MessageBoxesAndFolderBrowsersNeedTheirAnswer)
{
    // Answered boxes are recorded with the program's name as caption; a cancelled browser keeps the path.
    ui::HeadlessBackend ui;
    TestDialog form;
    std::u16string path = u"unchanged";
    form.onInit = [&](TestDialog& f) {
        if (ui::MessageBox(u"Restore?", ui::MB_YESNO | ui::MB_ICONEXCLAMATION) == ui::IDYES)
            ui::MessageBox(u"Done", ui::MB_OK);
        EXPECT_TRUE(!ui::BrowseForFolder(f, u"Folder", path) && path == u"unchanged");
        EXPECT_TRUE(ui::BrowseForFolder(f, u"Folder", path) && path == u"/home/tech");
        f.EndDialog(ui::IDCANCEL);
    };
    ui.AnswerMessageBox(ui::IDYES);
    ui.AnswerMessageBox(ui::IDOK);
    ui.CancelFolderBrowser();
    ui.ChooseFolder(u"/home/tech");
    EXPECT_EQ(form.DoModal(), ui::IDCANCEL) << ui.Failure();
    ASSERT_EQ(ui.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui.MessageBoxes()[0].caption, u"platform_ui_dialog_test");
    EXPECT_EQ(ui.MessageBoxes()[0].type, ui::MB_YESNO | ui::MB_ICONEXCLAMATION);
    EXPECT_EQ(ui.MessageBoxes()[1].text, u"Done");
}
