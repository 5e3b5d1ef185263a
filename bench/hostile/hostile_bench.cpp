// Times the file jobs a hostile file could make slow, each at n and 4n: opening an STD file whose
// records run backwards in time (the index is rebuilt), loading an element of many attributes and
// saving a long text. Work that grows linearly gives a ratio of about 4.
#include "bench/support/measurement.h"
#include "bench/support/std_bench_file.h"
#include "foundation/xml_document.h"
#include "recordfiles/std_file.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace recordtest;

namespace {

constexpr int kRounds = 3;

// Sizes are given as n; each job also runs at 4n.
struct Sizes {
    int records = 100000;
    int attributes = 100000;
    int textBytes = 2 << 20;
};

std::string ManyAttributes(int attributes)
{
    std::string text = "<config";
    for (int i = 0; i < attributes; ++i)
        text += " a" + std::to_string(i) + "=\"" + std::to_string(i % 1000) + "\"";
    return text + "></config>";
}

XCStringW LongText(int units)
{
    XCStringW text;
    std::u16string units16(static_cast<size_t>(units), u'x');
    for (size_t i = 0; i < units16.size(); i += 64)
        units16[i] = u'&';  // escaped on the way out
    text.Assign(units16.data(), units);
    return text;
}

double TimeStdOpen(const std::string& folder, int records)
{
    const std::string path = folder + "/backwards.std";
    const std::u16string widePath(path.begin(), path.end());
    XCStdFile file;
    return BestSeconds(
        kRounds,
        [&] {
            std::filesystem::remove(folder + "/backwards.istd");
            return WriteBytes(path, BenchStdFile(records, [records](int i) { return At(2020, 3, 1, 0, records - i); }));
        },
        [&] {
            const bool opened = file.Open(widePath.c_str(), false) && file.GetRecordCount() == records;
            file.Close();
            return opened;
        });
}

double TimeXmlLoad(const std::string& folder, int attributes)
{
    const std::string path = folder + "/attributes.xcfg";
    XmlDocument document;
    document.SetFileName(XCStringW(std::u16string(path.begin(), path.end()).c_str()));
    const std::string text = ManyAttributes(attributes);
    return BestSeconds(
        kRounds, [&] { return WriteBytes(path, Bytes(text.begin(), text.end())); },
        [&] { return document.Load() && document.GetRoot() != nullptr; });
}

double TimeXmlSave(const std::string& folder, int textBytes)
{
    const std::string path = folder + "/text.xcfg";
    XmlDocument document;
    document.SetFileName(XCStringW(std::u16string(path.begin(), path.end()).c_str()));
    document.New();
    document.GetRoot()->SetChildText(u"productName", LongText(textBytes));
    return BestSeconds(kRounds, NothingToPrepare, [&] { return document.Save(); });
}

bool Report(const char* job, int n, const std::function<double(int)>& time)
{
    const double once = time(n);
    const double fourTimes = time(4 * n);
    if (once < 0 || fourTimes < 0) {
        std::fprintf(stderr, "%s failed\n", job);
        return false;
    }
    std::printf("%-40s n=%-9d %8.3f s  4n %8.3f s  ratio %5.2f\n", job, n, once, fourTimes, fourTimes / once);
    return true;
}

}  // namespace

// Arguments: [folder] [records] [attributes] [text bytes], each count the n of its job.
int main(int argc, char** argv)
{
    const std::string parent = argc > 1 ? argv[1] : "/tmp";
    Sizes sizes;
    if (argc > 2)
        sizes.records = std::atoi(argv[2]);
    if (argc > 3)
        sizes.attributes = std::atoi(argv[3]);
    if (argc > 4)
        sizes.textBytes = std::atoi(argv[4]);
    std::string pattern = parent + "/kestrovane-hostile-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern.data());

    const bool ok =
        Report("STD open, index rebuilt, records", sizes.records, [&](int n) { return TimeStdOpen(folder, n); }) &&
        Report("XML load, attributes of one element", sizes.attributes, [&](int n) { return TimeXmlLoad(folder, n); }) &&
        Report("XML save, bytes of one text", sizes.textBytes, [&](int n) { return TimeXmlSave(folder, n); });
    return std::system(("rm -rf '" + folder + "'").c_str()) == 0 && ok ? 0 : 1;
}
