#pragma once
// Wall and CPU time of a stretch of a test.
#include <chrono>
#include <sys/resource.h>

namespace testsupport {

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()), cpuStart_(CpuMilliseconds()) {}
    long Milliseconds() const
    {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start_).count());
    }
    // CPU time of the whole process, every thread, since the start.
    double CpuMillisecondsSpent() const { return CpuMilliseconds() - cpuStart_; }

private:
    static double CpuMilliseconds()
    {
        struct rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }

    std::chrono::steady_clock::time_point start_;
    double cpuStart_;
};

}  // namespace testsupport
