// Each action that talks to the recorder, against each way a serial line fails in the field.
#include "app/configuration_dialog.h"
#include "app/text_ids.h"
#include "tests/app/app_test_folder.h"
#include "tests/support/stopwatch.h"

#include <chrono>
#include <thread>

using namespace platform::ui;
using testsupport::Stopwatch;

namespace {

// Hang-up mid-reply, noise before the reply, another unit answers, a reply after the time-out, a
// line that takes no request.
enum LineFault { HangUp, Noise, OtherUnit, Late, Stall };
const int kPort = 3;

// The simulator's arguments that play `fault` on request `at`, whose reply is awaited `timeoutMs`,
// followed by `more`.
std::vector<std::string> Fault(LineFault fault, int at, std::vector<std::string> more = {}, unsigned timeoutMs = 750)
{
    // Late by more than the time-out plus the longest read that may still be under way then.
    const std::string played[] = {"hang-up", "garbage:3", "wrong-unit", "late:" + std::to_string(timeoutMs + 450),
                                  "stall"};
    more.insert(more.begin(), {"--fault", played[fault] + "@" + std::to_string(at)});
    return more;
}

// A late reply must have passed before the next request, or that request takes it for its own.
void LetALateReplyPass(LineFault fault)
{
    if (fault == Late)
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
}

// The failed action ended in time and slept while it waited.
void ExpectNoHangNoSpin(const Stopwatch& watch, long limitMs)
{
    const long wall = watch.Milliseconds();
    EXPECT_LT(wall, limitMs);
    EXPECT_LT(watch.CpuMillisecondsSpent(), 0.5 * static_cast<double>(wall));
}

using SerialFault = AppTestFolder;

}  // namespace

TEST_F(SerialFault, EveryActionEndsInTimeWithACommunicationErrorAndTheNextOneWorks)
{
    const std::u16string error = Text(kTextCommunicationError);
    for (LineFault fault : {HangUp, Noise, OtherUnit, Late, Stall}) {
        SCOPED_TRACE(Fault(fault, 1)[1]);
        // The read-out fails; choosing the port again reads it.
        StartRecorder(Fault(fault, 1));
        Screen failed;
        Stopwatch readOutWatch;
        ui_.Call([&](Dialog& dialog) {
            ExpectNoHangNoSpin(readOutWatch, 5000);
            failed = Screen::Of(dialog);
            LetALateReplyPass(fault);
        });
        ui_.Select(IDC_PORT, kPort - 1);
        EXPECT_EQ(RunMainWindow().Status(), std::make_tuple(std::u16string(), true, true));
        EXPECT_EQ(failed.Status(), std::make_tuple(error, false, false));

        // The configuration: a failed read ends the dialog; then the voltage goes and the memory
        // reset fails (a stalled request never arrives, so it takes no number): the dialog stays
        // open, and OK again ends it.
        StartRecorder(Fault(fault, 1, Fault(fault, fault == Stall ? 3 : 4, {}, 3000)));
        ui_.AnswerMessageBox(IDOK);
        Stopwatch readWatch;
        EXPECT_EQ(KestrovaneConfigurationDlg(kPort).DoModal(), IDCANCEL);
        ExpectNoHangNoSpin(readWatch, 5000);
        EXPECT_EQ(LastMessage(), error);
        LetALateReplyPass(fault);

        Stopwatch writeWatch;
        ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
        ui_.Click(IDC_CONFIG_RESET_MEMORY);
        ui_.Call([&writeWatch](Dialog&) { writeWatch = Stopwatch(); });
        ui_.Click(IDOK);
        ui_.AnswerMessageBox(IDOK);
        ui_.Call([&](Dialog&) {
            ExpectNoHangNoSpin(writeWatch, 8000);
            EXPECT_EQ(LastMessage(), error);
            LetALateReplyPass(fault);
        });
        ui_.Click(IDOK);
        EXPECT_EQ(KestrovaneConfigurationDlg(kPort).DoModal(), IDOK);

        // The download: request 4 selects the first page, 5 reads its 60 records, 6 selects the
        // second, 7 reads it and fails; the first page's lines stay, and the next download gets all.
        StartRecorder(Fault(fault, 7, {"--logs", "70"}));
        for (bool healthy : {false, true}) {
            Stopwatch watch;
            EXPECT_EQ(RunDownload(), healthy ? Text(kTextDownloadComplete) : error);
            if (!healthy)
                ExpectNoHangNoSpin(watch, 5000);
            EXPECT_EQ(CsvLines("logs"), healthy ? 70 : 60);
            EXPECT_EQ(ReadFile(CsvName("events")), "");
            LetALateReplyPass(fault);
        }
    }
    EXPECT_EQ(ui_.Failure(), "");
}
