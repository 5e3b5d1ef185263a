// An STD file as a user might copy it in, with or without an index beside it: open, read the
// values, append a record, rebuild the index, delete a time range. Input: flags (bit 0: seal the
// header, bit 1: seal every record, bit 2: read-only, bit 3: an index file beside it), the file
// call to fail (0: none), the index's length and bytes, two offsets in seconds (from after the
// first time, to after from), the count of values to set and the values, then the data file.
#include "recordfiles/std_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <filesystem>
#include <vector>

namespace {

const recordtest::TempFolder folder;
const std::filesystem::path dataPath = folder / "data.std";
const std::filesystem::path indexPath = folder / "data.istd";

// A rebuilt or maintained index is sorted by (time, interval, kind) without duplicates, counts
// what the file reports, and points at whole records after the header.
void CheckIndex(XCStdFile& std)
{
    const std::vector<uint8_t> index = recordtest::ReadBytes(indexPath);
    const size_t dataSize = recordtest::ReadBytes(dataPath).size();
    FUZZ_CHECK(std.GetRecordCount() == int32_t(index.size() / XCStdIndexFile::kEntrySize));
    FuzzInput entries(index.data(), index.size());
    XCStdIndexFile::Entry previous;
    for (int32_t k = 0; k < std.GetRecordCount(); ++k) {
        const XCStdIndexFile::Entry entry{entries.U32(), entries.U32(), entries.U32(), entries.U32()};
        FUZZ_CHECK(k == 0 || XCStdIndexFile::EntryGreater(entry, previous));
        FUZZ_CHECK(entry.offset >= uint32_t(XCStdFile::kMinHeaderLength) &&
                   entry.offset + uint64_t(std.GetRecordLength()) <= dataSize);
        previous = entry;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t flags = input.Byte();
    const int failingCall = input.Byte();
    const std::vector<uint8_t> index = input.Bytes(input.U16());
    const uint16_t fromAfter = input.U16();
    const uint32_t toAfter = input.U32();
    std::vector<int32_t> values(input.Byte() % 8);
    for (int32_t& value : values)
        value = static_cast<int32_t>(input.U32());
    std::vector<uint8_t> file = input.Rest();
    // The header's length and the record length stand at bytes 18 to 21.
    const size_t header = file.size() < 22 ? 0 : size_t(file[18] << 8 | file[19]);
    const size_t record = file.size() < 22 ? 0 : size_t(file[20] << 8 | file[21]);
    if ((flags & 1) && header >= 22 && header <= file.size())
        recordtest::SetCheckByte(file.data(), header);
    for (size_t at = header; (flags & 2) && header >= 22 && record >= 2 && at + record <= file.size(); at += record)
        recordtest::SetCheckByte(file.data() + at, record);

    recordtest::WriteBytes(dataPath, file);
    if (flags & 8)
        recordtest::WriteBytes(indexPath, index);
    else
        std::filesystem::remove(indexPath);
    const bool checked = failingCall == 0;

    XCStdFile std;
    {
        const FileFaults faults(failingCall);
        if (!std.Open(dataPath.u16string().c_str(), flags & 4))
            return 0;
        XCValue value;
        const int variables = static_cast<int>(std.GetRecordVariables().size());
        for (int k = 0; k < variables; ++k)
            std.GetValue(k, value);
        for (size_t k = 0; k < values.size() && variables > 0; ++k) {
            value.SetDouble(values[k] / 16.0);
            std.SetValue(static_cast<int>(k % size_t(variables)), value);
        }
        const int32_t countBefore = std.GetRecordCount();
        const size_t sizeBefore = recordtest::ReadBytes(dataPath).size();
        const bool appended = std.AppendRecord();
        // An appended record is one more record and one more entry; a refused one changes nothing.
        if (checked && !values.empty() && variables > 0)
            FUZZ_CHECK(std.GetRecordCount() == countBefore + (appended ? 1 : 0) &&
                       recordtest::ReadBytes(dataPath).size() == sizeBefore + (appended ? std.GetRecordLength() : 0));
        if (std.RebuildIndex() && checked)
            CheckIndex(std);
        const XCTime* first = std.GetFirstTime();
        std.GetLastTime();
        const XCTime from(first->IsValid() ? first->GetSeconds() + fromAfter : fromAfter, 0);
        if (std.DeleteRange(from, XCTime(from.GetSeconds() + toAfter, 0)) && checked)
            CheckIndex(std);
    }
    // Whatever a failing call left behind opens again or is refused, without harm.
    std.Open(dataPath.u16string().c_str(), true);
    return 0;
}
