// Exchange efficiency: the read of registers 0-66 against the simulated recorder at the real
// line pace, timed against the least an exchange can take, and the CPU it costs us.
//
//   bench_exchange [exchanges]        (default 200)
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/temporary_ports_folder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr int kPort = 9;
constexpr int kTurnaroundMilliseconds = 0;
constexpr int kWarmUpExchanges = 3;
constexpr double kQuietMilliseconds = 40.0;
// The reply to the read of 67 registers, ten bits a byte at 115200 baud. The request reaches the
// simulator at once (it paces only what it sends), so its bytes take no time on this line.
constexpr double kLineMilliseconds = 139 * 10 * 1000.0 / 115200;

double CpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    const int exchanges = argc > 1 ? std::atoi(argv[1]) : 200;
    if (exchanges < 1) {
        std::fprintf(stderr, "usage: bench_exchange [exchanges]\n");
        return 2;
    }
    TemporaryPortsFolder ports;
    SimulatedRecorder recorder({"--turnaround", std::to_string(kTurnaroundMilliseconds)}, ports.LinkPath(kPort));
    XCRSDeviceConnection connection(kPort);
    if (!recorder.IsReady() || !connection.Open()) {
        std::fprintf(stderr, "bench_exchange: the simulated recorder did not start\n");
        return 1;
    }

    XCModBusTransaction transaction(750);
    int failures = 0;
    double wallStart = 0;
    double cpuStart = 0;
    for (int i = -kWarmUpExchanges; i < exchanges; ++i) {
        if (i == 0) {
            wallStart = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
            cpuStart = CpuSeconds();
        }
        transaction.BuildReadRequest(0, 67, 3);
        connection.Execute(transaction);
        if (transaction.GetState() != XCTransactionState::Complete) {
            ++failures;
        }
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count() - wallStart;
    const double cpu = CpuSeconds() - cpuStart;

    const double perExchange = wall * 1000 / exchanges;
    const double floor = kQuietMilliseconds + kLineMilliseconds + kTurnaroundMilliseconds;
    const double ratio = perExchange / floor;
    const double cpuShare = cpu / wall * 100;
    std::printf("exchanges          %d (%d failed)\n", exchanges, failures);
    std::printf("time per exchange  %.2f ms\n", perExchange);
    std::printf("floor              %.2f ms (40 ms quiet + %.2f ms on the line + %d ms turnaround)\n", floor,
                kLineMilliseconds, kTurnaroundMilliseconds);
    std::printf("ratio              %.3f (target <= 1.05)\n", ratio);
    std::printf("CPU share          %.2f %% of the wall time (target < 5 %%)\n", cpuShare);
    return failures == 0 ? 0 : 1;
}
