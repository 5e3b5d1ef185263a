#include "foundation/string_table_file.h"

#include "foundation/modbus_crc16.h"
#include "tests/support/folder_fixture.h"
#include "tests/support/xc_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Entry {
    uint32_t id, offset, length;
};

// Count, index and CRC, the entries as they stand; the texts follow.
std::string MakeIndex(const std::vector<Entry>& entries)
{
    std::string index;
    auto put = [&index](uint32_t value, int bytes) {
        while (bytes-- > 0)
            index += static_cast<char>(value >> (8 * bytes));
    };
    put(static_cast<uint32_t>(entries.size()), 2);
    for (const Entry& entry : entries) {
        put(entry.id, 2);
        put(entry.offset, 4);
        put(entry.length, 2);
    }
    put(ModbusCrc16(reinterpret_cast<const uint8_t*>(index.data()), static_cast<uint32_t>(index.size())), 2);
    return index;
}

class StringTableFileTest : public InTemporaryFolder {
protected:
    bool Load(const std::string& bytes) { return table_.Load(WriteFile("table.stc", bytes).c_str()); }

    std::u16string Lookup(uint16_t id)
    {
        XCStringW out;
        return table_.GetString(out, id) ? U16(out) : u"<missing>";
    }

    XCStringTableFile table_;
};

}  // namespace

TEST_F(StringTableFileTest, DamagedOrShortFilesFailTheLoadAndLeaveTheTableClosed)
{
    const size_t crcAt = 2 + 8 * 2;
    const std::string good = MakeIndex({{1, crcAt + 2, 3}, {2, crcAt + 5, 3}}) + "onetwo";
    // Two zero bytes: an empty table that loads, closing what was open; every lookup fails.
    ASSERT_TRUE(Load(good));
    EXPECT_TRUE(Load(std::string(2, '\0')));
    EXPECT_EQ(Lookup(1), u"<missing>");
    // Swapped CRC bytes.
    std::string swapped = good;
    std::swap(swapped[crcAt], swapped[crcAt + 1]);
    ASSERT_TRUE(Load(good));
    EXPECT_FALSE(Load(swapped));
    EXPECT_EQ(Lookup(1), u"<missing>");
    // Any changed byte of the count, the index or the CRC; a file that ends inside them.
    for (size_t at = 0; at < crcAt + 2; ++at) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        EXPECT_FALSE(Load(damaged)) << "byte " << at;
        EXPECT_FALSE(Load(good.substr(0, at))) << at << " bytes";
    }
    // Texts lie outside the CRC and are read on demand.
    ASSERT_TRUE(Load(good.substr(0, crcAt + 2) + "Onetwo"));
    EXPECT_EQ(Lookup(1), u"One");
    EXPECT_FALSE(table_.Load(PathOf("missing.stc").c_str()));
}

TEST_F(StringTableFileTest, OnlyListedIdsAreFoundAndTextsPastTheEndFailOnlyTheirOwnLookup)
{
    const uint32_t textAt = 2 + 8 * 7 + 2;
    ASSERT_TRUE(Load(MakeIndex({{10, textAt, 2},
                                {20, textAt + 100, 1},    // starts past the end
                                {30, textAt + 1, 5},      // runs past it
                                {40, textAt + 1000, 0},   // empty, past the end: found
                                {50, 0x80000000u, 0},     // at 2^31 or more
                                {60, textAt, 0xFFFF},     // longer than the file
                                {70, 0xFFFFFFFFu, 2}}) +  // not to be taken for the -1 of a failed seek
                     "ok"));
    for (uint16_t id : {70, 20, 30, 50, 60, 0, 45, 65535})  // then ids below, between and above the listed ones
        EXPECT_EQ(Lookup(id), u"<missing>") << id;
    // The failed lookups leave the file readable.
    EXPECT_EQ(Lookup(40), u"");
    EXPECT_EQ(Lookup(10), u"ok");
}

TEST(LanguageCode, PrimaryLanguageChoosesTheCode)
{
    EXPECT_STREQ(LanguageCodeFromLangId(0x080A), "es");  // Spanish of any country
    EXPECT_STREQ(LanguageCodeFromLangId(0x0409), "en");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0412), "??");  // a gap of the table
}
