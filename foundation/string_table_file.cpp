#include "foundation/string_table_file.h"

#include "foundation/modbus_crc16.h"
#include "foundation/text_encoding.h"

XCStringTableFile g_StringTable;

namespace {

uint16_t BigEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

uint32_t BigEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

}  // namespace

XCStringTableFile::~XCStringTableFile() { Close(); }

void XCStringTableFile::Close()
{
    file_.Close();
    index_.clear();
    index_.shrink_to_fit();
}

// The register is the CRC in transmission order, which is how ModbusCrc16 chains.
void XCStringTableFile::UpdateCrc(uint16_t& crc, const uint8_t* data, uint32_t length)
{
    crc = ModbusCrc16(data, length, crc);
}

bool XCStringTableFile::Load(const char* path)
{
    Close();
    if (!file_.Open(platform::PathFromNarrowName(path), platform::File::Mode::ReadOnly))
        return false;

    // Every part is read whole or the load fails: a short file yields no invented bytes.
    uint16_t crc = 0xFFFF;
    uint8_t countBytes[2];
    if (file_.Read(countBytes, 2) != 2) {
        Close();
        return false;
    }
    UpdateCrc(crc, countBytes, 2);
    const size_t count = BigEndian16(countBytes);
    if (count < 1) {
        Close();
        return true;
    }

    std::vector<uint8_t> raw(count * 8);
    uint8_t stored[2];
    if (file_.Read(raw.data(), raw.size()) != static_cast<int64_t>(raw.size()) || file_.Read(stored, 2) != 2) {
        Close();
        return false;
    }
    UpdateCrc(crc, raw.data(), static_cast<uint32_t>(raw.size()));
    if (BigEndian16(stored) != crc) {
        Close();
        return false;
    }
    index_.resize(count);
    for (size_t k = 0; k < index_.size(); ++k) {
        const uint8_t* entry = raw.data() + 8 * k;
        index_[k] = Entry{BigEndian16(entry), BigEndian16(entry + 6), BigEndian32(entry + 2)};
    }
    return true;
}

bool XCStringTableFile::GetString(XCStringW& out, uint16_t id)
{
    if (!file_.IsOpen())
        return false;
    int lo = 0;
    int hi = static_cast<int>(index_.size()) - 1;
    const Entry* found = nullptr;
    while (lo <= hi && found == nullptr) {
        const int mid = (lo + hi) / 2;
        if (index_[static_cast<size_t>(mid)].id == id)
            found = &index_[static_cast<size_t>(mid)];
        else if (index_[static_cast<size_t>(mid)].id > id)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    if (found == nullptr)
        return false;

    // The offset is a signed 32-bit position: one at or above 2^31 cannot be reached, and
    // 0xFFFFFFFF must not pass as the -1 of a failed seek.
    const int64_t offset = static_cast<int32_t>(found->offset);
    if (offset < 0 || file_.Seek(offset, platform::File::Origin::Begin) != offset)
        return false;
    std::vector<char> text(static_cast<size_t>(found->length) + 1, 0);
    if (file_.Read(text.data(), found->length) != found->length)
        return false;
    Utf8ToWide(out, XCStringA(text.data()));
    return true;
}

const char* LanguageCodeFromLangId(uint16_t langId)
{
    switch (langId & 0x3FF) {
    case 0x01: return "ar";
    case 0x02: return "bg";
    case 0x03: return "ca";
    case 0x04: return "zh";
    case 0x05: return "cs";
    case 0x06: return "da";
    case 0x07: return "de";
    case 0x08: return "el";
    case 0x09: return "en";
    case 0x0A: return "es";
    case 0x0B: return "fi";
    case 0x0C: return "fr";
    case 0x0D: return "he";
    case 0x0E: return "hu";
    case 0x0F: return "is";
    case 0x10: return "it";
    case 0x11: return "ja";
    case 0x13: return "nl";
    case 0x14: return "no";
    case 0x15: return "pl";
    case 0x16: return "pt";
    case 0x18: return "ro";
    case 0x19: return "ru";
    case 0x1A: return "hr";
    case 0x1B: return "sk";
    case 0x22: return "uk";
    case 0x23: return "be";
    case 0x24: return "sl";
    case 0x25: return "et";
    case 0x26: return "lv";
    case 0x27: return "lt";
    default: return "??";
    }
}
