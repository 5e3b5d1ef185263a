#include "app/progress_dialog.h"

#include "app/resource_ids.h"
#include "platform/ui/headless_backend.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>

using namespace platform::ui;

namespace {

// The dialog, with every bar position that reaches it recorded.
class RecordingProgress : public CDlgProgress {
public:
    std::vector<int> barPositions;

protected:
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t lParam) override
    {
        if (message == PBM_SETPOS)
            barPositions.push_back(static_cast<int>(wParam));
        CDlgProgress::OnMessage(control, message, wParam, lParam);
    }
};

// A job as the download runs one: on its own thread it waits for the windows, counts up to
// `steps` or until cancelled, waits for `release` and finishes.
std::thread StartJob(CDlgProgress& dialog, int steps, const std::atomic<bool>& release)
{
    return std::thread([&dialog, steps, &release] {
        while (!IsWindow(dialog.BarWindow()) || !IsWindow(dialog.LabelWindow()))
            std::this_thread::yield();
        dialog.range = steps;
        Post(dialog.BarWindow(), PBM_SETRANGE32, 0, steps);
        for (int n = 1; n <= steps && !dialog.cancelRequested; ++n)
            dialog.SetPos(n);
        while (!release)
            std::this_thread::yield();
        dialog.Finish();
    });
}

}  // namespace

TEST(ProgressDialog, AJobUnderHalfASecondNeverShowsTheWindow)
{
    HeadlessBackend ui;
    RecordingProgress dialog;
    const std::atomic<bool> release{true};
    std::thread job = StartJob(dialog, 100, release);
    ui.AdvanceClock(499);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    job.join();
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_FALSE(dialog.visible);
    EXPECT_EQ(dialog.position, 100);
    EXPECT_TRUE(dialog.barPositions.empty());
}

TEST(ProgressDialog, BarIsToldOnlyWhenItsDrawnLengthChanges)
{
    HeadlessBackend ui;
    RecordingProgress dialog;
    ui.Call([&dialog](Dialog&) {
        // Hidden, 400 pixels for 1000 steps: 1 and 2 stay in column 0; 3 is kept to be shown.
        dialog.barWidth = 400;
        dialog.range = 1000;
        dialog.SetPos(1);
        dialog.SetPos(2);
        EXPECT_EQ(dialog.shownPosition, 0);
        EXPECT_EQ(dialog.position, 2);
        dialog.SetPos(3);
        EXPECT_EQ(dialog.shownPosition, 3);
    });
    ui.AdvanceClock(500);  // shown, the bar at 3
    ui.Call([&dialog](Dialog&) {
        dialog.SetPos(4);  // 1.6 pixels: no change from 1.2
        dialog.SetPos(5);
        // An empty range: every position is told.
        dialog.range = 0;
        dialog.SetPos(5);
        dialog.SetPos(5);
        dialog.Finish();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(dialog.barPositions, (std::vector<int>{3, 5, 5, 5}));
}

TEST(ProgressDialog, CancelOrEnterOnlyAsksTheJobToStop)
{
    for (const bool enter : {false, true}) {
        HeadlessBackend ui;
        CDlgProgress dialog;
        dialog.SetTexts(u"Descarga", u"Leyendo", enter ? u"Cancelando" : nullptr);
        std::atomic<bool> release{false};
        std::thread job = StartJob(dialog, INT_MAX, release);
        ui.AdvanceClock(500);
        if (enter)
            ui.PressEnter();
        else
            ui.Click(IDCANCEL);
        // A null cancelling text shows the message again.
        ui.Call([&](Dialog& shown) {
            EXPECT_FALSE(shown.GetDlgItem(IDCANCEL).IsWindowEnabled());
            EXPECT_EQ(shown.GetDlgItem(IDC_PROGRESS_MESSAGE).GetWindowText(), enter ? u"Cancelando" : u"Leyendo");
            release = true;
        });
        EXPECT_EQ(dialog.DoModal(), IDOK) << "ended by the job, not by the cancel";
        job.join();
        EXPECT_EQ(ui.Failure(), "");
        EXPECT_TRUE(dialog.cancelRequested);
    }
}
