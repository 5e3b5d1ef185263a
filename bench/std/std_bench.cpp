// Measures STD files: appending records one by one (each index entry flushed to disk), rebuilding
// the index of a large file, the index reads of one search by time, and pruning the first half.
#include "bench/support/measurement.h"
#include "bench/support/std_bench_file.h"
#include "recordfiles/std_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace recordtest;

namespace {

constexpr int kAppended = 2000;
constexpr int kRecords = 200000;

// Record i is stamped 2020-03-01 00:00:00 plus i minutes.
XCTime StampOf(int i) { return At(2020, 3, 1, 0, i); }

// One timed run of `step`; -1 when it fails.
template <typename Step>
double Seconds(Step step)
{
    return BestSeconds(1, NothingToPrepare, step);
}

}  // namespace

int main(int argc, char** argv)
{
    // The folder decides the file system measured; /tmp by default.
    const std::string parent = argc > 1 ? argv[1] : "/tmp";
    std::string pattern = parent + "/kestrovane-std-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern.data());
    const std::string path = folder + "/big.std";
    const std::u16string widePath(path.begin(), path.end());
    const std::string appendedPath = folder + "/appended.std";
    const std::u16string wideAppended(appendedPath.begin(), appendedPath.end());

    WriteBytes(path, BenchStdFile(kRecords, StampOf));
    WriteBytes(appendedPath, BenchStdImage().Header());

    XCStdFile file;
    const double appendSeconds = Seconds([&] {
        if (!file.Open(wideAppended.c_str(), false))
            return false;
        XCValue value;
        for (int i = 0; i < kAppended; ++i) {
            value.SetDouble(StampOf(i).ToDouble());
            file.SetValue(0, value);
            value.SetDouble(i);
            file.SetValue(2, value);
            if (!file.AppendRecord())
                return false;
        }
        return file.GetRecordCount() == kAppended;
    });
    const double rebuildSeconds = Seconds([&] { return file.Open(widePath.c_str(), false) && file.GetRecordCount() == kRecords; });
    const double reopenSeconds = Seconds([&] { return file.Open(widePath.c_str(), false); });
    if (appendSeconds < 0 || rebuildSeconds < 0 || reopenSeconds < 0) {
        std::fprintf(stderr, "a step failed in %s\n", folder.c_str());
        return 1;
    }
    std::printf("in %s\n", parent.c_str());
    std::printf("AppendRecord: %d records in %.3f s, %.3f ms each\n", kAppended, appendSeconds,
                1000.0 * appendSeconds / kAppended);
    std::printf("open with index rebuild of %d records: %.3f s; open with the index present: %.4f s\n", kRecords,
                rebuildSeconds, reopenSeconds);

    int worst = 0;
    {
        ReadCounter counter;
        for (int probe : {0, 1, 12345, 99999, 150001, kRecords - 1}) {
            const int found = file.FindRecordByTime(StampOf(probe));
            const int reads = counter.Take();
            worst = std::max(worst, reads);
            std::printf("FindRecordByTime(record %d) -> %d after %d reads\n", probe, found, reads);
        }
    }
    std::printf("most index reads for one search: %d\n", worst);

    // A time before the first entry's key places no record; the first time, with the interval
    // as its microseconds, places the first record.
    const XCTime first = *file.GetFirstTime();
    const double deleteSeconds = Seconds([&] {
        return file.DeleteRange(first, StampOf(kRecords / 2)) && file.GetRecordCount() == kRecords / 2;
    });
    std::printf("DeleteRange of the first half (moves %d bytes, then rebuilds the index): %.3f s\n",
                kRecords / 2 * 9, deleteSeconds);
    file.Close();
    return std::system(("rm -rf '" + folder + "'").c_str()) == 0 && deleteSeconds >= 0 ? 0 : 1;
}
