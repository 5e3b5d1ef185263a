#include "tests/recordfiles/std_file_fixture.h"

#include <tuple>

using namespace recordtest;

namespace {

XCTime Time(int hour, int minute) { return At(2021, 3, 1, hour, minute); }

using StdRecords = StdFileTest;

struct FixedBlob : XCStdBlobSource {
    int GetSize() override { return 3; }
    bool Fill(unsigned char* buffer, int size, const double* scales) override
    {
        std::fill(buffer, buffer + size, 'b');
        firstScale = scales[0];
        return true;
    }
    inline static double firstScale = -1;
};

}  // namespace

TEST_F(StdRecords, AppendedRecordsAndBlobsReopenWithTheirCountAndTimes)
{
    ASSERT_TRUE(Open(TimedImage().Header()));
    EXPECT_TRUE(file_.AppendRecord());  // nothing set: nothing written
    EXPECT_EQ(Data(), TimedImage().Header());
    for (int minute : {0, 15, 30})
        ASSERT_TRUE(Append(Time(10, minute)));
    const Bytes data = Data();
    // With the index that the appends wrote, and with one rebuilt from the data (stamps and checks).
    for (bool rebuilt : {false, true}) {
        ASSERT_TRUE(Reopen(true, rebuilt));
        EXPECT_EQ(Span(), std::make_tuple(3, Time(10, 0), Time(10, 30)));
    }
    EXPECT_FALSE(Append(Time(11, 0)));  // read-only
    EXPECT_EQ(Data(), data);
    // A time stamp of one byte (then the check byte) is never read past the record.
    const StdImage narrow = Image({}, {0x3139}, 2);
    ASSERT_TRUE(Open(Concat({narrow.Header(), narrow.Record({7})})));
    EXPECT_EQ(file_.GetRecordCount(), 0);
    Set(0, 5);
    EXPECT_FALSE(file_.AppendRecord());
    // Blobs follow their records, and the rebuild skips them.
    const StdImage image = Image({{0x412C, Be16(15)}, {0x31E9, Bytes{1}}}, {0x0139, 0x4380}, 7);  // blob length
    ASSERT_TRUE(Open(image.Header()));
    file_.SetBlobSource(std::make_unique<FixedBlob>());
    ASSERT_TRUE(Append(Time(10, 0)));
    ASSERT_TRUE(Append(Time(10, 1)));
    EXPECT_EQ(FixedBlob::firstScale, 0.0);  // U(418), which this header leaves unset
    const Bytes withBlobs = Data();
    EXPECT_EQ(Bytes(withBlobs.end() - 10, withBlobs.end()),
              Concat({image.Record(Concat({Be32(Packed(6, 3, 1, 10, 1)), Be16(3)})), Bytes(3, 'b')}));
    ASSERT_TRUE(Reopen(false, true));
    EXPECT_EQ(file_.GetRecordCount(), 2);
    // A negative blob length would walk backwards for ever: the rebuild fails instead.
    EXPECT_FALSE(Open(Concat({image.Header(), image.Record(Concat({Be32(1), Be16(0xFFF9)}))})));
}

TEST_F(StdRecords, DuplicateKeysRefusedAndKeysTakeTheKindAndSampleInterval)
{
    const StdImage kinds = TimedImage({0x41DA, 0x4156}, 4);  // with a kind
    ASSERT_TRUE(Open(kinds.Header()));
    ASSERT_TRUE(Append(Time(10, 0), 60));
    EXPECT_FALSE(Append(Time(10, 0), 60));
    EXPECT_EQ(Data().size(), kinds.Header().size() + 9);
    Set(2, 0x2000);  // another kind makes another key
    EXPECT_TRUE(file_.AppendRecord());
    EXPECT_EQ(file_.GetRecordCount(), 2);
    EXPECT_EQ(file_.GetFirstTime()->GetMicroseconds(), 60000);  // the interval in milliseconds
    // A whole-second time sorts before an entry with an interval: nothing is placed for it.
    EXPECT_EQ(file_.FindRecordByTime(Time(10, 0)), -1);
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(10, 0)));
    // Codes after the stamp, their values, and the kind and interval they give: the kind from 342,
    // the interval from 976 (scaled by 0.001), else 362 over 343 / 5 in milliseconds; 474 before 976.
    const std::tuple<std::vector<uint16_t>, double, double, uint32_t, uint32_t> cases[] = {
        {{0x4156, 0x43D0}, 0x3005, 1.5, 4, 1}, {{0x4156, 0x43D0}, 0xF000, 1.5, 16, 1},
        {{0x416A, 0x4157}, 10, 50, 0, 1000},   {{0x416A, 0x4157}, 10, 0, 0, 0},
        {{0x41DA, 0x43D0}, 900, 1.5, 0, 900}};
    for (const auto& [codes, first, second, kind, interval] : cases) {
        ASSERT_TRUE(Open(TimedImage(codes, 4).Header()));
        Set(1, first);
        Set(2, second);
        EXPECT_EQ(file_.GetRecordKind(), kind) << first;
        EXPECT_EQ(file_.GetSampleInterval(), interval) << first << " " << second;
    }
    EXPECT_EQ(file_.FindRecordVariable(0x1139), -1);  // a code with its type is no id
}

TEST_F(StdRecords, DeleteRangeRemovesFromFromUpToToOrRefusesWithoutChange)
{
    const StdImage image = TimedImage();
    Bytes records;
    for (int minute : {0, 10, 20, 30})
        records = Concat({records, image.Record(Be32(Packed(6, 3, 1, 10, minute)))});
    ASSERT_TRUE(Open(Concat({image.Header(), records})));
    Bytes data = Data();
    EXPECT_FALSE(file_.DeleteRange(XCTime(), Time(10, 10)));
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), XCTime()));
    EXPECT_FALSE(file_.DeleteRange(Time(10, 20), Time(10, 0)));  // `to` placed before `from`
    EXPECT_FALSE(file_.DeleteRange(Time(9, 0), Time(10, 10)));   // nothing before the first record
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(11, 0)));   // nor after the last
    // A stale index whose entry points into the header.
    file_.Close();
    Bytes index = Index();
    std::fill(index.begin() + 12, index.begin() + 16, 0);
    WriteBytes(folder_ / "data.istd", index);
    ASSERT_TRUE(Reopen(false, false));
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(10, 10)));
    ASSERT_TRUE(Reopen(true, false));
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(10, 10)));  // read-only
    file_.Close();
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(10, 10)));
    EXPECT_EQ(Data(), data);
    // One record placed for both ends is itself deleted.
    ASSERT_TRUE(Reopen(false, true));
    ASSERT_TRUE(file_.DeleteRange(Time(10, 10), Time(10, 10)));
    data.erase(data.end() - 21, data.end() - 14);
    EXPECT_EQ(Data(), data);
    EXPECT_EQ(file_.GetRecordCount(), 3);
    // The last record stays: only the index is rebuilt.
    ASSERT_TRUE(file_.DeleteRange(Time(10, 30), Time(10, 30)));
    EXPECT_EQ(Data(), data);
    ASSERT_TRUE(file_.DeleteRange(Time(10, 0), Time(10, 20)));
    EXPECT_EQ(Data().size(), image.Header().size() + 14);
    ASSERT_TRUE(Reopen(false, true));
    EXPECT_EQ(Span(), std::make_tuple(2, Time(10, 20), Time(10, 30)));
}

TEST_F(StdRecords, DeleteRangeOfAnOutOfOrderFileRemovesNoRecordOutsideItsRange)
{
    // An older record goes to the end of the data file, its entry to its place in time.
    ASSERT_TRUE(Open(TimedImage().Header()));
    for (int minute : {0, 20, 30, 10, 40})
        ASSERT_TRUE(Append(Time(10, minute)));
    Bytes data = Data();
    const Bytes index = Index();
    // The bytes from 10:00 up to 10:10 hold 10:20 and 10:30 as well.
    EXPECT_FALSE(file_.DeleteRange(Time(10, 0), Time(10, 10)));
    // The bytes from 10:10 up to 10:40 hold 10:10 alone, not 10:20 and 10:30.
    EXPECT_FALSE(file_.DeleteRange(Time(10, 10), Time(10, 40)));
    EXPECT_EQ(Data(), data);
    EXPECT_EQ(Index(), index);
    const size_t header = TimedImage().Header().size();
    ASSERT_TRUE(file_.DeleteRange(Time(10, 20), Time(10, 30)));
    data.erase(data.begin() + header + 7, data.begin() + header + 14);
    EXPECT_EQ(Data(), data);
    EXPECT_EQ(Span(), std::make_tuple(4, Time(10, 0), Time(10, 40)));
}

TEST_F(StdRecords, FailedWritesLeaveDataAndIndexInStep)
{
    ASSERT_TRUE(Open(TimedImage().Header()));
    for (int minute = 0; minute < 900; ++minute)
        ASSERT_TRUE(Append(Time(minute / 60, minute % 60)));
    // A failed record write (the index entry is written first) takes its entry back.
    const Bytes data = Data();
    const Bytes index = Index();
    FailWrite(2);
    EXPECT_FALSE(Append(Time(20, 0)));
    EXPECT_EQ(Data(), data);
    EXPECT_EQ(Index(), index);
    EXPECT_TRUE(file_.AppendRecord());  // still pending
    EXPECT_EQ(*file_.GetLastTime(), Time(20, 0));
    // A range deletion failing after the first block has moved rebuilds the index all the same.
    FailWrite(2);
    EXPECT_FALSE(file_.DeleteRange(Time(0, 0), Time(5, 0)));
    EXPECT_EQ(*file_.GetFirstTime(), Time(5, 0));
    // An insertion failing after its entry has overwritten another gets the index back from the
    // data, and the record stays pending, unchanged by the rebuild's walk.
    ASSERT_TRUE(Open(TimedImage().Header()));
    for (int minute : {0, 20, 30})
        ASSERT_TRUE(Append(Time(10, minute)));
    const Bytes few = Data();
    const Bytes fewEntries = Index();
    FailWrite(3);  // moving 10:30 up
    EXPECT_FALSE(Append(Time(10, 10)));
    EXPECT_EQ(Data(), few);
    EXPECT_EQ(Index(), fewEntries);
    EXPECT_EQ(Span(), std::make_tuple(3, Time(10, 0), Time(10, 30)));
    EXPECT_TRUE(file_.AppendRecord());  // the same record, still pending
    const Bytes entries = Index();
    ASSERT_TRUE(Reopen(false, true));
    EXPECT_EQ(Index(), entries);
    EXPECT_EQ(file_.FindRecordByTime(Time(10, 10)), 1);
    // So does a record write failing when the move that takes its entry back fails too.
    const Bytes four = Data();
    FailWrite(5, 2);  // the record, then moving 10:10 down
    EXPECT_FALSE(Append(Time(10, 5)));
    EXPECT_EQ(Data(), four);
    EXPECT_EQ(Index(), entries);
    EXPECT_TRUE(file_.AppendRecord());
    EXPECT_EQ(file_.FindRecordByTime(Time(10, 5)), 1);
}
