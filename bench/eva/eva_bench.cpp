// Measures, on an EVA file of 1,000,000 records, the record reads of one search by time and
// the time of pruning the first half next to the time `cp` takes for the same bytes.
#include "platform/file_system_calls.h"
#include "recordfiles/eva_file.h"
#include "tests/recordfiles/eva_file_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kRecords = 1000000;
constexpr int kRepeats = 3;

int g_reads = 0;

ssize_t CountingRead(int fd, void* buffer, size_t count)
{
    ++g_reads;
    return platform::RealFileSystem().read(fd, buffer, count);
}

// Record i is stamped 2020-03-01 00:00:00 plus i seconds.
XCTime StampOf(int i)
{
    XCTime time;
    time.Set(2020, 3, 1, 0, 0, i, 0, 0);
    return time;
}

// The best time of `step` over a few rounds, each after an untimed `prepare`; -1 on failure.
template <typename Prepare, typename Step>
double BestSeconds(Prepare prepare, Step step)
{
    double best = 1e9;
    for (int i = 0; i < kRepeats; ++i) {
        if (!prepare())
            return -1.0;
        const auto start = std::chrono::steady_clock::now();
        if (!step())
            return -1.0;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

bool Copy(const std::string& from, const std::string& to)
{
    return std::system(("cp '" + from + "' '" + to + "'").c_str()) == 0;
}

}  // namespace

int main()
{
    char pattern[] = "/tmp/kestrovane-eva-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    const std::string path = folder + "/big.eva";
    const std::u16string widePath(path.begin(), path.end());
    eva_writer::File writer(1, 15);
    for (int i = 0; i < kRecords; ++i)
        writer.Record(5, eva_writer::Stamp{2020, 3, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60});
    const std::string original = folder + "/original.eva";
    const int64_t movedBytes = int64_t{kRecords / 2} * XCEvaFile::kRecordSize;
    eva_writer::File tail(1, 15);
    tail.Contents().assign(writer.Contents().end() - movedBytes, writer.Contents().end());
    if (!writer.Save(original) || !tail.Save(folder + "/tail.eva") || !Copy(original, path)) {
        std::fprintf(stderr, "cannot write the files in %s\n", folder.c_str());
        return 1;
    }

    XCEvaFile eva;
    if (!eva.Open(widePath.c_str(), false)) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    platform::FileSystem().read = CountingRead;
    int worst = 0;
    for (int probe : {0, 1, 123457, 499999, 777777, kRecords - 2, kRecords - 1}) {
        g_reads = 0;
        const int found = eva.FindRecordByTime(StampOf(probe));
        std::printf("FindRecordByTime(stamp of record %d) -> %d after %d record reads\n", probe, found, g_reads);
        worst = std::max(worst, g_reads);
    }
    platform::FileSystem() = platform::RealFileSystem();
    eva.Close();
    std::printf("most record reads for one search: %d\n", worst);

    // Each round prunes a fresh copy of the file.
    const double deleteSeconds = BestSeconds(
        [&] { return Copy(original, path) && eva.Open(widePath.c_str(), false); },
        [&] { return eva.DeleteRange(StampOf(0), StampOf(kRecords / 2)) && eva.GetRecordCount() == kRecords / 2; });
    const auto nothing = [] { return true; };
    const double copyTailSeconds =
        BestSeconds(nothing, [&] { return Copy(folder + "/tail.eva", folder + "/copy.eva"); });
    const double copyAllSeconds = BestSeconds(nothing, [&] { return Copy(original, folder + "/copy.eva"); });
    if (deleteSeconds < 0 || copyTailSeconds < 0 || copyAllSeconds < 0) {
        std::fprintf(stderr, "a step failed\n");
        return 1;
    }
    std::printf("DeleteRange of the first half (moves %lld bytes): %.4f s (best of %d)\n",
                static_cast<long long>(movedBytes), deleteSeconds, kRepeats);
    std::printf("cp of the moved bytes: %.4f s; cp of the whole file: %.4f s\n", copyTailSeconds, copyAllSeconds);
    std::printf("ratio DeleteRange / cp of the moved bytes: %.2f\n", deleteSeconds / copyTailSeconds);
    return std::system(("rm -rf '" + folder + "'").c_str()) == 0 ? 0 : 1;
}
