// An EVA file as a user might copy it in: open, search by time, delete a time range.
// Input: flags (bit 0: seal the header, bit 1: seal every record, bit 2: read-only), the file
// call to fail (0: none), three offsets in seconds from the first record's time (search, from,
// to), then the file.
#include "foundation/modbus_crc16.h"
#include "recordfiles/eva_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <vector>

namespace {

void Seal(uint8_t* block, size_t length, unsigned type)
{
    if (type == XCEvaFile::kCrcChecksum) {
        const uint16_t crc = ModbusCrc16(block, static_cast<uint32_t>(length - 2));
        block[length - 2] = static_cast<uint8_t>(crc >> 8);
        block[length - 1] = static_cast<uint8_t>(crc);
        return;
    }
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < length; ++i)
        sum = static_cast<uint8_t>(sum + block[i]);
    block[length - 1] = static_cast<uint8_t>(0xFF - sum);
}

void SealFile(std::vector<uint8_t>& file, uint8_t flags)
{
    const size_t header = XCEvaFile::kHeaderSize;
    const size_t record = XCEvaFile::kRecordSize;
    if (file.size() < header)
        return;
    const unsigned type = unsigned(file[28]) << 8 | file[29];
    if (flags & 1)
        Seal(file.data(), header, type);
    for (size_t at = header; (flags & 2) && at + record <= file.size(); at += record)
        Seal(file.data() + at, record, type);
}

XCTime After(const XCTime& base, uint16_t seconds)
{
    return XCTime(base.IsValid() ? base.GetSeconds() + seconds : seconds, 0);
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
    SealFile(file, flags);
    const std::filesystem::path path = ScratchFolder::File("data.eva");
    ScratchFolder::Write(path, file);
    const bool readOnly = flags & 4;

    XCEvaFile eva;
    {
        FileFaults faults;
        faults.Arm(failingCall);
        if (eva.Open(path.u16string().c_str(), readOnly)) {
            const XCTime first = *eva.GetFirstTime();
            const int found = eva.FindRecordByTime(After(first, searchAfter));
            FUZZ_CHECK(found == -1 || (found >= eva.GetFirstValidIndex() && found <= eva.GetLastValidIndex()));
            const XCTime from = After(first, fromAfter);
            const XCTime to = After(first, toAfter);
            // The range the deletion must remove, found as it finds it.
            const int a = eva.FindRecordByTime(from);
            int b = eva.FindRecordByTime(to);
            if (b == a && b < eva.GetRecordCount() - 1)
                ++b;
            const bool deleted = eva.DeleteRange(from, to);
            if (failingCall == 0) {
                std::vector<uint8_t> expected = file;
                if (deleted) {
                    FUZZ_CHECK(a >= 0 && b >= a);
                    expected.erase(expected.begin() + XCEvaFile::kHeaderSize + XCEvaFile::kRecordSize * a,
                                   expected.begin() + XCEvaFile::kHeaderSize + XCEvaFile::kRecordSize * b);
                    FUZZ_CHECK(eva.IsOpen());
                    FUZZ_CHECK(eva.GetRecordCount() == int(expected.size() - XCEvaFile::kHeaderSize) / XCEvaFile::kRecordSize);
                }
                // Nothing else is changed, and a refused deletion changes nothing.
                FUZZ_CHECK(ScratchFolder::Read(path) == expected);
            }
        }
    }
    // Whatever a failing call left behind opens again or is refused, without harm.
    eva.Open(path.u16string().c_str(), true);
    return 0;
}
