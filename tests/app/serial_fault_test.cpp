// Each action that talks to the recorder, against each way a serial line fails in the field.
#include "app/configuration_dialog.h"
#include "app/download_dialog.h"
#include "app/main_dialog.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "platform/ui/ui_constants.h"
#include "tests/app/app_test_folder.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/stopwatch.h"

#include <algorithm>
#include <memory>
#include <chrono>
#include <thread>

using namespace platform::ui;
using testsupport::Stopwatch;

namespace {

enum LineFault { HangUp, Noise, OtherUnit, Late, Stall };
const char* const kFaultNames[] = {"hang-up mid-reply", "noise before the reply", "another unit answers",
                                   "reply after the time-out", "line takes no request"};
const int kPort = 3;

// The simulator's arguments that play `fault` on request `at`, whose reply is awaited `timeoutMs`.
std::vector<std::string> Fault(LineFault fault, int at, unsigned timeoutMs = 750)
{
    // Late by more than the time-out plus the longest read that may still be under way then.
    const std::string played[] = {"hang-up", "garbage:3", "wrong-unit", "late:" + std::to_string(timeoutMs + 450),
                                  "stall"};
    return {"--fault", played[fault] + "@" + std::to_string(at)};
}

// A late reply must have passed before the next request, or that request takes it for its own.
void LetALateReplyPass(LineFault fault)
{
    if (fault == Late)
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
}

// The failed action ended in time and slept while it waited.
void ExpectNoHangNoSpin(const Stopwatch& watch, long limitMs, LineFault fault)
{
    const long wall = watch.Milliseconds();
    EXPECT_LT(wall, limitMs) << kFaultNames[fault];
    EXPECT_LT(watch.CpuMillisecondsSpent(), 0.5 * static_cast<double>(wall)) << kFaultNames[fault];
}

class SerialFault : public AppTestFolder {
protected:
    std::unique_ptr<SimulatedRecorder> StartRecorder(std::vector<std::string> arguments)
    {
        auto recorder = std::make_unique<SimulatedRecorder>(std::move(arguments), ports_.LinkPath(kPort));
        EXPECT_TRUE(recorder->IsReady());
        return recorder;
    }
    std::u16string LastMessage() const { return ui_.MessageBoxes().empty() ? u"" : ui_.MessageBoxes().back().text; }
    size_t LogLines()
    {
        const std::string logs = ReadFile(CsvName("logs"));
        return static_cast<size_t>(std::count(logs.begin(), logs.end(), '\n'));
    }
};

}  // namespace

TEST_F(SerialFault, ReadOutReportsACommunicationErrorAndTheNextReadOutWorks)
{
    for (LineFault fault : {HangUp, Noise, OtherUnit, Late, Stall}) {
        const auto recorder = StartRecorder(Fault(fault, 1));
        WriteFile("default.xcfg", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><config><port>3</port></config>");
        Screen failed, next;
        Stopwatch watch;
        ui_.Call([&](Dialog& dialog) {
            ExpectNoHangNoSpin(watch, 5000, fault);
            failed = Screen::Of(dialog);
            LetALateReplyPass(fault);
        });
        ui_.Select(IDC_PORT, kPort - 1);
        ui_.Call([&next](Dialog& dialog) { next = Screen::Of(dialog); });
        ui_.CloseWindow();
        CKestrovaneDlg().DoModal();
        EXPECT_EQ(ui_.Failure(), "");
        EXPECT_EQ(failed.text[IDC_STATUS], Text(kTextCommunicationError)) << kFaultNames[fault];
        EXPECT_EQ(failed.text[IDC_PRODUCT], u"-") << kFaultNames[fault];
        EXPECT_FALSE(failed.enabled[IDC_PARAMETERS] || failed.enabled[IDC_DOWNLOAD]) << kFaultNames[fault];
        EXPECT_EQ(next.text[IDC_STATUS], u"") << kFaultNames[fault];
        EXPECT_EQ(next.text[IDC_PRODUCT], u"7") << kFaultNames[fault];
        EXPECT_TRUE(next.enabled[IDC_PARAMETERS] && next.enabled[IDC_DOWNLOAD]) << kFaultNames[fault];
    }
}

TEST_F(SerialFault, ConfigurationEndsOnAFailedReadStaysOnAFailedWriteAndThenWorks)
{
    for (LineFault fault : {HangUp, Noise, OtherUnit, Late, Stall}) {
        // Requests: the read that fails; the next dialog's read, the voltage, the memory reset.
        // A stalled request never arrives, so it takes no number.
        std::vector<std::string> arguments = Fault(fault, 1);
        const std::vector<std::string> onReset = Fault(fault, fault == Stall ? 3 : 4, 3000);
        arguments.insert(arguments.end(), onReset.begin(), onReset.end());
        const auto recorder = StartRecorder(arguments);
        const size_t shown = ui_.MessageBoxes().size();

        ui_.AnswerMessageBox(IDOK);
        Stopwatch readWatch;
        EXPECT_EQ(KestrovaneConfigurationDlg(kPort).DoModal(), IDCANCEL) << kFaultNames[fault];
        ExpectNoHangNoSpin(readWatch, 5000, fault);
        EXPECT_EQ(LastMessage(), Text(kTextCommunicationError)) << kFaultNames[fault];
        LetALateReplyPass(fault);

        // The voltage goes, the reset fails: the dialog stays open, and OK again ends it.
        Stopwatch writeWatch;
        ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
        ui_.Click(IDC_CONFIG_RESET_MEMORY);
        ui_.Call([&writeWatch](Dialog&) { writeWatch = Stopwatch(); });
        ui_.Click(IDOK);
        ui_.AnswerMessageBox(IDOK);
        ui_.Call([&](Dialog&) {
            ExpectNoHangNoSpin(writeWatch, 8000, fault);
            EXPECT_EQ(LastMessage(), Text(kTextCommunicationError)) << kFaultNames[fault];
            LetALateReplyPass(fault);
        });
        ui_.Click(IDOK);
        EXPECT_EQ(KestrovaneConfigurationDlg(kPort).DoModal(), IDOK) << kFaultNames[fault];
        EXPECT_EQ(ui_.Failure(), "");
        EXPECT_EQ(ui_.MessageBoxes().size(), shown + 2);
    }
}

TEST_F(SerialFault, DownloadEndsWithACommunicationErrorKeepsItsLinesAndTheNextOneWorks)
{
    for (LineFault fault : {HangUp, Noise, OtherUnit, Late, Stall}) {
        // Request 4 selects the first page, 5 reads its 60 records, 6 selects the second, 7 reads it.
        std::vector<std::string> arguments = Fault(fault, 7);
        arguments.insert(arguments.end(), {"--logs", "70"});
        const auto recorder = StartRecorder(arguments);
        for (bool healthy : {false, true}) {
            ui_.Click(IDC_DOWNLOAD_BROWSE);
            ui_.ChooseFolder(std::u16string(folder_.begin(), folder_.end()));
            ui_.Click(IDOK);
            ui_.WaitForEnd();
            ui_.AnswerMessageBox(IDOK);
            Stopwatch watch;
            EXPECT_EQ(KestrovaneDownloadDlg(kPort).DoModal(), IDOK) << kFaultNames[fault];
            EXPECT_EQ(ui_.Failure(), "");
            if (!healthy)
                ExpectNoHangNoSpin(watch, 5000, fault);
            EXPECT_EQ(LastMessage(), Text(healthy ? kTextDownloadComplete : kTextCommunicationError))
                << kFaultNames[fault];
            EXPECT_EQ(LogLines(), healthy ? 70u : 60u) << kFaultNames[fault];
            LetALateReplyPass(fault);
        }
    }
}
