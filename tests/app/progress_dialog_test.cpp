#include "app/progress_dialog.h"

#include "app/resource_ids.h"
#include "platform/ui/headless_backend.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform::ui;

// The dialog, with every position that reaches its bar recorded.
struct RecordingProgress : CDlgProgress {
    std::vector<int> barPositions;
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t lParam) override
    {
        if (message == PBM_SETPOS) barPositions.push_back(static_cast<int>(wParam));
        CDlgProgress::OnMessage(control, message, wParam, lParam);
    }
};

TEST(ProgressDialog, HiddenForHalfASecondTellsTheBarOfNewColumnsOnlyAndEnterAsksTheJobToStop)
{
    HeadlessBackend ui;
    RecordingProgress dialog;
    dialog.SetTexts(u"Descarga", u"Leyendo", nullptr);
    // Still hidden after 499 ms. 400 pixels for 1000 steps: 1 and 2 keep the bar in column 0, 3 is
    // kept for the timer to show.
    ui.AdvanceClock(499);
    ui.Call([&dialog](Dialog& hidden) {
        EXPECT_FALSE(hidden.IsWindowVisible());
        dialog.barWidth = 400;
        dialog.range = 1000;
        for (int n : {1, 2, 3}) dialog.SetPos(n);
    });
    // Shown, the job goes on on a thread of its own, as the download does, from the cancel request
    // it polls to `release` (once the run has ended at the latest): 4 (1.6 pixels) changes
    // nothing, 5 does; an empty range tells every position.
    std::atomic<bool> release{false};
    std::thread job([&dialog, &release] {
        while (!dialog.cancelRequested && !release) std::this_thread::yield();
        for (int n : {4, 5}) dialog.SetPos(n);
        dialog.range = 0;
        for (int n : {5, 5}) dialog.SetPos(n);
        while (!release) std::this_thread::yield();
        dialog.Finish();
    });
    ui.AdvanceClock(1);
    ui.PressEnter();
    ui.Call([&release](Dialog&) { release = true; });
    EXPECT_EQ(dialog.DoModal(), IDOK) << "ended by the job, not by Enter";
    release = true;
    job.join();
    EXPECT_EQ(dialog.barPositions, (std::vector<int>{3, 5, 5, 5}));
    // Enter asked the job to stop: the button off, and the message again, as no cancelling text was given.
    EXPECT_TRUE(dialog.cancelRequested);
    EXPECT_FALSE(DialogHost::FindControl(dialog, IDCANCEL)->enabled);
    EXPECT_EQ(DialogHost::FindControl(dialog, IDC_PROGRESS_MESSAGE)->text, u"Leyendo");
}

TEST(ProgressBar, TextIsWhiteOverTheBarAndBlackOverTheRest)
{
    // The colour in row 3 of a bar 8 rows high, whose box glyphs fill rows 1 to 6, 6 columns apart,
    // for a width, range, position and column. 50 % of an even width: the bar ends before column 50,
    // "50" is white on it, "%" black beside it. A glyph in the column where the bar ends counts as
    // over it. Past the end: "100 %" on a full bar, not "1000 %". An empty range: "0 %" on the
    // background.
    const Rgb white{0xFF, 0xFF, 0xFF}, black{}, bar = kPlainHighlight, face = kPlainButtonFace;
    const std::tuple<int, int, int, int, Rgb> cases[] = {{100, 1000, 500, 49, bar},  {100, 1000, 500, 50, face},
                                                         {100, 1000, 500, 48, white}, {100, 1000, 500, 56, black},
                                                         {200, 100, 46, 92, white},   {100, 1, 10, 60, white},
                                                         {100, 0, 5, 41, black}};
    for (const auto& [width, upper, position, x, colour] : cases) {
        XCProgressCtrl progress;
        progress.SetRange(0, upper);
        progress.SetPos(position);
        PixelBuffer picture(width, 8);
        progress.OnPaint(picture, BoxTextPainter());
        EXPECT_EQ(picture.Get(x, 3), colour) << width << " " << upper << " " << position << " " << x;
    }
}
