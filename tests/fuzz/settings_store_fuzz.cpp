// The settings store's file as a damaged disk or a hand edit might leave it: read the program's
// values, then store one more and read everything back. Input: the file call to fail while
// storing (0: none), a value name's length and bytes, then the store file.
#include "platform/settings_store.h"
#include "tests/fuzz/file_faults.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <cstdlib>
#include <string>
#include <vector>

const char kKey[] = "Software\\Orvastel\\Kestrovane";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const recordtest::TempFolder home;
    static const bool homed = setenv("XDG_CONFIG_HOME", (home / "").c_str(), 1) == 0;
    FUZZ_CHECK(homed);
    FuzzInput input(data, size);
    const int failingCall = input.Byte();
    const std::vector<uint8_t> nameBytes = input.Bytes(input.Byte());
    const std::string name(nameBytes.begin(), nameBytes.end());
    std::filesystem::create_directories(home / "Orvastel");
    const std::string store = platform::SettingsStorePath();
    recordtest::WriteBytes(store, input.Rest());
    FileFaults faults(0);

    platform::SettingsKey key;
    key.Open(kKey);
    std::u16string language, folder, languageAfter;
    uint32_t number = 0;
    const bool hasLanguage = key.QueryString("Language", 32, language);
    key.QueryString("DownloadPath", 260, folder);
    key.QueryDword(name, number);

    FUZZ_CHECK(key.Create(kKey));
    const std::vector<uint8_t> before = recordtest::ReadBytes(store);
    faults.Arm(failingCall);
    const bool stored = key.SetDword(name, 0x12345678);
    faults.Arm(0);
    // Only a failing call or an empty name is refused, and a refused change leaves the store as it
    // was; a stored value reads back and leaves the language as it was.
    if (!stored)
        FUZZ_CHECK((failingCall != 0 || name.empty()) && recordtest::ReadBytes(store) == before);
    else
        FUZZ_CHECK(key.QueryDword(name, number) && number == 0x12345678 &&
                   (name == "Language" ||
                    (key.QueryString("Language", 32, languageAfter) == hasLanguage && languageAfter == language)));
    return 0;
}
