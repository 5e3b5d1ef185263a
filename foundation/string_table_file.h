#pragma once
#include "foundation/xc_string.h"
#include "platform/file.h"

#include <cstdint>
#include <vector>

// A language file of user-interface texts looked up by 16-bit id. The sorted index is held in
// memory; the file stays open and each lookup reads its text from it. Lookups move the file
// position, so they must not overlap.
//
// File layout, integers big-endian: u16 count; count entries of (u16 id, u32 absolute offset,
// u16 length in bytes) sorted by id; CRC-16/MODBUS over count and index, low byte first;
// the UTF-8 texts, anywhere, not covered by the CRC.
class XCStringTableFile {
public:
    struct Entry {
        uint16_t id;
        uint16_t length;
        uint32_t offset;
    };

    XCStringTableFile() = default;
    XCStringTableFile(const XCStringTableFile&) = delete;
    XCStringTableFile& operator=(const XCStringTableFile&) = delete;
    virtual ~XCStringTableFile();

    // Opens the file named by an 8-bit path and reads its index. True when the table is ready,
    // or when the file holds an empty index (the table then stays closed and every lookup fails).
    bool Load(const char* path);

    // Replaces `out` by the text of `id`; false, leaving `out` untouched, when there is no such
    // text or it cannot be read whole.
    bool GetString(XCStringW& out, uint16_t id);

    // Advances a CRC register over `length` bytes. Started at 0xFFFF, it ends holding the
    // CRC-16/MODBUS with its two bytes swapped (the byte stored first in the high 8 bits).
    static void UpdateCrc(uint16_t& crc, const uint8_t* data, uint32_t length);

private:
    void Close();

    std::vector<Entry> index_;
    platform::File file_;
};

// The two-letter code of the primary language of a Windows language id; "??" when unknown.
const char* LanguageCodeFromLangId(uint16_t langId);

// The program's one language table, loaded at start-up.
extern XCStringTableFile g_StringTable;
