#pragma once
// Measuring for the benchmarks: read calls that reach the operating system, and the wall-clock
// time of a step.
#include "platform/file_system_calls.h"

#include <algorithm>
#include <chrono>

// Counts read calls while it lives.
class ReadCounter {
public:
    ReadCounter() { platform::FileSystem().read = CountingRead; }
    ~ReadCounter() { platform::FileSystem().read = platform::RealFileSystem().read; }
    ReadCounter(const ReadCounter&) = delete;
    ReadCounter& operator=(const ReadCounter&) = delete;

    // The count so far, which then starts again from zero.
    int Take()
    {
        const int reads = Reads();
        Reads() = 0;
        return reads;
    }

private:
    static int& Reads()
    {
        static int reads = 0;
        return reads;
    }
    static ssize_t CountingRead(int fd, void* buffer, size_t count)
    {
        ++Reads();
        return platform::RealFileSystem().read(fd, buffer, count);
    }
};

// The best time in seconds of `step` over `rounds`, each after an untimed `prepare`; -1 when a
// prepare or a step fails.
template <typename Prepare, typename Step>
double BestSeconds(int rounds, Prepare prepare, Step step)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        if (!prepare())
            return -1.0;
        const auto start = std::chrono::steady_clock::now();
        if (!step())
            return -1.0;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

inline bool NothingToPrepare() { return true; }
