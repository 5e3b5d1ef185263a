// Measures, on an EVA file of 1,000,000 records, the record reads of one search by time and
// the time of pruning the first half next to the time `cp` takes for the same bytes.
#include "bench/support/measurement.h"
#include "recordfiles/eva_file.h"
#include "tests/recordfiles/record_test_files.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace recordtest;

namespace {

constexpr int kRecords = 1000000;
constexpr int kRepeats = 3;

// Record i is stamped 2020-03-01 00:00:00 plus i seconds.
XCTime StampOf(int i) { return At(2020, 3, 1, 0, 0, i); }

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
    EvaImage writer(1, 15);
    for (int i = 0; i < kRecords; ++i)
        writer.Record(Packed(5, 3, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60));
    const std::string original = folder + "/original.eva";
    const int64_t movedBytes = int64_t{kRecords / 2} * XCEvaFile::kRecordSize;
    const Bytes tail(writer.bytes.end() - movedBytes, writer.bytes.end());
    if (!WriteBytes(original, writer.bytes) || !WriteBytes(folder + "/tail.eva", tail) || !Copy(original, path)) {
        std::fprintf(stderr, "cannot write the files in %s\n", folder.c_str());
        return 1;
    }

    XCEvaFile eva;
    if (!eva.Open(widePath.c_str(), false)) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    int worst = 0;
    {
        ReadCounter counter;
        for (int probe : {0, 1, 123457, 499999, 777777, kRecords - 2, kRecords - 1}) {
            const int found = eva.FindRecordByTime(StampOf(probe));
            const int reads = counter.Take();
            std::printf("FindRecordByTime(stamp of record %d) -> %d after %d record reads\n", probe, found, reads);
            worst = std::max(worst, reads);
        }
    }
    eva.Close();
    std::printf("most record reads for one search: %d\n", worst);

    // Each round prunes a fresh copy of the file.
    const double deleteSeconds = BestSeconds(
        kRepeats, [&] { return Copy(original, path) && eva.Open(widePath.c_str(), false); },
        [&] { return eva.DeleteRange(StampOf(0), StampOf(kRecords / 2)) && eva.GetRecordCount() == kRecords / 2; });
    const double copyTailSeconds =
        BestSeconds(kRepeats, NothingToPrepare, [&] { return Copy(folder + "/tail.eva", folder + "/copy.eva"); });
    const double copyAllSeconds =
        BestSeconds(kRepeats, NothingToPrepare, [&] { return Copy(original, folder + "/copy.eva"); });
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
