// Writes the fuzzers' first inputs that follow the file and frame formats, one folder per
// harness, from the test-side writers and two language files: fuzz-seeds <folder> <.stc file>
// <.stc file>. Plain inputs lie in seeds/ beside this file.
#include "platform/settings_store.h"
#include "recordfiles/std_file.h"
#include "tests/recordfiles/record_test_files.h"
#include "tests/support/modbus_frames.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace recordtest;

namespace {

void Write(const std::filesystem::path& root, const std::string& harness, const std::vector<Bytes>& seeds)
{
    std::filesystem::create_directories(root / harness);
    for (size_t k = 0; k < seeds.size(); ++k)
        WriteBytes(root / harness / ("seed-" + std::to_string(k + 1)), seeds[k]);
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Each piece after its length byte, as the reply harnesses read them.
Bytes Pieces(const Bytes& reply, size_t pieceSize)
{
    Bytes out;
    for (size_t at = 0; at < reply.size(); at += pieceSize) {
        const Bytes piece(reply.begin() + long(at), reply.begin() + long(std::min(at + pieceSize, reply.size())));
        out = Concat({out, Bytes{uint8_t(piece.size() - 1)}, piece});
    }
    return out;
}

std::vector<Bytes> EvaFiles()
{
    EvaImage sums(0, 15);
    EvaImage crcs(1, 2015);
    for (int minute = 0; minute < 12; ++minute) {
        sums.Record(Packed(6, 3, 1, 10, minute), uint16_t(minute), minute != 0 && minute != 7);
        crcs.Record(Packed(0, 3, 1, 10, minute * 2), uint16_t(minute), minute != 11);
    }
    const Bytes control = Concat({Be16(300), Be16(120), Be16(300)});  // search, from, to
    // Flags and the failing call first: deleting, and a file call failing while deleting.
    return {Concat({Bytes{0, 0}, control, crcs.bytes, Bytes{1, 2, 3}}), Concat({Bytes{0, 9}, control, sums.bytes})};
}

std::vector<Bytes> StdFiles()
{
    StdImage plain;
    plain.headerVariables = {{0x412C, Be16(15)}, {0x4140, Be16(2)}};
    plain.recordCodes = {0x0139, 0x41DA, 0x4156};
    plain.recordLength = 9;
    StdImage blobs = plain;
    blobs.recordCodes = {0x0139, 0x4380};
    blobs.recordLength = 7;
    blobs.headerVariables.push_back({0x31E9, Bytes{1}});
    blobs.text2 = "CA";
    blobs.countsInBytes = true;

    Bytes inOrder = plain.Header();
    Bytes withBlobs = blobs.Header();
    for (int minute = 0; minute < 10; ++minute) {
        const Bytes stamp = Be32(Packed(6, 3, 1, 10, minute));
        inOrder = Concat({inOrder, plain.Record(Concat({stamp, Be16(1), Be16(0x3005)}))});
        const Bytes blob(minute % 3, 'b');
        withBlobs = Concat({withBlobs, blobs.Record(Concat({stamp, Be16(uint16_t(blob.size()))})), blob});
    }
    // No index; from and to; two values to set.
    const Bytes noIndex = Concat({Be16(0), Be16(90), Be32(240), Bytes{2}, Be32(0x00001000), Be32(16)});
    const TempFolder folder;  // where the file's own class builds the index beside the data
    WriteBytes(folder / "data.std", inOrder);
    XCStdFile().Open(folder.Data().c_str(), false);
    const Bytes index = ReadBytes(folder / "data.istd");
    return {Concat({Bytes{8, 0}, Be16(uint16_t(index.size())), index, Be16(90), Be32(240), Bytes{0}, inOrder}),
            Concat({Bytes{0, 0}, noIndex, withBlobs}), Concat({Bytes{0, 12}, noIndex, inOrder})};
}

Bytes SettingsStore()
{
    TempFolder home;
    setenv("XDG_CONFIG_HOME", (home / "").c_str(), 1);
    platform::SettingsKey key;
    key.Create("Software\\Orvastel\\Kestrovane");
    key.SetString("Language", u"es");
    key.SetString("DownloadPath", u"/home/t\u00E9cnico/descargas %", platform::SettingType::ExpandString);
    return ReadBytes(platform::SettingsStorePath());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::filesystem::path root(argv[1]);
    // The first language file loads with its fourth file call failing.
    Write(root, "string_table", {Concat({Bytes{1, 4, 0}, ReadBytes(argv[2])}),
                                 Concat({Bytes{1, 0, 2}, Be16(2), Be16(0xFFFF), ReadBytes(argv[3])})});
    Write(root, "modbus_reply",
          {Concat({Bytes{0}, Be16(0), Be16(67), Pieces(testsupport::ReadReply(3, 67, 134), 7)}),
           Concat({Bytes{0}, Be16(0), Be16(67), Pieces(testsupport::WithCrc({1, 0x83, 2}), 5)}),
           Concat({Bytes{1}, Be16(21), Be16(1), Bytes{0, 1}, Pieces(testsupport::WithCrc({1, 16, 0, 21, 0, 1}), 8)})});
    Write(root, "eva_file", EvaFiles());
    Write(root, "std_file", StdFiles());
    const Bytes store = SettingsStore();
    Write(root, "settings_store",
          {Concat({Bytes{0, 8}, Text("Language"), store}), Concat({Bytes{3, 6}, Text("a b%c\n"), store})});
    return 0;
}
