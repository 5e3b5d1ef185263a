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
    ui.Call([](ui::Dialog& d) {  // OnInitDialog's exchange filled the controls from the members
        EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"230");
        EXPECT_EQ(d.GetDlgItem(1030).GetCheck(), 0);
        EXPECT_EQ(d.GetDlgItem(1040).GetCurSel(), -1);
    });
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
    EXPECT_EQ(outer.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(outer.nestedResult, ui::IDCANCEL);
    EXPECT_EQ(outer.commands, (std::vector<int>{1011, 1011, ui::IDOK, 1030, 1040, ui::IDOK}));
    EXPECT_EQ(outer.menuCommands, (std::vector<unsigned>{test_dialog::kAboutCommand}));
    EXPECT_EQ(outer.number, -35);
    EXPECT_EQ(outer.checked, 1);
    EXPECT_EQ(outer.choice, 0);
}

TEST(Dialog, ScriptFaultsEndTheRunWithTheirReason)
{
    using Script = std::function<void(ui::HeadlessBackend&)>;
    auto disable = [](int id) { return [id](ui::Dialog& d) { d.GetDlgItem(id).EnableWindow(false); }; };
    const std::pair<Script, const char*> cases[] = {
        {[&](ui::HeadlessBackend& ui) {
             ui.Call(disable(ui::IDOK));
             ui.Click(ui::IDOK);
         },
         "click 1 in dialog 500: the control is disabled"},
        {[&](ui::HeadlessBackend& ui) { ui.Call(disable(ui::IDCANCEL)); }, "the Cancel button is disabled"},
        {[](ui::HeadlessBackend& ui) {
             ui.Call([](ui::Dialog& d) { d.GetDlgItem(1020).ShowWindow(false); });
             ui.Type(1020, u"1");
         },
         "the control is not visible"},
        {[](ui::HeadlessBackend& ui) { ui.Call([](ui::Dialog& d) { d.ShowWindow(false); }); }, "which is not visible"},
        {[](ui::HeadlessBackend& ui) { ui.Click(4242); }, "no such control"},
        {[](ui::HeadlessBackend& ui) { ui.Call([](ui::Dialog& d) { d.GetDlgItem(4242).SetWindowText(u"x"); }); },
         "has no window with control 4242"},
        {[](ui::HeadlessBackend& ui) { ui.AnswerMessageBox(ui::IDOK); }, "a message box answer came"},
        {[](ui::HeadlessBackend& ui) {  // the outer form waits for input nobody gives
             ui.SetPostWaitLimit(std::chrono::milliseconds(50));
             ui.Click(1011);
         },
         "the script ran out while dialog 500 waited for input"},
    };
    for (const auto& [script, failure] : cases) {
        ui::HeadlessBackend ui;
        TestDialog dialog;
        script(ui);
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::kHeadlessRunFailed) << failure;
        EXPECT_NE(ui.Failure().find(failure), std::string::npos) << failure << ": " << ui.Failure();
    }
}

TEST(Dialog, ClosingTheWindowRunsOnDestroyAndReleasesTheCapture)
{
    struct Busy : TestDialog {
        bool capturedInDestroy = false;
        void OnDestroy() override
        {
            capturedInDestroy = HasCapture();
            SetWaitCursor(false);
        }
    };
    ui::HeadlessBackend ui;
    Busy dialog;
    dialog.onInit = [](TestDialog& d) {
        d.SetCapture();
        d.SetWaitCursor(true);
    };
    ui.Call([&ui](ui::Dialog& d) { EXPECT_TRUE(d.HasCapture() && ui.WaitCursorShown()); });
    ui.PressEscape();
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(dialog.capturedInDestroy) << "OnDestroy may release it itself";
    EXPECT_FALSE(dialog.HasCapture() || ui.WaitCursorShown() || dialog.HasWindow());
}

TEST(HeadlessBackend, TimersFireOnTheVirtualClockUntilKilledOrClosed)
{
    ui::HeadlessBackend ui;
    TestDialog form;
    std::vector<std::pair<unsigned, uint64_t>> fired;
    form.onInit = [](TestDialog& f) {
        f.SetTimer(76, 1000);
        f.SetTimer(5, 300);
    };
    form.onTimer = [&](TestDialog& f, unsigned id) {
        fired.emplace_back(id, ui.Now());
        if (id == 5 && f.timers.size() == 3)
            f.KillTimer(5);
    };
    ui.AdvanceClock(999);  // the 300 ms timer three times, then killed
    ui.Click(1011);        // a nested loop: the outer dialog's timers keep running
    ui.AdvanceClock(1001);
    ui.Call([](ui::Dialog& inner) { inner.SetTimer(9, 10); });
    ui.PressEscape();      // its timer dies with the inner window
    ui.AdvanceClock(1000);
    ui.PressEscape();
    EXPECT_EQ(form.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(ui.Failure(), "");
    using Fired = std::vector<std::pair<unsigned, uint64_t>>;
    EXPECT_EQ(fired, (Fired{{5, 300}, {5, 600}, {5, 900}, {76, 1000}, {76, 2000}, {76, 3000}}));
}

TEST(HeadlessBackend, PostsFromAWorkerStopWhenTheWindowCloses)
{
    ui::HeadlessBackend ui;
    TestDialog form;
    ui::WindowRef bar;
    form.onInit = [&](TestDialog& f) {
        bar = f.GetDlgItem(1089).GetWindowRef();
        f.worker = std::thread([bar] {
            for (uintptr_t n = 1; ui::Post(bar, test_dialog::kBarMessage, n, 0); ++n) {
            }
        });
    };
    // No script: the loop waits for the worker's posts, and the third ends it.
    EXPECT_EQ(form.DoModal(), ui::IDOK);
    form.worker.join();
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_FALSE(ui::IsWindow(bar) || ui::Post(bar, test_dialog::kBarMessage, 0, 0));
    EXPECT_EQ(form.messages, (std::vector<uintptr_t>{1, 2, 3})) << "in order, and none after the close";

    // Each handled message repainted the owner-drawn control, in pixels of its dialog units.
    EXPECT_EQ(form.paints, 3);
    const ui::PixelBuffer* picture = ui.Picture(1089);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 208) << "140 units, less the border";
    EXPECT_EQ(picture->height, 19);
    EXPECT_EQ(picture->Get(2, 10), (ui::Rgb{0, 120, 215})) << "3 pixels of bar";
    EXPECT_EQ(picture->Get(3, 10), (ui::Rgb{240, 240, 240}));
    EXPECT_EQ(picture->Get(93, 8), (ui::Rgb{0, 0, 0})) << "the text painter's glyph, centred";

    // Posts still queued for the closed window are dropped by the next loop.
    TestDialog next;
    ui.PressEscape();
    EXPECT_EQ(next.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(next.messages.empty());
}

TEST(HeadlessBackend, WorkerPostedCommandEndsANestedLoop)
{
    ui::HeadlessBackend ui;
    TestDialog outer;
    std::thread worker;
    ui.Click(1011);
    ui.Call([&worker](ui::Dialog& inner) {
        const ui::WindowRef target = inner.GetWindowRef();
        worker = std::thread([target] { ui::Post(target, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0); });
    });
    ui.WaitForPost();
    ui.PressEscape();  // runs in the outer loop once the inner one has ended
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    worker.join();
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(outer.nestedResult, ui::IDOK);
}

TEST(HeadlessBackend, MessageBoxesAndFolderBrowsersNeedTheirAnswer)
{
    {  // answered boxes are recorded with the program's name as caption; a cancelled browser keeps the path
        ui::HeadlessBackend ui;
        TestDialog form;
        std::u16string path = u"unchanged";
        std::vector<std::u16string> chosen;
        form.onInit = [&](TestDialog& f) {
            if (ui::MessageBox(u"Restore?", ui::MB_YESNO | ui::MB_ICONEXCLAMATION) == ui::IDYES)
                ui::MessageBox(u"Done", ui::MB_OK);
            chosen.push_back(ui::BrowseForFolder(f, u"Folder", path) ? u"chosen" : path);
            chosen.push_back(ui::BrowseForFolder(f, u"Folder", path) ? path : u"cancelled");
            f.EndDialog(ui::IDCANCEL);
        };
        ui.AnswerMessageBox(ui::IDYES);
        ui.AnswerMessageBox(ui::IDOK);
        ui.CancelFolderBrowser();
        ui.ChooseFolder(u"/home/tech");
        EXPECT_EQ(form.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(ui.Failure(), "");
        ASSERT_EQ(ui.MessageBoxes().size(), 2u);
        EXPECT_EQ(ui.MessageBoxes()[0].caption, u"platform_ui_dialog_test");
        EXPECT_EQ(ui.MessageBoxes()[0].type, ui::MB_YESNO | ui::MB_ICONEXCLAMATION);
        EXPECT_EQ(ui.MessageBoxes()[1].text, u"Done");
        EXPECT_EQ(chosen, (std::vector<std::u16string>{u"unchanged", u"/home/tech"}));
    }
    {  // an unexpected box ends every open run, the outer one too
        ui::HeadlessBackend ui;
        TestDialog outer;
        ui.Click(1011);
        ui.Call([](ui::Dialog&) { ui::MessageBox(u"Port not opened", ui::MB_OK); });
        ui.PressEscape();
        EXPECT_EQ(outer.DoModal(), ui::kHeadlessRunFailed);
        EXPECT_EQ(ui.Failure(), "unexpected message box: Port not opened");
        EXPECT_EQ(ui.StepsLeft(), 1u);
    }
    {  // an answer the box does not offer
        ui::HeadlessBackend ui;
        ui.AnswerMessageBox(ui::IDYES);
        EXPECT_EQ(ui::MessageBox(u"Saved", ui::MB_OK), ui::IDOK);
        EXPECT_NE(ui.Failure().find("has no button 6"), std::string::npos) << ui.Failure();
    }
}
