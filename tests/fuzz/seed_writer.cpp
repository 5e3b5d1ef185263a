// Writes the fuzzers' first inputs, one folder per harness, from the test-side file writers
// and the language files given on the command line: fuzz-seeds <folder> <.stc file>...
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

class SeedFolder {
public:
    SeedFolder(const std::filesystem::path& root, const std::string& harness) : path_(root / harness)
    {
        std::filesystem::create_directories(path_);
    }
    void Add(const Bytes& seed) { recordtest::WriteBytes(path_ / ("seed-" + std::to_string(++count_)), seed); }

private:
    std::filesystem::path path_;
    int count_ = 0;
};

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Each piece after its length byte, as the reply harnesses read them.
Bytes Pieces(const Bytes& reply, size_t pieceSize)
{
    Bytes out;
    for (size_t at = 0; at < reply.size(); at += pieceSize) {
        const size_t n = std::min(pieceSize, reply.size() - at);
        out.push_back(uint8_t(n - 1));
        out.insert(out.end(), reply.begin() + long(at), reply.begin() + long(at + n));
    }
    return out;
}

void StringTables(const std::filesystem::path& root, int argc, char** argv)
{
    SeedFolder seeds(root, "string_table");
    for (int k = 2; k < argc; ++k) {
        const Bytes table = recordtest::ReadBytes(argv[k]);
        seeds.Add(Concat({Bytes{1, 0, 2}, Be16(2), Be16(0xFFFF), table}));
        seeds.Add(Concat({Bytes{1, 4, 0}, table}));
    }
    seeds.Add(Bytes{0, 0, 0, 0, 0});
}

void XmlDocuments(const std::filesystem::path& root)
{
    SeedFolder seeds(root, "xml_document");
    const std::string config = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><config><productName>"
                               "Kestrovane</productName><icono>Kestrovane.ico</icono><port>3</port></config>";
    seeds.Add(Concat({Bytes{0, 4}, Text("port"), Text(config)}));
    seeds.Add(Concat({Bytes{2, 0}, Text(config)}));
    seeds.Add(Concat({Bytes{0, 16}, Text("item?id=3?/value"),
                      Text("\xEF\xBB\xBF<r>\n <item a='1' b=\"x&y\"><id>3</id><value>v &amp; &lt;w&gt;</value></item>"
                           "<empty/><e x=\"1\" /><\xC3\xA9t\xC3\xA9>\xF0\x9F\x98\x80</\xC3\xA9t\xC3\xA9></r>")}));
}

void ModbusReplies(const std::filesystem::path& root)
{
    SeedFolder rtu(root, "modbus_reply");
    const Bytes readOut = testsupport::ReadReply(3, 67, 134);
    rtu.Add(Concat({Bytes{0}, Be16(0), Be16(67), Pieces(readOut, 139)}));
    rtu.Add(Concat({Bytes{0}, Be16(0), Be16(67), Pieces(readOut, 7)}));
    rtu.Add(Concat({Bytes{2}, Be16(0), Be16(180), Pieces(testsupport::ReadReply(4, 180, 0), 200)}));
    rtu.Add(Concat({Bytes{0}, Be16(0), Be16(67), Pieces({0x01, 0x83, 0x02, 0xC0, 0xF1}, 5)}));
    rtu.Add(Concat({Bytes{1}, Be16(21), Be16(1), Bytes{0, 1},
                    Pieces(testsupport::WithCrc({1, 0x10, 0, 21, 0, 1}), 8)}));

    SeedFolder tcp(root, "modbus_tcp_reply");
    Bytes reply = {0, 7, 0, 0, 0, 9, 1, 3, 6, 0, 1, 0, 2, 0, 3};
    tcp.Add(Concat({Be16(7), Bytes{3}, Pieces(reply, 4)}));
    tcp.Add(Concat({Be16(7), Bytes{3}, Pieces({0, 7, 0, 0, 0, 3, 1, 0x83, 6}, 9), Pieces(reply, 15)}));

    SeedFolder ascii(root, "ascii_reply");
    ascii.Add(Concat({Bytes{0}, Text("\r\nOK\r\n")}));
    ascii.Add(Concat({Bytes{15}, Text("\r\nlong reply without its end")}));
}

void EvaFiles(const std::filesystem::path& root)
{
    SeedFolder seeds(root, "eva_file");
    recordtest::EvaImage sums(0, 15);
    recordtest::EvaImage crcs(1, 2015);
    for (int minute = 0; minute < 12; ++minute) {
        sums.Record(Packed(6, 3, 1, 10, minute), uint16_t(minute), minute != 0 && minute != 7);
        crcs.Record(Packed(0, 3, 1, 10, minute * 2), uint16_t(minute), minute != 11);
    }
    const Bytes control = Concat({Be16(300), Be16(120), Be16(300)});
    seeds.Add(Concat({Bytes{0, 0}, control, sums.bytes}));
    seeds.Add(Concat({Bytes{0, 0}, control, crcs.bytes, Bytes{1, 2, 3}}));
    seeds.Add(Concat({Bytes{4, 0}, control, crcs.bytes}));
    seeds.Add(Concat({Bytes{0, 9}, control, sums.bytes}));
}

// The index the file's own class builds beside the data.
Bytes BuiltIndex(const Bytes& data)
{
    recordtest::TempFolder folder;
    recordtest::WriteBytes(folder / "data.std", data);
    XCStdFile file;
    file.Open(folder.Data().c_str(), false);
    file.Close();
    return recordtest::ReadBytes(folder / "data.istd");
}

void StdFiles(const std::filesystem::path& root)
{
    SeedFolder seeds(root, "std_file");
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
        withBlobs = Concat({withBlobs, blobs.Record(Concat({stamp, Be16(uint16_t(minute % 3))})), Bytes(minute % 3, 'b')});
        withCounts = Concat({withCounts, counted.Record(Concat({stamp, Be16(10), Be16(uint16_t(minute * 10)), Be16(0xF000)}))});
    }
    const Bytes noIndex = Concat({Be16(0), Be16(90), Be32(240), Bytes{2}, Be32(0x00001000), Be32(16)});
    const Bytes index = BuiltIndex(inOrder);
    seeds.Add(Concat({Bytes{0, 0}, noIndex, inOrder}));
    seeds.Add(Concat({Bytes{8, 0}, Be16(uint16_t(index.size())), index, Be16(90), Be32(240), Bytes{0}, inOrder}));
    seeds.Add(Concat({Bytes{0, 0}, noIndex, descending}));
    seeds.Add(Concat({Bytes{0, 0}, noIndex, withBlobs}));
    seeds.Add(Concat({Bytes{0, 0}, noIndex, withCounts}));
    seeds.Add(Concat({Bytes{0, 12}, noIndex, inOrder}));
}

void SettingsStores(const std::filesystem::path& root)
{
    SeedFolder seeds(root, "settings_store");
    recordtest::TempFolder home;
    setenv("XDG_CONFIG_HOME", (home / "").c_str(), 1);
    platform::SettingsKey key;
    key.Create("Software\\Orvastel\\Kestrovane");
    key.SetString("Language", u"es");
    key.SetString("DownloadPath", u"/home/t\u00E9cnico/descargas %", platform::SettingType::ExpandString);
    const Bytes store = recordtest::ReadBytes(platform::SettingsStorePath());
    seeds.Add(Concat({Bytes{0, 4}, Text("Port"), store}));
    seeds.Add(Concat({Bytes{0, 8}, Text("Language"), store}));
    seeds.Add(Concat({Bytes{3, 6}, Text("a b%c\n"), store}));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::filesystem::path root(argv[1]);
    StringTables(root, argc, argv);
    XmlDocuments(root);
    ModbusReplies(root);
    EvaFiles(root);
    StdFiles(root);
    SettingsStores(root);
    return 0;
}
