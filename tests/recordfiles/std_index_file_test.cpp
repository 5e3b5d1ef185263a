#include "tests/recordfiles/std_file_fixture.h"

#include <random>

using namespace recordtest;

namespace {

Bytes Entry(uint32_t time, uint32_t offset, uint32_t kind = 0, uint32_t interval = 0)
{
    return Concat({Be32(time), Be32(interval), Be32(kind), Be32(offset)});
}

class StdIndex : public StdFileTest {
protected:
    void OpenWith(const Bytes& contents, bool readOnly = false)
    {
        WriteBytes(folder_ / "data.istd", contents);
        ASSERT_TRUE(index_.Open(folder_.Data().c_str(), readOnly));
    }

    XCStdFile::XCStdIndexFile index_;
};

}  // namespace

TEST_F(StdIndex, AddEntryWritesSixteenBytesInOrderAndRefusesDuplicatesAndReadOnlyIndexes)
{
    // An empty index; an entry of big-endian time, interval (as microseconds), kind and offset.
    OpenWith({});
    EXPECT_EQ(index_.FindByKey(0x55DC915E, 0), -1);
    EXPECT_FALSE(index_.GetFirstTime(2000)->IsValid());
    ASSERT_TRUE(index_.AddEntry(0x55DC915E, 1000000, 1, 8192, true));
    EXPECT_EQ(Index(), (Bytes{0x55, 0xDC, 0x91, 0x5E, 0, 0x0F, 0x42, 0x40, 0, 0, 0, 1, 0, 0, 0x20, 0}));
    EXPECT_EQ(*index_.GetFirstTime(2000), At(2021, 7, 14, 9, 5, 31));
    ASSERT_TRUE(index_.AddEntry(0x55DC915F, 2500000, 1, 8200, true));
    EXPECT_EQ(*index_.GetLastTime(2000), XCTime(At(2021, 7, 14, 9, 5, 33).GetSeconds(), 500000));
    // Earlier entries are inserted and later ones move up, over a partial trailing entry.
    OpenWith({1, 2, 3, 4, 5});
    for (uint32_t time : {200, 300, 100, 250})
        ASSERT_TRUE(index_.AddEntry(time, 0, 0, time / 10, false));
    ASSERT_TRUE(index_.AddEntry(200, 0, 1, 21, false));  // same time, higher kind
    const Bytes entries = Concat({Entry(100, 10), Entry(200, 20), Entry(200, 21, 1), Entry(250, 25), Entry(300, 30)});
    EXPECT_EQ(Index(), entries);
    EXPECT_EQ(index_.ReadEntry(4), 30u);
    for (uint32_t time : {300, 200, 100})  // the last, and two found while moving entries up
        EXPECT_FALSE(index_.AddEntry(time, 0, 0, 99, true)) << time;
    EXPECT_EQ(Index(), entries);
    ASSERT_TRUE(index_.AddEntry(50, 0, 0, 5, false));
    EXPECT_EQ(index_.ReadEntry(4), 25u);  // not the stale cached entry
    EXPECT_EQ(index_.GetCount(), 6);
    OpenWith(entries, true);
    EXPECT_FALSE(index_.AddEntry(400, 0, 0, 40, true));
    EXPECT_EQ(Index(), entries);
}

TEST_F(StdIndex, FindByKeyGivesExactElseNearestInTime)
{
    OpenWith(Concat({Entry(100, 1), Entry(200, 2), Entry(300, 3, 0, 5), Entry(400, 4, 2)}));
    // Before the first, after the last, exact, nearer the lower, nearer the upper, a tie (the
    // lower), and a kind 0 key that never equals the kind 2 entry (the nearest).
    const std::pair<uint32_t, int> keys[] = {{99, -1}, {401, -1}, {200, 1}, {240, 1}, {260, 2}, {250, 1}, {400, 3}};
    for (const auto& [time, entry] : keys)
        EXPECT_EQ(index_.FindByKey(time, 0), entry) << time;
    // Unreadable entries (offset 0xFFFFFFFF) are neither first nor last.
    OpenWith(Concat({Entry(50, 0xFFFFFFFF), Entry(100, 1), Entry(200, 2), Entry(250, 0xFFFFFFFF)}));
    EXPECT_EQ(index_.FindByKey(60, 0), -1);
    EXPECT_EQ(index_.FindByKey(220, 0), -1);
}

TEST_F(StdIndex, RebuildIndexesTheRecordsPassingTheirChecksumAsAddingEachInTurnWould)
{
    // Records failing their checksum are left out.
    const StdImage image = TimedImage();  // time stamp, sample interval
    Bytes bad = image.Record(Concat({Be32(Packed(6, 1, 2, 0, 0)), Be16(1)}));
    bad[5] ^= 0x40;
    const Bytes header = image.Header();
    const Bytes data = Concat({header, image.Record(Concat({Be32(Packed(6, 1, 1, 0, 0)), Be16(1)})), bad,
                               image.Record(Concat({Be32(Packed(6, 1, 3, 0, 0)), Be16(2)}))});
    ASSERT_TRUE(Open(data, true));
    const uint32_t first = uint32_t(header.size());
    EXPECT_EQ(Index(), Concat({Entry(Packed(6, 1, 1, 0, 0), first, 0, 1000),
                               Entry(Packed(6, 1, 3, 0, 0), first + 14, 0, 2000)}));
    EXPECT_EQ(Span(), std::make_tuple(2, XCTime(At(2021, 1, 1, 0, 0).GetSeconds(), 1000),
                                      XCTime(At(2021, 1, 3, 0, 0).GetSeconds(), 2000)));
    // A time before the year base finds the first record, if there is one.
    EXPECT_EQ(file_.FindRecordByTime(At(2014, 12, 31, 23, 0)), 0);
    ASSERT_TRUE(Open(header));
    EXPECT_EQ(file_.FindRecordByTime(At(2014, 12, 31, 23, 0)), -1);
    // A record cut short cannot be indexed: without an index the file does not open.
    EXPECT_FALSE(Open(Bytes(data.begin(), data.end() - 1), true));
    // Shuffled records give in one pass what adding each in turn gives.
    const StdImage kinds = TimedImage({0x41DA, 0x4156}, 4);  // time stamp, sample interval, kind
    Bytes shuffled = kinds.Header();
    const std::u16string reference = folder_.Data("reference.std");
    ASSERT_TRUE(XCStdFile::XCStdIndexFile::CreateEmpty(reference.c_str()) && index_.Open(reference.c_str(), false));
    // Few distinct keys in random order, so many records share a key with an earlier one.
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        const uint32_t time = Packed(6, 1, 1, 0, random() % 50), interval = random() % 2, kind = random() % 3;
        index_.AddEntry(time, interval * 1000, kind + 1, uint32_t(shuffled.size()), false);
        const Bytes fields = Concat({Be32(time), Be16(uint16_t(interval)), Be16(uint16_t(kind << 12))});
        shuffled = Concat({shuffled, kinds.Record(fields)});
    }
    static int64_t written = 0;
    platform::FileSystem().write = [](int fd, const void* buffer, size_t count) {
        written += int64_t(count);
        return platform::RealFileSystem().write(fd, buffer, count);
    };
    ASSERT_TRUE(Open(shuffled));
    EXPECT_EQ(Index(), ReadBytes(folder_ / "reference.istd"));
    // Each entry is written once, not again for every earlier entry that sorts after it.
    EXPECT_EQ(written, int64_t(Index().size()));
}
