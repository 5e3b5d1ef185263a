#include "tests/recordfiles/std_file_fixture.h"

using namespace recordtest;

using StdHeader = StdFileTest;

TEST_F(StdHeader, LengthBoundsAndChecksumTypes)
{
    StdImage image = Image({}, {}, 2);
    for (int length : {27, 28, 16384, 16385}) {
        image.headerLength = length;
        // An empty index spares the rebuild, which needs a time stamp.
        WriteBytes(folder_ / "data.std", image.Header());
        WriteBytes(folder_ / "data.istd", {});
        EXPECT_EQ(Reopen(false, false), length == 28 || length == 16384) << length;
    }
    // Types 0 and 1 are the same 8-bit check; 2 passes the type check but never verifies.
    image = StdImage();
    for (uint16_t type : {0, 1, 2, 3}) {
        image.checksumType = type;
        EXPECT_EQ(Open(image.Header()), type < 2) << type;
    }
    Bytes damaged = StdImage().Header();
    damaged[3] ^= 1;
    EXPECT_FALSE(Open(damaged));
    unsigned char block[5] = {1, 2, 250, 9, 0};
    ASSERT_TRUE(XCStdFile::WriteChecksum(1, block, sizeof block));
    EXPECT_TRUE(XCStdFile::VerifyChecksum(0, block, sizeof block));
}

TEST_F(StdHeader, BaseYearAndUnitScalesFromHeaderVariables)
{
    // Base year: none, two digits, four digits, a text (no number counts as 0), and two (the later one wins).
    const std::pair<Variables, int> years[] = {
        {{}, 1992}, {{{0x412C, Be16(15)}}, 2015}, {{{0x412C, Be16(85)}}, 1985}, {{{0x412C, Be16(2010)}}, 2010},
        {{{0xF12C, Bytes{'1', '5'}}}, 2000}, {{{0x412C, Be16(15)}, {0x312C, Bytes{99}}}, 1999}};
    for (const auto& [variables, year] : years) {
        ASSERT_TRUE(Open(Image(variables).Header())) << year;
        EXPECT_EQ(file_.GetYearBase(), year);
    }
    // Unit scales the last header leaves to their defaults.
    EXPECT_DOUBLE_EQ(file_.GetUnitScale(322), 0.001);
    EXPECT_EQ(file_.GetUnitScale(0x1A5), 0.0);  // not given by this header
    // A base year near the integer limit gives invalid times, not an overflow.
    StdImage huge = Image({{0x012C, Be32(0x7FFFFFF0)}});
    ASSERT_TRUE(Open(Concat({huge.Header(), huge.Record(Be32(Packed(63, 1, 1, 0, 0)))})));
    EXPECT_EQ(file_.GetRecordCount(), 1);
    EXPECT_FALSE(file_.GetFirstTime()->IsValid());
    // Unit scales given: ten to the header value.
    ASSERT_TRUE(Open(Image({{0x4142, Be16(1)}, {0x4140, Be16(0xFFFE)}, {0x4FC7, Be16(2)}}).Header()));
    EXPECT_DOUBLE_EQ(file_.GetUnitScale(322), 0.01);  // 10^(1 - 3)
    EXPECT_DOUBLE_EQ(file_.GetUnitScale(320), 0.01);
    EXPECT_DOUBLE_EQ(file_.GetUnitScale(4039), 100.0);
}

TEST_F(StdHeader, ByteCountVariantHalvesCountsAndReadsUnsigned16AsSigned)
{
    for (const char* text2 : {"CA01", "ABCL", "xC", "STD1"}) {
        const bool variant = text2[0] == 'C' || text2[2] == 'C';
        StdImage image = Image({{0x5123, Be16(0xFFFF)}, {0x4124, Be16(1)}, {0x3125, Bytes{2}}});
        image.text2 = text2;
        image.countsInBytes = variant;
        ASSERT_TRUE(Open(image.Header())) << text2;
        ASSERT_EQ(file_.GetHeaderVariables().size(), 3u) << text2;
        EXPECT_EQ(file_.GetHeaderVariables()[0]->value.GetDouble(), variant ? -1.0 : 65535.0) << text2;
    }
    // Counts in bytes read as counts of codes claim twice as many codes.
    StdImage misread = Image({{0x4123, Be16(1)}});
    misread.countsInBytes = true;
    EXPECT_FALSE(Open(misread.Header()));
}

TEST_F(StdHeader, RecordVariablesAndValuesMustFit)
{
    // Exactly the record length (4 + 2 + 1) and one byte short of it.
    StdImage image = Image({}, {0x0139, 0x4005, 0x2006}, 7);
    ASSERT_TRUE(Open(image.Header()));
    EXPECT_EQ(file_.GetRecordLength(), 7);
    EXPECT_EQ(file_.GetRecordVariables()[2]->offset, 6u);
    image.recordLength = 6;
    EXPECT_FALSE(Open(image.Header()));
    // Arrays without a size exponent take the element count of header variable 426.
    image = Image({{0x41AA, Be16(3)}}, {0x0139, 0xE010}, 10);
    EXPECT_TRUE(Open(image.Header()));
    image.recordLength = 9;
    EXPECT_FALSE(Open(image.Header()));
    // Header values past the header length, and a 32768-byte text.
    StdImage values = Image({{0x4140, Be16(1)}, {0x4141, Be16(2)}, {0x4193, Be16(3)}});
    values.headerLength = int(values.Header().size()) - 3;
    EXPECT_FALSE(Open(values.Header()));
    EXPECT_FALSE(Open(Image({{0xFF01, Bytes(100, 'a')}}).Header()));
}

TEST_F(StdHeader, NeverOpenedOrFailedFileAnswersEmptyAndCreatesNothing)
{
    auto unopened = std::make_unique<XCStdFile>();
    EXPECT_EQ(unopened->FindRecordVariable(313), -1);
    EXPECT_EQ(unopened->GetRecordCount(), 0);
    EXPECT_FALSE(unopened->IsOpen());
    EXPECT_FALSE(unopened->GetFirstTime()->IsValid());
    unopened->Close();
    unopened.reset();
    // A failed open closes what was open and creates neither file.
    ASSERT_TRUE(Open(StdImage().Header()));
    EXPECT_FALSE(file_.Open(folder_.Data("missing.std").c_str(), false));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing.std") || std::filesystem::exists(folder_ / "missing.istd"));
    EXPECT_FALSE(file_.IsOpen());
    // The index name inserts "i" after the last dot, or appends it.
    const std::pair<std::u16string, std::u16string> names[] = {
        {u"data.std", u"data.istd"}, {u"a.b.c", u"a.b.ic"}, {u"logs/data", u"logs/datai"},
        {u"old.set/data", u"old.iset/data"}};
    for (const auto& [path, index] : names) {
        XCStringW out;
        XCStdFile::MakeIndexFileName(path.c_str(), out);
        EXPECT_EQ(std::u16string(out.GetData()), index);
    }
}
