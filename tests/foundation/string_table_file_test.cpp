#include "foundation/string_table_file.h"

#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

void PutBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int k = bytes - 1; k >= 0; --k)
        out += static_cast<char>(value >> (8 * k));
}

// Bit by bit, independent of the table-driven code under test; stored low byte first.
std::string WithCrc(const std::string& index)
{
    uint16_t crc = 0xFFFF;
    for (const char c : index) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return index + static_cast<char>(crc & 0xFF) + static_cast<char>(crc >> 8);
}

struct Entry {
    uint16_t id;
    uint32_t offset;
    uint32_t length;
};

// Count, index and CRC, the entries as they stand.
std::string MakeIndex(const std::vector<Entry>& entries)
{
    std::string index;
    PutBigEndian(index, static_cast<uint32_t>(entries.size()), 2);
    for (const Entry& entry : entries) {
        PutBigEndian(index, entry.id, 2);
        PutBigEndian(index, entry.offset, 4);
        PutBigEndian(index, entry.length, 2);
    }
    return WithCrc(index);
}

// The texts after the CRC, in order.
std::string MakeTable(const std::vector<std::pair<uint16_t, std::string>>& texts)
{
    std::vector<Entry> entries;
    uint32_t offset = static_cast<uint32_t>(2 + 8 * texts.size() + 2);
    std::string body;
    for (const auto& [id, text] : texts) {
        entries.push_back({id, offset, static_cast<uint32_t>(text.size())});
        offset += static_cast<uint32_t>(text.size());
        body += text;
    }
    return MakeIndex(entries) + body;
}

class StringTableFileTest : public InTemporaryFolder {
protected:
    bool Load(const std::string& bytes) { return table_.Load(WriteFile("table.stc", bytes).c_str()); }

    std::u16string Lookup(uint16_t id)
    {
        XCStringW out(u"untouched");
        return table_.GetString(out, id) ? U16(out) : u"<missing>";
    }

    XCStringTableFile table_;
};

}  // namespace

TEST_F(StringTableFileTest, DamagedOrShortFilesFailTheLoadAndLeaveTheTableClosed)
{
    const std::string good = MakeTable({{1, "one"}, {2, "two"}});
    const size_t crcAt = 2 + 8 * 2;
    // Two zero bytes: an empty table that loads, closing what was open; every lookup fails.
    ASSERT_TRUE(Load(good));
    EXPECT_TRUE(Load(std::string(2, '\0')));
    EXPECT_EQ(Lookup(1), u"<missing>");
    // Swapped CRC bytes.
    std::string swapped = good;
    std::swap(swapped[crcAt], swapped[crcAt + 1]);
    ASSERT_NE(swapped[crcAt], swapped[crcAt + 1]);
    ASSERT_TRUE(Load(good));
    EXPECT_FALSE(Load(swapped));
    EXPECT_EQ(Lookup(1), u"<missing>");
    // Any changed byte of the count or the index.
    for (size_t at = 0; at < crcAt; ++at) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        EXPECT_FALSE(Load(damaged)) << "byte " << at;
    }
    // A file that ends inside the count, the index or the CRC.
    for (size_t length = 0; length < crcAt + 2; ++length)
        EXPECT_FALSE(Load(good.substr(0, length))) << length << " bytes";
    // Texts lie outside the CRC and are read on demand.
    std::string retexted = good;
    retexted[crcAt + 2] = 'O';
    ASSERT_TRUE(Load(retexted));
    EXPECT_EQ(Lookup(1), u"One");
    EXPECT_FALSE(table_.Load(PathOf("missing.stc").c_str()));
}

TEST_F(StringTableFileTest, TextsPastTheEndFailOnlyTheirOwnLookup)
{
    const uint32_t textAt = 2 + 8 * 7 + 2;
    ASSERT_TRUE(Load(MakeIndex({{1, textAt, 2},
                                {2, textAt + 100, 1},    // starts past the end
                                {3, textAt + 1, 5},      // runs past it
                                {4, textAt + 1000, 0},   // empty, past the end: found
                                {5, 0x80000000u, 0},     // at 2^31 or more
                                {6, textAt, 0xFFFF},     // longer than the file
                                {7, 0xFFFFFFFFu, 2}}) +  // not to be taken for the -1 of a failed seek
                     "ok"));
    EXPECT_EQ(Lookup(7), u"<missing>");
    EXPECT_EQ(Lookup(1), u"ok");
    for (uint16_t id : {2, 3, 5, 6})
        EXPECT_EQ(Lookup(id), u"<missing>") << id;
    EXPECT_EQ(Lookup(4), u"");
    EXPECT_EQ(Lookup(1), u"ok");
}

TEST(LanguageCode, PrimaryLanguageChoosesTheCode)
{
    EXPECT_STREQ(LanguageCodeFromLangId(0x0C0A), "es");  // Spanish of any country
    EXPECT_STREQ(LanguageCodeFromLangId(0x080A), "es");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0409), "en");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0412), "??");  // a gap of the table
}
