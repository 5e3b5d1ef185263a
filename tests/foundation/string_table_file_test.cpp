#include "foundation/string_table_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Text {
    uint16_t id;
    std::string utf8;
};

void PutBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int k = bytes - 1; k >= 0; --k)
        out += static_cast<char>(value >> (8 * k));
}

// Bit by bit, independent of the table-driven code under test.
uint16_t Crc16Modbus(const std::string& bytes)
{
    uint16_t crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

std::string WithCrc(const std::string& index)
{
    const uint16_t crc = Crc16Modbus(index);
    return index + static_cast<char>(crc & 0xFF) + static_cast<char>(crc >> 8);
}

// Count, index, CRC, then the texts in order.
std::string MakeTable(const std::vector<Text>& texts)
{
    std::string index;
    PutBigEndian(index, static_cast<uint32_t>(texts.size()), 2);
    uint32_t offset = static_cast<uint32_t>(2 + 8 * texts.size() + 2);
    std::string body;
    for (const Text& text : texts) {
        PutBigEndian(index, text.id, 2);
        PutBigEndian(index, offset, 4);
        PutBigEndian(index, static_cast<uint32_t>(text.utf8.size()), 2);
        offset += static_cast<uint32_t>(text.utf8.size());
        body += text.utf8;
    }
    return WithCrc(index) + body;
}

class StringTableFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kestrovane-stc-XXXXXX";
        folder_ = mkdtemp(pattern);
    }

    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& bytes, const std::string& name = "table.stc")
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    std::u16string Lookup(uint16_t id)
    {
        XCStringW out(u"untouched");
        if (!table_.GetString(out, id))
            return u"<missing>";
        return std::u16string(out.GetData(), static_cast<size_t>(out.GetLength()));
    }

    std::string folder_;
    XCStringTableFile table_;
};

}  // namespace

TEST_F(StringTableFileTest, LooksUpEveryIdAndMissesBelowBetweenAndAbove)
{
    ASSERT_TRUE(table_.Load(Write(MakeTable({{3, "Port"}, {7, "Puerto \xC3\xB1"}, {9, "\xF0\x9F\x98\x80"}, {12, ""}})).c_str()));
    EXPECT_EQ(Lookup(3), u"Port");                  // first id
    EXPECT_EQ(Lookup(7), u"Puerto \u00F1");          // UTF-8 decoded
    EXPECT_EQ(Lookup(9), u"\xD83D\xDE00");           // outside the BMP: a surrogate pair
    EXPECT_EQ(Lookup(12), u"");                     // last id, empty text found
    EXPECT_EQ(Lookup(2), u"<missing>");             // below the first
    EXPECT_EQ(Lookup(8), u"<missing>");             // between two ids
    EXPECT_EQ(Lookup(13), u"<missing>");            // above the last
    EXPECT_EQ(Lookup(3), u"Port");                  // lookups do not disturb each other
}

TEST_F(StringTableFileTest, EmptyIndexLoadsAsATableWithoutTexts)
{
    ASSERT_TRUE(table_.Load(Write(MakeTable({{1, "one"}})).c_str()));
    // Exactly two zero bytes: loads, and closes what was open before.
    EXPECT_TRUE(table_.Load(Write(std::string(2, '\0'), "empty.stc").c_str()));
    EXPECT_EQ(Lookup(1), u"<missing>");
    EXPECT_EQ(Lookup(0), u"<missing>");
}

TEST_F(StringTableFileTest, DamagedIndexOrCrcFailsTheLoadAndClosesTheTable)
{
    const std::string good = MakeTable({{1, "one"}, {2, "two"}});
    const size_t crcAt = 2 + 8 * 2;

    std::string swapped = good;
    std::swap(swapped[crcAt], swapped[crcAt + 1]);
    ASSERT_NE(swapped[crcAt], swapped[crcAt + 1]);
    ASSERT_TRUE(table_.Load(Write(good).c_str()));
    EXPECT_FALSE(table_.Load(Write(swapped, "swapped.stc").c_str()));
    EXPECT_EQ(Lookup(1), u"<missing>") << "a failed load leaves the table closed";

    // Any changed byte of the count or the index.
    for (size_t at = 0; at < crcAt; ++at) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        EXPECT_FALSE(table_.Load(Write(damaged, "damaged.stc").c_str())) << "byte " << at;
    }

    // The texts lie outside the CRC.
    std::string retexted = good;
    retexted[crcAt + 2] = 'O';
    ASSERT_TRUE(table_.Load(Write(retexted, "retexted.stc").c_str()));
    EXPECT_EQ(Lookup(1), u"One");
}

TEST_F(StringTableFileTest, FileEndingInsideCountIndexOrCrcFailsTheLoad)
{
    const std::string good = MakeTable({{1, "one"}, {2, "two"}});
    for (size_t length = 0; length < 2 + 8 * 2 + 2; ++length)
        EXPECT_FALSE(table_.Load(Write(good.substr(0, length), "short.stc").c_str())) << length << " bytes";
    EXPECT_TRUE(table_.Load(Write(good.substr(0, 2 + 8 * 2 + 2), "bare.stc").c_str())) << "texts are read on demand";
    EXPECT_EQ(Lookup(1), u"<missing>") << "a text past the end of the file";
}

TEST_F(StringTableFileTest, TextsPastTheEndFailOnlyTheirOwnLookup)
{
    // Hand-made index: entry 1 in the file, 2 starts past the end, 3 runs past it, 4 is empty past
    // the end, 5 lies at a position of 2^31 or more, 6 is longer than anything in the file, 7 lies
    // at 0xFFFFFFFF, which must not read as the -1 of a failed seek.
    const uint32_t textAt = 2 + 8 * 7 + 2;
    std::string index;
    PutBigEndian(index, 7, 2);
    const std::pair<uint32_t, uint32_t> entries[] = {{textAt, 2},         {textAt + 100, 1}, {textAt + 1, 5},
                                                     {textAt + 1000, 0},  {0x80000000u, 0},  {textAt, 0xFFFF},
                                                     {0xFFFFFFFFu, 2}};
    for (uint16_t k = 0; k < 7; ++k) {
        PutBigEndian(index, k + 1u, 2);
        PutBigEndian(index, entries[k].first, 4);
        PutBigEndian(index, entries[k].second, 2);
    }
    ASSERT_TRUE(table_.Load(Write(WithCrc(index) + "ok").c_str()));
    EXPECT_EQ(Lookup(7), u"<missing>");
    EXPECT_EQ(Lookup(1), u"ok");
    EXPECT_EQ(Lookup(2), u"<missing>");
    EXPECT_EQ(Lookup(3), u"<missing>");
    EXPECT_EQ(Lookup(4), u"");
    EXPECT_EQ(Lookup(5), u"<missing>");
    EXPECT_EQ(Lookup(6), u"<missing>");
    EXPECT_EQ(Lookup(1), u"ok");
}

TEST_F(StringTableFileTest, NarrowNameReachesTheFileOfItsLatin1Characters)
{
    Write(MakeTable({{1, "uno"}}), "Kestrovane.\xC3\xB1.stc");
    ASSERT_TRUE(table_.Load((folder_ + "/Kestrovane.\xF1.stc").c_str()));
    EXPECT_EQ(Lookup(1), u"uno");
    EXPECT_FALSE(table_.Load((folder_ + "/missing.stc").c_str()));
}

TEST(StringTableCrc, RegisterHoldsTheModbusCheckValueSwappedAndChains)
{
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    uint16_t whole = 0xFFFF;
    XCStringTableFile::UpdateCrc(whole, digits, 9);
    EXPECT_EQ(whole, 0x374B);  // CRC 0x4B37, stored as 37 4B
    uint16_t pieces = 0xFFFF;
    XCStringTableFile::UpdateCrc(pieces, digits, 4);
    XCStringTableFile::UpdateCrc(pieces, digits + 4, 5);
    EXPECT_EQ(pieces, whole);
}

TEST(LanguageCode, PrimaryLanguageChoosesTheCode)
{
    EXPECT_STREQ(LanguageCodeFromLangId(0x0C0A), "es");  // Spanish of any country
    EXPECT_STREQ(LanguageCodeFromLangId(0x080A), "es");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0409), "en");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0427), "lt");  // last of the table
    EXPECT_STREQ(LanguageCodeFromLangId(0x0412), "??");  // gaps of the table
    EXPECT_STREQ(LanguageCodeFromLangId(0x0017), "??");
    EXPECT_STREQ(LanguageCodeFromLangId(0x0000), "??");
}
