#include "recordfiles/eva_file.h"

#include "platform/file_system_calls.h"
#include "tests/recordfiles/record_test_files.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace recordtest;

namespace {

// Minutes after 1 March 2020 00:00; the calendar carries them into hours and days.
XCTime Minute(int minute) { return At(2020, 3, 1, 0, minute); }

// Records from Minute(0) two minutes apart (base year 2015), each with its number as payload.
EvaImage EvenMinutes(int checksumType, int count)
{
    EvaImage image(checksumType, 15);
    for (int i = 0; i < count; ++i)
        image.Record(Packed(5, 3, 1 + i / 720, i / 30 % 24, 2 * i % 60), uint16_t(i));
    return image;
}

class EvaFile : public ::testing::Test {
protected:
    bool Open(const EvaImage& image, bool readOnly = false)
    {
        return WriteBytes(path_, image.bytes) && eva_.Open(path_.u16string().c_str(), readOnly);
    }
    // The record count, the first and last valid indices and their times.
    std::tuple<int, int, int, XCTime, XCTime> Records()
    {
        return {eva_.GetRecordCount(), eva_.GetFirstValidIndex(), eva_.GetLastValidIndex(), *eva_.GetFirstTime(),
                *eva_.GetLastTime()};
    }
    void TearDown() override { platform::FileSystem() = platform::RealFileSystem(); }

    TempFolder folder_;
    const std::filesystem::path path_ = folder_ / "data.eva";
    XCEvaFile eva_;
};

}  // namespace

TEST_F(EvaFile, OpenReadsTheHeaderAndFindsTheValidRecordsOrFailsClosed)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        // Header only: no records, no valid index, invalid times.
        ASSERT_TRUE(Open(EvaImage(type, 15)));
        EXPECT_EQ(Records(), std::make_tuple(0, -1, -1, XCTime(), XCTime()));
        // A trailing partial record is no record.
        EvaImage partial = EvenMinutes(type, 3);
        partial.bytes.insert(partial.bytes.end(), 7, 0x11);
        ASSERT_TRUE(Open(partial));
        EXPECT_EQ(Records(), std::make_tuple(3, 0, 2, Minute(0), Minute(4)));
    }
    // Header texts without a zero byte stop at the end of their field.
    ASSERT_TRUE(Open(EvaImage(1, 15, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12")));
    EXPECT_STREQ(eva_.GetHeaderText1().GetData(), "ABCDEFGHIJ");
    EXPECT_STREQ(eva_.GetHeaderText2().GetData(), "KLMNOP");
    EXPECT_STREQ(eva_.GetHeaderText3().GetData(), "QRSTUVWXYZ12");
    // Damaged records at both ends are skipped.
    EvaImage image(0, 15);
    image.Record(Packed(5, 3, 1, 0, 0), 0, false).Record(Packed(5, 3, 1, 0, 1)).Record(Packed(5, 3, 1, 0, 2));
    ASSERT_TRUE(Open(image.Record(Packed(5, 3, 1, 0, 3), 0, false)));
    EXPECT_EQ(Records(), std::make_tuple(4, 1, 2, Minute(1), Minute(2)));
    // One valid record is both first and last.
    ASSERT_TRUE(Open(EvaImage(1, 15).Record(Packed(5, 3, 1, 0, 0), 0, false).Record(Packed(5, 3, 1, 0, 7))));
    EXPECT_EQ(Records(), std::make_tuple(2, 1, 1, Minute(7), Minute(7)));
    // The base year's two-digit rule.
    const std::pair<uint16_t, int> years[] = {{15, 2015}, {79, 2079}, {80, 1980},
                                              {199, 2099}, {200, 200}, {2015, 2015}};
    for (const auto& [field, base] : years) {
        ASSERT_TRUE(Open(EvaImage(0, field))) << field;
        EXPECT_EQ(eva_.GetBaseYear(), base) << field;
    }
    // Stamps count all six year bits after the base year.
    ASSERT_TRUE(Open(EvaImage(1, 0).Record(Packed(21, 12, 31, 23, 59, 58))));
    EXPECT_EQ(*eva_.GetFirstTime(), At(2021, 12, 31, 23, 59, 58));
    // Checksum types 2 and 3 never verify, nor does a damaged check value or a header cut short;
    // an open object is closed by a failed open.
    EvaImage damaged(1, 15), cut(1, 15);
    damaged.bytes[33] ^= 1;
    cut.bytes.pop_back();
    for (const EvaImage& bad : {EvaImage(2, 15), EvaImage(3, 15), damaged, cut}) {
        EXPECT_FALSE(Open(bad)) << "type " << bad.checksumType << ", " << bad.bytes.size() << " bytes";
        EXPECT_FALSE(eva_.IsOpen());
    }
    // A missing file is not created.
    EXPECT_FALSE(eva_.Open((folder_ / "missing.eva").u16string().c_str(), false));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing.eva"));
}

TEST_F(EvaFile, FindRecordByTimeAndDeleteRange)
{
    // The record at or after: before, at the first, a middle one and the last, between, just
    // after the first, after the last, the invalid time.
    ASSERT_TRUE(Open(EvenMinutes(1, 9)));
    const std::pair<XCTime, int> found[] = {{At(2020, 2, 1, 0, 0), 0}, {Minute(0), 0}, {Minute(10), 5},
                                            {Minute(16), 8}, {Minute(7), 4}, {Minute(1), 1},
                                            {Minute(17), -1}, {XCTime(), -1}};
    for (const auto& [time, index] : found)
        EXPECT_EQ(eva_.FindRecordByTime(time), index) << time.ToDouble();
    // `from` and `to` at one record that is not the last: exactly that record (the third) goes,
    // the partial tail stays.
    EvaImage tail = EvenMinutes(1, 6);
    tail.bytes.insert(tail.bytes.end(), {0xAA, 0xBB, 0xCC});
    ASSERT_TRUE(Open(tail));
    ASSERT_TRUE(eva_.DeleteRange(Minute(4), Minute(4)));
    tail.bytes.erase(tail.bytes.begin() + 54, tail.bytes.begin() + 64);
    EXPECT_EQ(ReadBytes(path_), tail.bytes);
    // A middle range: from the record at `from` up to, not including, the one at or after `to`.
    EvaImage ten = EvenMinutes(0, 10);
    ASSERT_TRUE(Open(ten));
    ASSERT_TRUE(eva_.DeleteRange(Minute(3), Minute(11)));
    ten.bytes.erase(ten.bytes.begin() + 54, ten.bytes.begin() + 94);  // records 2 to 5
    EXPECT_EQ(ReadBytes(path_), ten.bytes);
    EXPECT_EQ(Records(), std::make_tuple(6, 0, 5, Minute(0), Minute(18)));
}

TEST_F(EvaFile, DeleteRangeRefusedOrFailedIsReportedAndTheObjectStaysUsable)
{
    ASSERT_TRUE(Open(EvenMinutes(1, 5)));
    EXPECT_FALSE(eva_.DeleteRange(Minute(2), Minute(30))) << "`to` after the last record";
    EXPECT_FALSE(eva_.DeleteRange(Minute(6), Minute(2))) << "`to` before `from`";
    EXPECT_FALSE(eva_.DeleteRange(XCTime(), Minute(2))) << "an invalid end";
    EXPECT_EQ(Records(), std::make_tuple(5, 0, 4, Minute(0), Minute(8)));
    ASSERT_TRUE(Open(EvenMinutes(1, 5), true));
    EXPECT_FALSE(eva_.DeleteRange(Minute(0), Minute(4))) << "a read-only file";
    eva_.Close();
    EXPECT_FALSE(eva_.DeleteRange(Minute(0), Minute(2))) << "a closed file";
    EXPECT_EQ(ReadBytes(path_), EvenMinutes(1, 5).bytes);
    // A failed write while moving over two blocks: the second fails after the first has moved data.
    ASSERT_TRUE(Open(EvenMinutes(1, 900)));
    ASSERT_TRUE(eva_.ReadRecord(2));
    FailWrite(2);
    EXPECT_FALSE(eva_.DeleteRange(Minute(0), Minute(200)));
    // The file is not shortened, and the object describes it as it now stands.
    EXPECT_EQ(ReadBytes(path_).size(), 34u + 9000u);
    ASSERT_TRUE(eva_.ReadRecord(2));
    EXPECT_EQ(eva_.GetRecordTimeAsDouble(), Minute(204).ToDouble()) << "no stale cached record";
    EXPECT_EQ(Records(), std::make_tuple(900, 0, 899, Minute(200), Minute(1798)));
}
