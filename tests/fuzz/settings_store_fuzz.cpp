// The settings store's file as a damaged disk or a hand edit might leave it: read the program's
// values, then store one more and read everything back. Input: the file call to fail while
// storing (0: none), a value name's length and bytes, then the store file.
#include "platform/settings_store.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kKey[] = "Software\\Orvastel\\Kestrovane";

struct Reading {
    bool found;
    std::u16string text;
    bool operator==(const Reading& other) const { return found == other.found && text == other.text; }
};

Reading Language()
{
    platform::SettingsKey key;
    Reading reading{false, u""};
    reading.found = key.Open(kKey) && key.QueryString("Language", 32, reading.text);
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool homed = setenv("XDG_CONFIG_HOME", ScratchFolder::Path().c_str(), 1) == 0;
    FUZZ_CHECK(homed);
    FuzzInput input(data, size);
    const int failingCall = input.Byte();
    const std::vector<uint8_t> nameBytes = input.Bytes(input.Byte());
    const std::string name(nameBytes.begin(), nameBytes.end());
    std::filesystem::create_directories(ScratchFolder::Path() / "Orvastel");
    ScratchFolder::Write(platform::SettingsStorePath(), input.Rest());
    FileFaults faults;

    const Reading language = Language();
    platform::SettingsKey key;
    std::u16string folder;
    uint32_t number = 0;
    if (key.Open(kKey)) {
        key.QueryString("DownloadPath", 260, folder);
        key.QueryDword(name, number);
    }

    FUZZ_CHECK(key.Create(kKey));
    const std::vector<uint8_t> before = ScratchFolder::Read(platform::SettingsStorePath());
    faults.Arm(failingCall);
    const bool stored = key.SetDword(name, 0x12345678);
    faults.Arm(0);
    if (!stored) {
        // Only a failing call or an empty name is refused, and a refused change leaves the store as it was.
        FUZZ_CHECK(failingCall != 0 || name.empty());
        FUZZ_CHECK(ScratchFolder::Read(platform::SettingsStorePath()) == before);
        return 0;
    }
    FUZZ_CHECK(key.QueryDword(name, number) && number == 0x12345678);
    FUZZ_CHECK(name == "Language" || Language() == language);
    return 0;
}
