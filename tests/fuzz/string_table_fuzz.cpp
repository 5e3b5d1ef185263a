// A language file as a user might copy it in: load, then look up fuzzed ids and the ids of
// its own index. Input: flags (bit 0: seal the index with its right CRC), the file call to
// fail (0: none), the count of fuzzed ids and the ids, then the file.
#include "foundation/modbus_crc16.h"
#include "foundation/string_table_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <string>
#include <vector>

namespace {

void SealIndex(std::vector<uint8_t>& file)
{
    if (file.size() < 2)
        return;
    const size_t count = size_t(file[0]) << 8 | file[1];
    const size_t crcAt = 2 + 8 * count;
    if (count == 0 || file.size() < crcAt + 2)
        return;
    const uint16_t crc = ModbusCrc16(file.data(), static_cast<uint32_t>(crcAt));
    file[crcAt] = static_cast<uint8_t>(crc >> 8);
    file[crcAt + 1] = static_cast<uint8_t>(crc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t flags = input.Byte();
    const int failingCall = input.Byte();
    std::vector<uint16_t> ids(input.Byte() % 16);
    for (uint16_t& id : ids)
        id = input.U16();
    std::vector<uint8_t> file = input.Rest();
    if (flags & 1)
        SealIndex(file);
    for (size_t k = 2; k + 2 <= file.size() && k < 2 + 8 * 32; k += 8)
        ids.push_back(static_cast<uint16_t>(file[k] << 8 | file[k + 1]));

    const std::string path = ScratchFolder::File("table.stc").string();
    ScratchFolder::Write(path, file);
    XCStringTableFile table;
    FileFaults faults;
    faults.Arm(failingCall);
    const bool loaded = table.Load(path.c_str());
    if (failingCall == 0 && (flags & 1) && file.size() >= 4) {
        // A sealed index that the file holds whole always loads.
        const size_t count = size_t(file[0]) << 8 | file[1];
        FUZZ_CHECK(loaded || file.size() < 2 + 8 * count + 2);
    }
    for (uint16_t id : ids) {
        XCStringW text(u"untouched");
        if (!table.GetString(text, id))
            FUZZ_CHECK(text.GetLength() == 9 && text.GetData()[0] == u'u');
    }
    return 0;
}
