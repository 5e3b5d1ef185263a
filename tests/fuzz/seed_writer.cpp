// Writes the fuzzers' first inputs, one folder per harness, from the test-side file writers
// and two language files: fuzz-seeds <folder> <.stc file> <.stc file>.
#include "platform/settings_store.h"
#include "recordfiles/std_file.h"
#include "tests/recordfiles/record_test_files.h"
#include "tests/support/modbus_frames.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using recordtest::Be16;
using recordtest::Be32;
using recordtest::Bytes;
using recordtest::Concat;
using recordtest::Packed;

namespace {

void Write(const std::filesystem::path& root, const std::string& harness, const std::vector<Bytes>& seeds)
{
    std::filesystem::create_directories(root / harness);
    for (size_t k = 0; k < seeds.size(); ++k)
        recordtest::WriteBytes(root / harness / ("seed-" + std::to_string(k + 1)), seeds[k]);
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Each piece after its length byte, as the reply harnesses read them.
Bytes Pieces(const Bytes& reply, size_t pieceSize)
{
    Bytes out;
    for (size_t at = 0; at < reply.size(); at += pieceSize) {
        const size_t n = std::min(pieceSize, reply.size() - at);
        out = Concat({out, Bytes{uint8_t(n - 1)}, Bytes(reply.begin() + long(at), reply.begin() + long(at + n))});
    }
    return out;
}

std::vector<Bytes> EvaFiles()
{
    recordtest::EvaImage sums(0, 15);
    recordtest::EvaImage crcs(1, 2015);
    for (int minute = 0; minute < 12; ++minute) {
        sums.Record(Packed(6, 3, 1, 10, minute), uint16_t(minute), minute != 0 && minute != 7);
        crcs.Record(Packed(0, 3, 1, 10, minute * 2), uint16_t(minute), minute != 11);
    }
    const Bytes control = Concat({Be16(300), Be16(120), Be16(300)});  // search, from, to
    // Flags and the failing call first: deleting, read-only, and a file call failing while deleting.
    return {Concat({Bytes{0, 0}, control, crcs.bytes, Bytes{1, 2, 3}}), Concat({Bytes{4, 0}, control, crcs.bytes}),
            Concat({Bytes{0, 9}, control, sums.bytes})};
}

std::vector<Bytes> StdFiles()
{
    recordtest::StdImage plain;
    plain.headerVariables = {{0x412C, Be16(15)}, {0x4140, Be16(2)}};
    plain.recordCodes = {0x0139, 0x41DA, 0x4156};
    plain.recordLength = 9;
    recordtest::StdImage blobs = plain;
    blobs.recordCodes = {0x0139, 0x4380};
    blobs.recordLength = 7;
    blobs.headerVariables.push_back({0x31E9, Bytes{1}});
    blobs.text2 = "CA";
    blobs.countsInBytes = true;
    recordtest::StdImage counted = plain;  // the interval from a count of samples and a rate
    counted.recordCodes = {0x0139, 0x416A, 0x4157, 0x5156};
    counted.recordLength = 11;

    Bytes inOrder = plain.Header();
    Bytes descending = plain.Header();
    Bytes withBlobs = blobs.Header();
    Bytes withCounts = counted.Header();
    for (int minute = 0; minute < 10; ++minute) {
        const Bytes stamp = Be32(Packed(6, 3, 1, 10, minute));
        inOrder = Concat({inOrder, plain.Record(Concat({stamp, Be16(1), Be16(0x3005)}))});
        descending = Concat({descending, plain.Record(Concat({Be32(Packed(6, 3, 1, 10, 59 - minute)), Be16(2)}))});
        const Bytes blob(minute % 3, 'b');
        withBlobs = Concat({withBlobs, blobs.Record(Concat({stamp, Be16(uint16_t(blob.size()))})), blob});
        const Bytes samples = Concat({Be16(10), Be16(uint16_t(minute * 10)), Be16(0xF000)});
        withCounts = Concat({withCounts, counted.Record(Concat({stamp, samples}))});
    }
    // No index; from and to; two values to set.
    const Bytes noIndex = Concat({Be16(0), Be16(90), Be32(240), Bytes{2}, Be32(0x00001000), Be32(16)});
    const recordtest::TempFolder folder;  // where the file's own class builds the index beside the data
    recordtest::WriteBytes(folder / "data.std", inOrder);
    XCStdFile().Open(folder.Data().c_str(), false);
    const Bytes index = recordtest::ReadBytes(folder / "data.istd");
    return {Concat({Bytes{8, 0}, Be16(uint16_t(index.size())), index, Be16(90), Be32(240), Bytes{0}, inOrder}),
            Concat({Bytes{0, 0}, noIndex, descending}), Concat({Bytes{0, 0}, noIndex, withBlobs}),
            Concat({Bytes{0, 0}, noIndex, withCounts}), Concat({Bytes{0, 12}, noIndex, inOrder})};
}

Bytes SettingsStore()
{
    recordtest::TempFolder home;
    setenv("XDG_CONFIG_HOME", (home / "").c_str(), 1);
    platform::SettingsKey key;
    key.Create("Software\\Orvastel\\Kestrovane");
    key.SetString("Language", u"es");
    key.SetString("DownloadPath", u"/home/t\u00E9cnico/descargas %", platform::SettingType::ExpandString);
    return recordtest::ReadBytes(platform::SettingsStorePath());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::filesystem::path root(argv[1]);
    // The first language file loads with its fourth file call failing; the last seed is an empty index.
    Write(root, "string_table", {Concat({Bytes{1, 4, 0}, recordtest::ReadBytes(argv[2])}),
                                 Concat({Bytes{1, 0, 2}, Be16(2), Be16(0xFFFF), recordtest::ReadBytes(argv[3])}),
                                 Bytes{0, 0, 0, 0, 0}});
    Write(root, "xml_document",
          {Concat({Bytes{2, 0}, Text("<config><productName>Kestrovane</productName><port>3</port></config>")}),
           Concat({Bytes{0, 16}, Text("item?id=3?/value"),
                   Text("\xEF\xBB\xBF<r>\n <item a='1' b=\"x&y\"><id>3</id><value>v &amp; &lt;w&gt;</value></item>"
                        "<empty/><e x=\"1\" /><\xC3\xA9t\xC3\xA9>\xF0\x9F\x98\x80</\xC3\xA9t\xC3\xA9></r>")})});
    Write(root, "modbus_reply",
          {Concat({Bytes{0}, Be16(0), Be16(67), Pieces(testsupport::ReadReply(3, 67, 134), 7)}),
           Concat({Bytes{0}, Be16(0), Be16(67), Pieces(testsupport::WithCrc({1, 0x83, 2}), 5)}),
           Concat({Bytes{1}, Be16(21), Be16(1), Bytes{0, 1}, Pieces(testsupport::WithCrc({1, 16, 0, 21, 0, 1}), 8)})});
    const Bytes tcpReply = {0, 7, 0, 0, 0, 9, 1, 3, 6, 0, 1, 0, 2, 0, 3};
    const Bytes tcpBusy = {0, 7, 0, 0, 0, 3, 1, 0x83, 6};
    Write(root, "modbus_tcp_reply", {Concat({Be16(7), Bytes{3}, Pieces(tcpReply, 4)}),
                                     Concat({Be16(7), Bytes{3}, Pieces(tcpBusy, 9), Pieces(tcpReply, 15)})});
    Write(root, "ascii_reply", {Concat({Bytes{0}, Text("\r\nOK\r\n")})});
    Write(root, "eva_file", EvaFiles());
    Write(root, "std_file", StdFiles());
    const Bytes store = SettingsStore();
    Write(root, "settings_store",
          {Concat({Bytes{0, 8}, Text("Language"), store}), Concat({Bytes{3, 6}, Text("a b%c\n"), store})});
    return 0;
}
