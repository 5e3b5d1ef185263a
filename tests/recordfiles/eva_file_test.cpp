#include "recordfiles/eva_file.h"

#include "platform/file.h"
#include "platform/file_system_calls.h"
#include "tests/recordfiles/eva_file_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

using eva_writer::Stamp;

std::string TempPath(const char* name)
{
    char pattern[] = "/tmp/kestrovane-eva-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/" + name;
}

std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

XCTime At(int year, int month, int day, int hour, int minute, int second)
{
    XCTime time;
    time.Set(year, month, day, hour, minute, second, 0, 0);
    return time;
}

// Records from 1 March 2020 00:00 (base year 2015) two minutes apart, with their index as payload.
eva_writer::File EvenMinutes(int checksumType, int count)
{
    eva_writer::File file(checksumType, 15);
    for (int i = 0; i < count; ++i) {
        const int minutes = 2 * i;
        file.Record(5, Stamp{2020, 3, 1 + minutes / 1440, minutes / 60 % 24, minutes % 60, 0}, static_cast<uint16_t>(i));
    }
    return file;
}

// Minutes after 1 March 2020 00:00; the calendar carries them into hours and days.
XCTime Minute(int minute) { return At(2020, 3, 1, 0, minute, 0); }

// Payload of record `index` as the test writer stored it.
int PayloadAt(const std::vector<uint8_t>& bytes, int index)
{
    const size_t at = 34 + 10 * static_cast<size_t>(index);
    return bytes[at + 4] << 8 | bytes[at + 5];
}

class OpenedFile {
public:
    explicit OpenedFile(eva_writer::File contents, const char* name = "data.eva")
        : path(TempPath(name))
    {
        EXPECT_TRUE(contents.Save(path));
        opened = eva.Open(Wide(path).c_str(), false);
    }
    std::string path;
    XCEvaFile eva;
    bool opened = false;
};

}  // namespace

TEST(XCEvaFile, EmptyAndPartialFilesOpenWithBothChecksums)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        // Header only: no records, no valid index, invalid times.
        OpenedFile empty(eva_writer::File(type, 15));
        ASSERT_TRUE(empty.opened);
        EXPECT_EQ(empty.eva.GetRecordCount(), 0);
        EXPECT_EQ(empty.eva.GetFirstValidIndex(), -1);
        EXPECT_EQ(empty.eva.GetLastValidIndex(), -1);
        EXPECT_FALSE(empty.eva.GetFirstTime()->IsValid());
        EXPECT_FALSE(empty.eva.GetLastTime()->IsValid());
        // A trailing partial record is no record.
        OpenedFile partial(EvenMinutes(type, 3).Bytes({1, 2, 3, 4, 5, 6, 7}));
        ASSERT_TRUE(partial.opened);
        EXPECT_EQ(partial.eva.GetRecordCount(), 3);
        EXPECT_EQ(*partial.eva.GetFirstTime(), Minute(0));
        EXPECT_EQ(*partial.eva.GetLastTime(), Minute(4));
    }
}

TEST(XCEvaFile, HeaderTextsFillingTheirFieldStopAtItsEnd)
{
    OpenedFile file(eva_writer::File(1, 15, "ABCDEFGHIJ", "KLMNOP", "QRSTUVWXYZ12"));
    ASSERT_TRUE(file.opened);
    EXPECT_STREQ(file.eva.GetHeaderText1().GetData(), "ABCDEFGHIJ");
    EXPECT_STREQ(file.eva.GetHeaderText2().GetData(), "KLMNOP");
    EXPECT_STREQ(file.eva.GetHeaderText3().GetData(), "QRSTUVWXYZ12");
}

TEST(XCEvaFile, DamagedRecordsAtBothEndsAreSkipped)
{
    eva_writer::File damaged(0, 15);
    damaged.Record(5, Stamp{2020, 3, 1, 0, 0, 0}, 0, false)
        .Record(5, Stamp{2020, 3, 1, 0, 1, 0})
        .Record(5, Stamp{2020, 3, 1, 0, 2, 0})
        .Record(5, Stamp{2020, 3, 1, 0, 3, 0}, 0, false);
    OpenedFile file(damaged);
    ASSERT_TRUE(file.opened);
    EXPECT_EQ(file.eva.GetRecordCount(), 4);
    EXPECT_EQ(file.eva.GetFirstValidIndex(), 1);
    EXPECT_EQ(file.eva.GetLastValidIndex(), 2);
    EXPECT_EQ(*file.eva.GetFirstTime(), Minute(1));
    EXPECT_EQ(*file.eva.GetLastTime(), Minute(2));

    // One valid record is both first and last.
    eva_writer::File single(1, 15);
    single.Record(5, Stamp{2020, 3, 1, 0, 0, 0}, 0, false).Record(5, Stamp{2020, 3, 1, 0, 7, 0});
    OpenedFile one(single);
    ASSERT_TRUE(one.opened);
    EXPECT_EQ(one.eva.GetFirstValidIndex(), 1);
    EXPECT_EQ(one.eva.GetLastValidIndex(), 1);
    EXPECT_EQ(*one.eva.GetFirstTime(), *one.eva.GetLastTime());
}

TEST(XCEvaFile, BaseYearFollowsTheTwoDigitRule)
{
    const std::pair<uint16_t, int> cases[] = {{15, 2015}, {79, 2079}, {80, 1980},
                                              {199, 2099}, {200, 200}, {2015, 2015}};
    for (const auto& [field, base] : cases) {
        SCOPED_TRACE(field);
        OpenedFile file(eva_writer::File(0, field));
        ASSERT_TRUE(file.opened);
        EXPECT_EQ(file.eva.GetBaseYear(), base);
    }
    // The stamp counts years after the base year.
    eva_writer::File base2000(1, 0);
    base2000.Record(21, Stamp{2021, 12, 31, 23, 59, 58});
    OpenedFile file(base2000);
    ASSERT_TRUE(file.opened);
    EXPECT_EQ(*file.eva.GetFirstTime(), At(2021, 12, 31, 23, 59, 58));
}

TEST(XCEvaFile, BadOrShortHeadersFailAndLeaveTheObjectClosed)
{
    // Checksum types 2 and 3 never verify.
    for (int type : {2, 3}) {
        OpenedFile file(eva_writer::File(type, 15));
        EXPECT_FALSE(file.opened);
        EXPECT_FALSE(file.eva.IsOpen());
    }
    // A check value that does not verify.
    eva_writer::File badCheck(1, 15);
    badCheck.Contents()[33] ^= 1;
    EXPECT_FALSE(OpenedFile(badCheck).opened);
    // Shorter than a header.
    eva_writer::File shortHeader(0, 15);
    shortHeader.Contents().resize(33);
    EXPECT_FALSE(OpenedFile(shortHeader).opened);
    // A missing file is not created.
    const std::string missing = TempPath("missing.eva");
    XCEvaFile eva;
    EXPECT_FALSE(eva.Open(Wide(missing).c_str(), true));
    EXPECT_FALSE(platform::FileExists(missing));
    // An open object closes its file before a second open, also when that fails.
    OpenedFile good(EvenMinutes(1, 2));
    ASSERT_TRUE(good.opened);
    EXPECT_FALSE(good.eva.Open(Wide(missing).c_str(), false));
    EXPECT_FALSE(good.eva.IsOpen());
    good.eva.Close();
    EXPECT_FALSE(good.eva.IsOpen());
}

TEST(XCEvaFile, FindRecordByTimeGivesTheRecordAtOrAfter)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        OpenedFile file(EvenMinutes(type, 9));
        ASSERT_TRUE(file.opened);
        EXPECT_EQ(file.eva.FindRecordByTime(At(2020, 2, 1, 0, 0, 0)), 0) << "before";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(0)), 0) << "at the first";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(10)), 5) << "at a middle one";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(16)), 8) << "at the last";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(7)), 4) << "between";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(1)), 1) << "just after the first";
        EXPECT_EQ(file.eva.FindRecordByTime(Minute(17)), -1) << "after";
        EXPECT_EQ(file.eva.FindRecordByTime(XCTime()), -1) << "the invalid time";
    }
}

TEST(XCEvaFile, DeleteRangeRemovesRecordsKeepsThePartialTailAndReopens)
{
    // from and to at one record that is not the last: exactly that record goes.
    OpenedFile one(EvenMinutes(1, 6).Bytes({0xAA, 0xBB, 0xCC}));
    ASSERT_TRUE(one.opened);
    ASSERT_TRUE(one.eva.DeleteRange(Minute(4), Minute(4)));
    EXPECT_TRUE(one.eva.IsOpen());
    EXPECT_EQ(one.eva.GetRecordCount(), 5);
    std::vector<uint8_t> bytes = eva_writer::Load(one.path);
    ASSERT_EQ(bytes.size(), 34u + 50u + 3u);
    EXPECT_EQ(PayloadAt(bytes, 1), 1);
    EXPECT_EQ(PayloadAt(bytes, 2), 3);
    EXPECT_EQ(bytes[84], 0xAA) << "partial tail kept";
    EXPECT_EQ(bytes[86], 0xCC);

    // A middle range: from the record at `from` up to, not including, the one at `to`.
    OpenedFile middle(EvenMinutes(0, 10));
    ASSERT_TRUE(middle.opened);
    ASSERT_TRUE(middle.eva.DeleteRange(Minute(3), Minute(12)));
    EXPECT_EQ(middle.eva.GetRecordCount(), 6);
    bytes = eva_writer::Load(middle.path);
    ASSERT_EQ(bytes.size(), 34u + 60u);
    const int kept[] = {0, 1, 6, 7, 8, 9};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(PayloadAt(bytes, i), kept[i]);
    EXPECT_EQ(*middle.eva.GetFirstTime(), Minute(0));
    EXPECT_EQ(*middle.eva.GetLastTime(), Minute(18));
    EXPECT_EQ(middle.eva.FindRecordByTime(Minute(3)), 2);

    // The first half of the file: the reopened file starts at the old middle.
    OpenedFile half(EvenMinutes(1, 8));
    ASSERT_TRUE(half.opened);
    ASSERT_TRUE(half.eva.DeleteRange(Minute(0), Minute(8)));
    EXPECT_EQ(half.eva.GetRecordCount(), 4);
    EXPECT_EQ(half.eva.GetFirstValidIndex(), 0);
    EXPECT_EQ(half.eva.GetLastValidIndex(), 3);
    EXPECT_EQ(*half.eva.GetFirstTime(), Minute(8));
    EXPECT_EQ(*half.eva.GetLastTime(), Minute(14));
}

TEST(XCEvaFile, DeleteRangeRefusesBadRangesAndChangesNothing)
{
    OpenedFile file(EvenMinutes(1, 5));
    ASSERT_TRUE(file.opened);
    const std::vector<uint8_t> before = eva_writer::Load(file.path);
    // `to` after the last record.
    EXPECT_FALSE(file.eva.DeleteRange(Minute(2), Minute(30)));
    // `to` before `from`.
    EXPECT_FALSE(file.eva.DeleteRange(Minute(6), Minute(2)));
    // An invalid end.
    EXPECT_FALSE(file.eva.DeleteRange(XCTime(), Minute(2)));
    EXPECT_EQ(eva_writer::Load(file.path), before);
    EXPECT_TRUE(file.eva.IsOpen());
    EXPECT_EQ(file.eva.GetRecordCount(), 5);
    // A closed object.
    file.eva.Close();
    EXPECT_FALSE(file.eva.DeleteRange(Minute(0), Minute(2)));
    EXPECT_EQ(file.eva.FindRecordByTime(Minute(2)), -1);
}

TEST(XCEvaFile, FailedWriteWhileMovingIsReportedAndTheObjectStaysUsable)
{
    // Over two move blocks, so that the second write fails after the first has moved data.
    OpenedFile file(EvenMinutes(1, 900));
    ASSERT_TRUE(file.opened);
    ASSERT_TRUE(file.eva.ReadRecord(2));
    static int writesLeft;
    writesLeft = 1;
    platform::FileSystem().write = [](int fd, const void* buffer, size_t count) -> ssize_t {
        if (writesLeft-- > 0)
            return platform::RealFileSystem().write(fd, buffer, count);
        errno = EIO;
        return -1;
    };
    const bool deleted = file.eva.DeleteRange(Minute(0), Minute(200));
    platform::FileSystem() = platform::RealFileSystem();
    EXPECT_FALSE(deleted);
    ASSERT_TRUE(file.eva.IsOpen());
    // The file is not shortened and the object describes it as it now stands.
    EXPECT_EQ(file.eva.GetRecordCount(), 900);
    EXPECT_EQ(eva_writer::Load(file.path).size(), 34u + 9000u);
    ASSERT_TRUE(file.eva.ReadRecord(2));
    EXPECT_EQ(file.eva.GetRecordTimeAsDouble(), Minute(204).ToDouble()) << "no stale cached record";
    EXPECT_EQ(*file.eva.GetFirstTime(), Minute(200));
}

TEST(XCEvaFile, ReadOnlyFileIsNotPruned)
{
    const std::string path = TempPath("readonly.eva");
    ASSERT_TRUE(EvenMinutes(0, 4).Save(path));
    XCEvaFile eva;
    ASSERT_TRUE(eva.Open(Wide(path).c_str(), true));
    EXPECT_FALSE(eva.DeleteRange(Minute(0), Minute(4)));
    EXPECT_EQ(eva_writer::Load(path).size(), 34u + 40u);
    EXPECT_TRUE(eva.IsOpen());
}
