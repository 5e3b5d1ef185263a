// Download efficiency: the whole memory of 8 pages x 1800 registers (4800 records) downloaded
// through the download dialog, against the simulated recorder at the real line pace, timed
// against the least the line allows, and the CPU it costs us.
//
//   bench_download
#include "app/download_dialog.h"
#include "app/resource_ids.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/temporary_ports_folder.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

constexpr int kPort = 9;
constexpr int kPages = 8;
constexpr int kPageSize = 1800;
constexpr int kRecords = kPages * kPageSize / 3;
constexpr int kTurnaroundMilliseconds = 0;
constexpr double kQuietMilliseconds = 40.0;
constexpr double kByteMilliseconds = 10 * 1000.0 / 115200;
// A request reaches the simulator at once; only the reply is paced. Reply bytes per exchange:
// registers 0-1, 14 and 19-25, then per page its select and its ten reads of 180 registers.
constexpr int kExchanges = 3 + kPages * (1 + kPageSize / 180);
constexpr int kReplyBytes = 9 + 7 + 19 + kPages * (8 + kPageSize / 180 * 365);

double CpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main()
{
    TemporaryPortsFolder ports;
    const std::string folder = MakeTemporaryFolder("kestrovane-bench-download-");
    SimulatedRecorder recorder({"--pages", std::to_string(kPages), "--page-size", std::to_string(kPageSize), "--logs",
                                std::to_string(kRecords - kRecords / 6), "--events", std::to_string(kRecords / 6),
                                "--turnaround", std::to_string(kTurnaroundMilliseconds)},
                               ports.LinkPath(kPort));
    if (!recorder.IsReady() || folder.empty()) {
        std::fprintf(stderr, "bench_download: the simulated recorder did not start\n");
        return 1;
    }

    platform::ui::HeadlessBackend ui;
    // The hidden progress dialog gets no post until the worker's close command.
    ui.SetPostWaitLimit(std::chrono::minutes(1));
    ui.Click(IDC_DOWNLOAD_BROWSE);
    ui.ChooseFolder(std::u16string(folder.begin(), folder.end()));
    ui.Click(platform::ui::IDOK);
    ui.WaitForEnd();
    ui.AnswerMessageBox(platform::ui::IDOK);
    KestrovaneDownloadDlg dialog(kPort);
    const double wallStart = WallSeconds();
    const double cpuStart = CpuSeconds();
    const int ended = dialog.DoModal();
    const double wall = WallSeconds() - wallStart;
    const double cpu = CpuSeconds() - cpuStart;
    const bool complete = ended == platform::ui::IDOK && ui.Failure().empty() &&
                          recorder.Requests().size() == static_cast<size_t>(kExchanges);
    RemoveTree(folder);

    const double floor = (kExchanges * (kQuietMilliseconds + kTurnaroundMilliseconds) + kReplyBytes * kByteMilliseconds) / 1000;
    std::printf("records            %d in %d exchanges%s\n", kRecords, kExchanges, complete ? "" : " (FAILED)");
    std::printf("wall time          %.3f s\n", wall);
    std::printf("floor              %.3f s (40 ms quiet + reply bytes on the line + %d ms turnaround, each exchange)\n",
                floor, kTurnaroundMilliseconds);
    std::printf("ratio              %.3f (target <= 1.03)\n", wall / floor);
    std::printf("CPU share          %.2f %% of the wall time (target < 5 %%)\n", cpu / wall * 100);
    return complete ? 0 : 1;
}
