// A language file as a user might copy it in: load, then look up fuzzed ids and the ids of
// its own index. Input: flags (bit 0: seal the index with its right CRC), the file call to
// fail (0: none), the count of fuzzed ids and the ids, then the file.
#include "foundation/string_table_file.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t flags = input.Byte();
    const int failingCall = input.Byte();
    std::vector<uint16_t> ids(input.Byte() % 16);
    for (uint16_t& id : ids)
        id = input.U16();
    std::vector<uint8_t> file = input.Rest();
    // The index: its entry count, 8 bytes an entry (the id first), then its CRC (none without entries).
    const size_t count = file.size() < 2 ? 0 : size_t(file[0] << 8 | file[1]);
    const size_t crcAt = 2 + 8 * count;
    const bool sealed = (flags & 1) && file.size() >= crcAt + (count > 0 ? 2 : 0);
    if (sealed && count > 0)
        SetCrc(file.data(), crcAt + 2);
    for (size_t k = 2; k + 2 <= file.size() && k < 2 + 8 * 32; k += 8)
        ids.push_back(static_cast<uint16_t>(file[k] << 8 | file[k + 1]));

    static const recordtest::TempFolder folder;
    const std::string path = (folder / "table.stc").string();
    recordtest::WriteBytes(path, file);
    XCStringTableFile table;
    const FileFaults faults(failingCall);
    // A sealed index that the file holds whole always loads.
    FUZZ_CHECK(table.Load(path.c_str()) || failingCall != 0 || !sealed);
    for (uint16_t id : ids) {
        XCStringW text(u"untouched");
        FUZZ_CHECK(table.GetString(text, id) ||
                   std::u16string(text.GetData(), size_t(text.GetLength())) == u"untouched");
    }
    return 0;
}
