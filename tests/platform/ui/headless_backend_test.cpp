#include "platform/ui/headless_backend.h"

#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace ui = platform::ui;

namespace {

const ui::DialogTemplate kPanel{
    600, 160, 60, ui::kDialogNone, nullptr,
    {
        {ui::ControlKind::DefaultPushButton, ui::IDOK, 10, 40, 50, 14, ui::kStyleNone, u"OK"},
        {ui::ControlKind::PushButton, 1001, 70, 40, 50, 14, ui::kStyleNone, u"Inner"},
        {ui::ControlKind::OwnerDrawn, 1089, 10, 10, 140, 13, ui::kStyleBorder, nullptr},
    }};

// Records what reaches it; its button 1001 runs another panel above it.
class Panel : public ui::Dialog {
public:
    Panel() : Dialog(kPanel) {}
    std::vector<std::pair<unsigned, uint64_t>> timers;  // id, virtual time
    std::vector<uintptr_t> messages;
    std::vector<int> drawnControls;
    ui::HeadlessBackend* clock = nullptr;
    std::function<void(Panel&, unsigned)> onTimer;
    std::function<void(Panel&)> onInit;
    size_t endAfterMessages = 0;

protected:
    bool OnInitDialog() override
    {
        Dialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return true;
    }
    void OnCommand(int id, int notification) override
    {
        if (id == 1001)
            Panel().DoModal();
        else
            Dialog::OnCommand(id, notification);
    }
    void OnDrawItem(int control, ui::PixelBuffer& picture, const ui::TextPainter& text) override
    {
        // A bar as long as the last message says, with its number written over it.
        const int filled = messages.empty() ? 0 : static_cast<int>(messages.back());
        picture.FillRect(0, 0, filled, picture.height, ui::Rgb{0, 0, 255});
        const std::u16string label = messages.empty() ? u"0" : u"9";
        text.Draw(picture, picture.width - text.Measure(label).width, 0, label, ui::Rgb{255, 255, 255});
        drawnControls.push_back(control);
    }

    void OnTimer(unsigned id) override
    {
        timers.emplace_back(id, clock ? clock->Now() : 0);
        if (onTimer)
            onTimer(*this, id);
    }
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t) override
    {
        if (control == 1089 && message == ui::WM_USER + 2) {
            messages.push_back(wParam);
            GetDlgItem(1089).Invalidate();
        }
        if (messages.size() == endAfterMessages)
            EndDialog(ui::IDOK);
    }
};

}  // namespace

TEST(HeadlessBackend, TimersFireOnTheVirtualClockUntilKilledOrClosed)
{
    ui::HeadlessBackend ui;
    Panel panel;
    panel.clock = &ui;
    panel.onInit = [](Panel& p) {
        p.SetTimer(76, 1000);
        p.SetTimer(5, 300);
    };
    panel.onTimer = [](Panel& p, unsigned id) {
        if (id == 5 && p.timers.size() == 3)
            p.KillTimer(5);
    };
    ui.AdvanceClock(999);  // the 300 ms timer three times, then killed
    ui.Click(1001);        // a nested loop: the outer dialog's timers keep running
    ui.AdvanceClock(1001);
    ui.Call([](ui::Dialog& inner) { inner.SetTimer(9, 10); });
    ui.PressEscape();      // its timer dies with the inner window
    ui.AdvanceClock(1000);
    ui.Click(ui::IDOK);
    EXPECT_EQ(panel.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    using Fired = std::vector<std::pair<unsigned, uint64_t>>;
    EXPECT_EQ(panel.timers, (Fired{{5, 300}, {5, 600}, {5, 900}, {76, 1000}, {76, 2000}, {76, 3000}}));
    EXPECT_EQ(ui.Now(), 3000u);
}

TEST(HeadlessBackend, PostsFromAWorkerStopWhenTheWindowCloses)
{
    ui::HeadlessBackend ui;
    Panel panel;
    panel.endAfterMessages = 3;
    std::thread worker;
    ui::WindowRef bar;
    panel.onInit = [&](Panel& p) {
        bar = p.GetDlgItem(1089).GetWindowRef();
        worker = std::thread([bar] {
            // Posts until the window is gone.
            for (uintptr_t n = 1; ui::Post(bar, ui::WM_USER + 2, n, 0); ++n) {
            }
        });
    };
    // No script: the loop waits for the worker's posts.
    EXPECT_EQ(panel.DoModal(), ui::IDOK);
    worker.join();
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_FALSE(ui::IsWindow(bar));
    EXPECT_FALSE(ui::Post(bar, ui::WM_USER + 2, 0, 0));
    EXPECT_EQ(panel.messages, (std::vector<uintptr_t>{1, 2, 3})) << "in order, and none after the close";

    // Each handled message repainted the owner-drawn control, in pixels of its dialog units.
    EXPECT_EQ(panel.drawnControls, (std::vector<int>{1089, 1089, 1089}));
    const ui::PixelBuffer* picture = ui.Picture(1089);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 208) << "140 units, less the border";
    EXPECT_EQ(picture->height, 19);
    EXPECT_EQ(picture->Get(2, 10), (ui::Rgb{0, 0, 255}));
    EXPECT_EQ(picture->Get(3, 10), (ui::Rgb{0, 0, 0}));
    EXPECT_EQ(picture->Get(205, 4), (ui::Rgb{255, 255, 255})) << "the text painter's glyph";

    // Posts still queued for the closed window are dropped by the next loop.
    Panel next;
    ui.PressEscape();
    EXPECT_EQ(next.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(panel.messages.size(), 3u);
    EXPECT_TRUE(next.messages.empty());
}

TEST(HeadlessBackend, WorkerPostedCommandEndsANestedLoop)
{
    ui::HeadlessBackend ui;
    Panel outer;
    std::thread worker;
    ui.Click(1001);
    ui.Call([&worker](ui::Dialog& inner) {
        const ui::WindowRef target = inner.GetWindowRef();
        worker = std::thread([target] {
            ui::Post(target, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
        });
    });
    ui.WaitForPost();
    ui.Click(ui::IDOK);  // runs in the outer loop once the inner one has ended
    EXPECT_EQ(outer.DoModal(), ui::IDOK);
    worker.join();
    EXPECT_EQ(ui.Failure(), "");
}

TEST(HeadlessBackend, MessageBoxesNeedTheirAnswerAndAreRecorded)
{
    {  // answered boxes are recorded with the program's name as caption
        ui::HeadlessBackend ui;
        Panel panel;
        panel.onInit = [](Panel& p) {
            if (ui::MessageBox(u"Restore?", ui::MB_YESNO | ui::MB_ICONEXCLAMATION) == ui::IDYES)
                ui::MessageBox(u"Done", ui::MB_OK);
            p.EndDialog(ui::IDCANCEL);
        };
        ui.AnswerMessageBox(ui::IDYES);
        ui.AnswerMessageBox(ui::IDOK);
        EXPECT_EQ(panel.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(ui.Failure(), "");
        ASSERT_EQ(ui.MessageBoxes().size(), 2u);
        EXPECT_EQ(ui.MessageBoxes()[0].caption, u"platform_ui_headless_backend_test");
        EXPECT_EQ(ui.MessageBoxes()[0].type, ui::MB_YESNO | ui::MB_ICONEXCLAMATION);
        EXPECT_EQ(ui.MessageBoxes()[1].text, u"Done");
    }
    {  // an unexpected box ends every open run, the outer one too
        ui::HeadlessBackend ui;
        Panel outer;
        ui.Click(1001);
        ui.Call([](ui::Dialog&) { ui::MessageBox(u"Port not opened", ui::MB_OK); });
        ui.Click(ui::IDOK);
        EXPECT_EQ(outer.DoModal(), ui::kHeadlessRunFailed);
        EXPECT_EQ(ui.Failure(), "unexpected message box: Port not opened");
        ASSERT_EQ(ui.MessageBoxes().size(), 1u);
        EXPECT_EQ(ui.StepsLeft(), 1u);
    }
    {  // an answer the box does not offer
        ui::HeadlessBackend ui;
        ui.AnswerMessageBox(ui::IDYES);
        EXPECT_EQ(ui::MessageBox(u"Saved", ui::MB_OK), ui::IDOK);
        EXPECT_NE(ui.Failure().find("has no button 6"), std::string::npos) << ui.Failure();
    }
}

TEST(HeadlessBackend, ScriptRunningDryFailsInsteadOfHanging)
{
    ui::HeadlessBackend ui;
    ui.SetPostWaitLimit(std::chrono::milliseconds(50));
    Panel outer;
    ui.Click(1001);
    EXPECT_EQ(outer.DoModal(), ui::kHeadlessRunFailed);
    EXPECT_EQ(ui.Failure(), "the script ran out while dialog 600 waited for input");
}

TEST(HeadlessBackend, FolderBrowserTakesItsAnswerFromTheScript)
{
    ui::HeadlessBackend ui;
    Panel panel;
    std::vector<std::u16string> chosen;
    panel.onInit = [&chosen](Panel& p) {
        std::u16string path = u"unchanged";
        if (!ui::BrowseForFolder(p, u"Folder", path))
            chosen.push_back(u"cancelled:" + path);
        if (ui::BrowseForFolder(p, u"Folder", path))
            chosen.push_back(path);
        p.EndDialog(ui::IDOK);
    };
    ui.CancelFolderBrowser();
    ui.ChooseFolder(u"/home/tech");
    EXPECT_EQ(panel.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(chosen, (std::vector<std::u16string>{u"cancelled:unchanged", u"/home/tech"}));
    EXPECT_EQ(ui.FolderBrowserTitles().size(), 2u);
}
