#pragma once
// Wall and CPU time of a stretch of a test.
#include <chrono>
#include <ctime>

namespace testsupport {

class Stopwatch {
public:
    long Milliseconds() const
    {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start_).count());
    }
    // CPU time of the whole process, every thread, since the start.
    double CpuMillisecondsSpent() const { return CpuMilliseconds() - cpuStart_; }

private:
    static double CpuMilliseconds() { return 1e3 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    double cpuStart_ = CpuMilliseconds();
};

}  // namespace testsupport
