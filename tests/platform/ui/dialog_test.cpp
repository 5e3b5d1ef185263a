#include "platform/ui/dialog.h"

#include "platform/ui/data_exchange.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace ui = platform::ui;

namespace {

constexpr unsigned kAboutCommand = 16;
constexpr unsigned kBarMessage = ui::WM_USER + 2;

const ui::DialogTemplate kForm{
    500, 200, 100, ui::kDialogNone, u"Form",
    {
        {ui::ControlKind::DefaultPushButton, 1010, 10, 80, 50, 14, ui::kStyleNone, u"Apply"},
        {ui::ControlKind::PushButton, ui::IDCANCEL, 70, 80, 50, 14, ui::kStyleNone, u"Cancel"},
        {ui::ControlKind::PushButton, 1011, 130, 80, 50, 14, ui::kStyleNone, u"Nested"},
        {ui::ControlKind::Edit, 1020, 10, 10, 60, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, nullptr},
        {ui::ControlKind::AutoCheckBox, 1030, 10, 30, 60, 10, ui::kStyleNone, u"Check"},
        {ui::ControlKind::DropDownList, 1040, 10, 50, 60, 40, ui::kStyleNone, nullptr},
        {ui::ControlKind::OwnerDrawn, 1089, 80, 10, 140, 13, ui::kStyleBorder, nullptr},
    }};

// Records what reaches it; Apply is OK, Nested runs another form above it.
class Form : public ui::Dialog {
public:
    Form() : Dialog(kForm) {}
    int number = 7, checked = 1, choice = 1, nestedResult = 0;
    std::vector<int> commands;
    std::vector<unsigned> menuCommands;
    std::vector<std::pair<unsigned, uint64_t>> timers;  // id, virtual time
    std::vector<uintptr_t> messages;
    int paints = 0;
    ui::HeadlessBackend* clock = nullptr;
    std::function<void(Form&)> onInit;
    std::function<void(Form&, unsigned)> onTimer;

protected:
    bool OnInitDialog() override
    {
        ui::DialogItem list = GetDlgItem(1040);
        list.AddString(u"50");
        list.AddString(u"60");
        AppendSystemMenuItem(u"&About...", kAboutCommand);
        Dialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return true;
    }
    void OnCommand(int id, int notification) override
    {
        commands.push_back(id);
        if (id == 1010)
            OnOK();
        else if (id == 1011)
            nestedResult = Form().DoModal();
        else
            Dialog::OnCommand(id, notification);
    }
    void OnSysCommand(unsigned id) override { menuCommands.push_back(id); }
    void DoDataExchange(ui::DataExchange& dx) override
    {
        ui::DDX_Text(dx, 1020, number);
        ui::DDX_Check(dx, 1030, checked);
        ui::DDX_CBIndex(dx, 1040, choice);
    }
    void OnTimer(unsigned id) override
    {
        timers.emplace_back(id, clock ? clock->Now() : 0);
        if (onTimer)
            onTimer(*this, id);
    }
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t) override
    {
        if (control != 1089 || message != kBarMessage)
            return;
        messages.push_back(wParam);
        GetDlgItem(1089).Invalidate();
        if (messages.size() == 3)
            EndDialog(ui::IDOK);
    }
    void OnDrawItem(int, ui::PixelBuffer& picture, const ui::TextPainter& text) override
    {
        // A bar as long as the last message says, with a glyph at its right end.
        ++paints;
        picture.FillRect(0, 0, messages.empty() ? 0 : static_cast<int>(messages.back()), picture.height, ui::Rgb{0, 0, 255});
        text.Draw(picture, picture.width - text.Measure(u"9").width, 0, u"9", ui::Rgb{255, 255, 255});
    }
};

}  // namespace

TEST(Dialog, KeysMenuAndDataExchangeThroughNestedLoops)
{
    ui::HeadlessBackend ui;
    Form outer;
    ui.Call([](ui::Dialog& d) {  // OnInitDialog's exchange filled the controls from the members
        EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"7");
        EXPECT_EQ(d.GetDlgItem(1030).GetCheck(), 1);
        EXPECT_EQ(d.GetDlgItem(1040).GetCurSel(), 1);
    });
    ui.Click(1011);      // opens a second form above the first
    ui.CloseWindow();    // closes the inner one only
    ui.PressEnter();     // on the focused button 1011, not the default one
    ui.PressEscape();    // closes the inner one only
    ui.ChooseSystemMenuItem(kAboutCommand);
    ui.Type(1020, u"1a2");  // typing keeps the digits only
    ui.Call([](ui::Dialog& d) { EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"12"); });
    ui.Paste(1020, u"12b");  // pasting bypasses the filter; Enter presses Apply, which refuses the text
    ui.PressEnter();
    ui.Call([&ui](ui::Dialog&) { EXPECT_TRUE(ui.FocusedControl() == 1020 && ui.FocusSelectedAll()); });
    ui.Paste(1020, u" -35 ");
    ui.Click(1030);
    ui.Select(1040, 0);
    ui.PressEnter();
    EXPECT_EQ(outer.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(outer.nestedResult, ui::IDCANCEL);
    EXPECT_EQ(outer.commands, (std::vector<int>{1011, 1011, 1010, 1030, 1040, 1010}));
    EXPECT_EQ(outer.menuCommands, (std::vector<unsigned>{kAboutCommand}));
    EXPECT_EQ(outer.number, -35);
    EXPECT_EQ(outer.checked, 0);
    EXPECT_EQ(outer.choice, 0);
}

TEST(Dialog, ScriptFaultsEndTheRunWithTheirReason)
{
    using Script = std::function<void(ui::HeadlessBackend&)>;
    auto disable = [](int id) { return [id](ui::Dialog& d) { d.GetDlgItem(id).EnableWindow(false); }; };
    const std::pair<Script, const char*> cases[] = {
        {[&](ui::HeadlessBackend& ui) {
             ui.Call(disable(1010));
             ui.Click(1010);
         },
         "click 1010 in dialog 500: the control is disabled"},
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
        Form dialog;
        script(ui);
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::kHeadlessRunFailed) << failure;
        EXPECT_NE(ui.Failure().find(failure), std::string::npos) << failure << ": " << ui.Failure();
    }
}

TEST(Dialog, ClosingTheWindowRunsOnDestroyAndReleasesTheCapture)
{
    struct Busy : Form {
        bool capturedInDestroy = false;
        void OnDestroy() override
        {
            capturedInDestroy = HasCapture();
            SetWaitCursor(false);
        }
    };
    ui::HeadlessBackend ui;
    Busy dialog;
    dialog.onInit = [](Form& d) {
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
    Form form;
    form.clock = &ui;
    form.onInit = [](Form& f) {
        f.SetTimer(76, 1000);
        f.SetTimer(5, 300);
    };
    form.onTimer = [](Form& f, unsigned id) {
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
    EXPECT_EQ(form.timers, (Fired{{5, 300}, {5, 600}, {5, 900}, {76, 1000}, {76, 2000}, {76, 3000}}));
}

TEST(HeadlessBackend, PostsFromAWorkerStopWhenTheWindowCloses)
{
    ui::HeadlessBackend ui;
    Form form;
    std::thread worker;
    ui::WindowRef bar;
    form.onInit = [&](Form& f) {
        bar = f.GetDlgItem(1089).GetWindowRef();
        worker = std::thread([bar] {
            for (uintptr_t n = 1; ui::Post(bar, kBarMessage, n, 0); ++n) {
            }
        });
    };
    // No script: the loop waits for the worker's posts, and the third ends it.
    EXPECT_EQ(form.DoModal(), ui::IDOK);
    worker.join();
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_FALSE(ui::IsWindow(bar) || ui::Post(bar, kBarMessage, 0, 0));
    EXPECT_EQ(form.messages, (std::vector<uintptr_t>{1, 2, 3})) << "in order, and none after the close";

    // Each handled message repainted the owner-drawn control, in pixels of its dialog units.
    EXPECT_EQ(form.paints, 3);
    const ui::PixelBuffer* picture = ui.Picture(1089);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 208) << "140 units, less the border";
    EXPECT_EQ(picture->height, 19);
    EXPECT_EQ(picture->Get(2, 10), (ui::Rgb{0, 0, 255})) << "3 pixels of bar";
    EXPECT_EQ(picture->Get(3, 10), (ui::Rgb{0, 0, 0}));
    EXPECT_EQ(picture->Get(205, 4), (ui::Rgb{255, 255, 255})) << "the text painter's glyph";

    // Posts still queued for the closed window are dropped by the next loop.
    Form next;
    ui.PressEscape();
    EXPECT_EQ(next.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(next.messages.empty());
}

TEST(HeadlessBackend, WorkerPostedCommandEndsANestedLoop)
{
    ui::HeadlessBackend ui;
    Form outer;
    std::thread worker;
    ui.Click(1011);
    ui.Call([&worker](ui::Dialog& inner) {
        const ui::WindowRef target = inner.GetWindowRef();
        worker = std::thread([target] { ui::Post(target, ui::WM_COMMAND, ui::MakeCommandParam(1010, ui::BN_CLICKED), 0); });
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
        Form form;
        std::u16string path = u"unchanged";
        std::vector<std::u16string> chosen;
        form.onInit = [&](Form& f) {
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
        Form outer;
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
