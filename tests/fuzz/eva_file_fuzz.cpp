// An EVA file as a user might copy it in: open, search by time, delete a time range.
// Input: flags (bit 0: seal the header, bit 1: seal every record, bit 2: read-only), the file
// call to fail (0: none), three offsets in seconds from the first record's time (search, from,
// to), then the file.
#include "recordfiles/eva_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <vector>

namespace {

// The checksum type in the file's header picks a CRC or a sum.
void Seal(std::vector<uint8_t>& file, size_t at, size_t length)
{
    if ((file[28] << 8 | file[29]) == XCEvaFile::kCrcChecksum)
        SetCrc(file.data() + at, length);
    else
        recordtest::SetCheckByte(file.data() + at, length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t flags = input.Byte();
    const int failingCall = input.Byte();
    const uint16_t searchAfter = input.U16();
    const uint16_t fromAfter = input.U16();
    const uint16_t toAfter = input.U16();
    std::vector<uint8_t> file = input.Rest();
    const size_t header = XCEvaFile::kHeaderSize, record = XCEvaFile::kRecordSize;
    if ((flags & 1) && file.size() >= header)
        Seal(file, 0, header);
    for (size_t at = header; (flags & 2) && at + record <= file.size(); at += record)
        Seal(file, at, record);
    static const recordtest::TempFolder folder;
    const std::u16string path = folder.Data("data.eva");
    recordtest::WriteBytes(path, file);

    XCEvaFile eva;
    {
        const FileFaults faults(failingCall);
        if (eva.Open(path.c_str(), flags & 4)) {
            const XCTime first = *eva.GetFirstTime();
            const auto after = [&](uint16_t seconds) {
                return XCTime(first.IsValid() ? first.GetSeconds() + seconds : seconds, 0);
            };
            const int found = eva.FindRecordByTime(after(searchAfter));
            FUZZ_CHECK(found == -1 || (found >= eva.GetFirstValidIndex() && found <= eva.GetLastValidIndex()));
            const XCTime from = after(fromAfter);
            const XCTime to = after(toAfter);
            // The range the deletion must remove, found as it finds it.
            const int a = eva.FindRecordByTime(from);
            int b = eva.FindRecordByTime(to);
            if (b == a && b < eva.GetRecordCount() - 1)
                ++b;
            const bool deleted = eva.DeleteRange(from, to);
            if (deleted && failingCall == 0) {
                FUZZ_CHECK(a >= 0 && b >= a && eva.IsOpen());
                file.erase(file.begin() + header + record * a, file.begin() + header + record * b);
                FUZZ_CHECK(eva.GetRecordCount() == int((file.size() - header) / record));
            }
            // Nothing else is changed, and a refused deletion changes nothing.
            FUZZ_CHECK(failingCall != 0 || recordtest::ReadBytes(path) == file);
        }
    }
    // Whatever a failing call left behind opens again or is refused, without harm.
    eva.Open(path.c_str(), true);
    return 0;
}
