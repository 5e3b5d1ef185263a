// An STD file as a user might copy it in, with or without an index beside it: open, read the
// values, append a record, rebuild the index, delete a time range. Input: flags (bit 0: seal the
// header, bit 1: seal every record, bit 2: read-only, bit 3: an index file beside it), the file
// call to fail (0: none), the index's length and bytes, two offsets in seconds (from after the
// first time, to after from), the count of values to set and the values, then the data file.
#include "recordfiles/std_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <vector>

namespace {

void SealBlock(uint8_t* block, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < length; ++i)
        sum = static_cast<uint8_t>(sum + block[i]);
    block[length - 1] = static_cast<uint8_t>(0xFF - sum);
}

void SealFile(std::vector<uint8_t>& file, uint8_t flags)
{
    if (file.size() < 22)
        return;
    const size_t header = size_t(file[18]) << 8 | file[19];
    const size_t record = size_t(file[20]) << 8 | file[21];
    if (header < 22 || header > file.size())
        return;
    if (flags & 1)
        SealBlock(file.data(), header);
    for (size_t at = header; (flags & 2) && record >= 2 && at + record <= file.size(); at += record)
        SealBlock(file.data() + at, record);
}

uint32_t Be32(const uint8_t* bytes) { return uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]; }

// A rebuilt or maintained index is sorted by (time, interval, kind) without duplicates, counts
// what the file reports, and points at whole records after the header.
void CheckIndex(XCStdFile& std, const std::filesystem::path& dataPath, const std::filesystem::path& indexPath)
{
    const std::vector<uint8_t> index = ScratchFolder::Read(indexPath);
    const size_t dataSize = ScratchFolder::Read(dataPath).size();
    const size_t count = index.size() / XCStdIndexFile::kEntrySize;
    FUZZ_CHECK(std.GetRecordCount() == int32_t(count));
    XCStdIndexFile::Entry previous;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* bytes = index.data() + k * XCStdIndexFile::kEntrySize;
        const XCStdIndexFile::Entry entry{Be32(bytes), Be32(bytes + 4), Be32(bytes + 8), Be32(bytes + 12)};
        FUZZ_CHECK(k == 0 || XCStdIndexFile::EntryGreater(entry, previous));
        FUZZ_CHECK(entry.offset >= uint32_t(XCStdFile::kMinHeaderLength));
        FUZZ_CHECK(entry.offset + uint64_t(std.GetRecordLength()) <= dataSize);
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
    SealFile(file, flags);

    const std::filesystem::path dataPath = ScratchFolder::File("data.std");
    const std::filesystem::path indexPath = ScratchFolder::File("data.istd");
    ScratchFolder::Write(dataPath, file);
    const bool givenIndex = flags & 8;
    if (givenIndex)
        ScratchFolder::Write(indexPath, index);
    else
        ScratchFolder::Remove(indexPath);
    const bool readOnly = flags & 4;
    const bool checked = failingCall == 0;

    XCStdFile std;
    {
        FileFaults faults;
        faults.Arm(failingCall);
        if (!std.Open(dataPath.u16string().c_str(), readOnly))
            return 0;
        if (checked && !givenIndex)
            CheckIndex(std, dataPath, indexPath);
        XCValue value;
        const int variables = static_cast<int>(std.GetRecordVariables().size());
        for (int k = 0; k < variables; ++k)
            std.GetValue(k, value);
        for (size_t k = 0; k < values.size() && variables > 0; ++k) {
            value.SetDouble(values[k] / 16.0);
            std.SetValue(static_cast<int>(k % size_t(variables)), value);
        }
        const int32_t countBefore = std.GetRecordCount();
        const size_t sizeBefore = ScratchFolder::Read(dataPath).size();
        const bool appended = std.AppendRecord();
        if (checked && !values.empty() && variables > 0) {
            // An appended record is one more record and one more entry; a refused one changes nothing.
            FUZZ_CHECK(std.GetRecordCount() == countBefore + (appended ? 1 : 0));
            FUZZ_CHECK(ScratchFolder::Read(dataPath).size() == sizeBefore + (appended ? std.GetRecordLength() : 0));
        }
        if (std.RebuildIndex() && checked)
            CheckIndex(std, dataPath, indexPath);
        const XCTime* first = std.GetFirstTime();
        std.GetLastTime();
        const XCTime from(first->IsValid() ? first->GetSeconds() + fromAfter : fromAfter, 0);
        const XCTime to(from.GetSeconds() + toAfter, 0);
        std.FindRecordByTime(from);
        if (std.DeleteRange(from, to) && checked)
            CheckIndex(std, dataPath, indexPath);
    }
    // Whatever a failing call left behind opens again or is refused, without harm.
    std.Open(dataPath.u16string().c_str(), true);
    return 0;
}
