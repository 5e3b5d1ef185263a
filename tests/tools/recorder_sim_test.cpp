#include "foundation/modbus_crc16.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using SteadyClock = std::chrono::steady_clock;

Bytes WithCrc(Bytes frame)
{
    uint16_t crc = ModbusCrc16(frame.data(), static_cast<uint32_t>(frame.size()));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
    return frame;
}

bool CrcFits(const Bytes& frame)
{
    return frame.size() >= 4 && WithCrc(Bytes(frame.begin(), frame.end() - 2)) == frame;
}

Bytes ReadRequest(uint8_t function, uint16_t start, uint16_t count, uint8_t unit = 1)
{
    return WithCrc({unit, function, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                    static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}

Bytes WriteRequest(uint16_t start, const std::vector<uint16_t>& values)
{
    Bytes frame = {1, 16, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start), 0,
                   static_cast<uint8_t>(values.size()), static_cast<uint8_t>(2 * values.size())};
    for (uint16_t value : values) {
        frame.push_back(static_cast<uint8_t>(value >> 8));
        frame.push_back(static_cast<uint8_t>(value));
    }
    return WithCrc(frame);
}

// Register `index` (counted from the request's start) of a read reply.
uint16_t Word(const Bytes& reply, size_t index)
{
    return static_cast<uint16_t>(reply.at(3 + 2 * index) << 8 | reply.at(4 + 2 * index));
}

uint32_t DoubleWord(const Bytes& reply, size_t index)
{
    return static_cast<uint32_t>(Word(reply, index)) << 16 | Word(reply, index + 1);
}

uint32_t Pack(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<uint32_t>(year - 2015) << 26 | static_cast<uint32_t>(month) << 22 |
           static_cast<uint32_t>(day) << 17 | static_cast<uint32_t>(hour) << 12 | static_cast<uint32_t>(minute) << 6 |
           static_cast<uint32_t>(second);
}

// The tool's side of the line: the published pseudo-terminal, opened raw.
class Line {
  public:
    explicit Line(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios settings;
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~Line()
    {
        if (fd_ >= 0) close(fd_);
    }
    bool IsOpen() const { return fd_ >= 0; }

    void Send(const Bytes& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

    // Collects bytes until `count` are in, the line hangs up, or `limitMs` passes.
    Bytes Receive(size_t count, int limitMs = 3000, bool* hungUp = nullptr)
    {
        Bytes got;
        auto deadline = SteadyClock::now() + std::chrono::milliseconds(limitMs);
        if (hungUp) *hungUp = false;
        while (got.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
            if (left <= 0) break;
            pollfd watch = {fd_, POLLIN, 0};
            if (poll(&watch, 1, static_cast<int>(left)) <= 0) continue;
            uint8_t chunk[512];
            ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n > 0) {
                got.insert(got.end(), chunk, chunk + n);
            } else if (n == 0 || errno == EIO || (watch.revents & POLLHUP)) {
                if (hungUp) *hungUp = true;
                break;
            }
        }
        return got;
    }

    Bytes Exchange(const Bytes& request, size_t replyLength)
    {
        Send(request);
        return Receive(replyLength);
    }

    // True when nothing at all arrives within `quietMs`.
    bool StaysQuiet(int quietMs = 300) { return Receive(1, quietMs).empty(); }

  private:
    int fd_;
};

long MillisecondsSince(SteadyClock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

}  // namespace

TEST(RecorderSim, ServesHoldingRegistersWithDefaultsAndGivenValues)
{
    SimulatedRecorder sim({"--set", "62=11141", "--set", "0x3=0x2A", "--pages", "8", "--page-size", "120"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());

    Bytes all = line.Exchange(ReadRequest(3, 0, 67), 139);
    ASSERT_EQ(all.size(), 139u);
    EXPECT_TRUE(CrcFits(all));
    EXPECT_EQ(all[2], 134);
    EXPECT_EQ(Word(all, 1), 0x0102);
    EXPECT_EQ(Word(all, 3), 42);  // --set wins over the default
    EXPECT_EQ(Word(all, 8), 230);
    EXPECT_EQ(Word(all, 9), 50);
    EXPECT_EQ(Word(all, 62), 11141);
    EXPECT_EQ(DoubleWord(all, 65), 12345678u);
    // The memory pointers of an empty memory: one page select, one read of a single empty slot.
    Bytes pointers = line.Exchange(ReadRequest(3, 19, 7), 19);
    ASSERT_EQ(pointers.size(), 19u);
    EXPECT_EQ(Bytes(pointers.begin() + 3, pointers.end() - 2),
              Bytes({0, 8, 0, 120, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0}));
}

TEST(RecorderSim, WritesAreReadBackAndTheClockTicksInUtc)
{
    SimulatedRecorder sim({"--clock", "unset"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());

    // An unset clock reads just after 2015-01-01 00:00:00, before the factory-settings limit.
    Bytes clock = line.Exchange(ReadRequest(3, 16, 2), 9);
    ASSERT_EQ(clock.size(), 9u);
    EXPECT_LE(DoubleWord(clock, 0) - Pack(2015, 1, 1, 0, 0, 0), 30u);

    Bytes written = line.Exchange(WriteRequest(8, {120, 60, 100, 130, 5, 6, 15, 0}), 8);
    EXPECT_EQ(written, WithCrc({1, 16, 0, 8, 0, 8}));
    Bytes parameters = line.Exchange(ReadRequest(3, 8, 8), 21);
    ASSERT_EQ(parameters.size(), 21u);
    EXPECT_EQ(Word(parameters, 0), 120);
    EXPECT_EQ(Word(parameters, 6), 15);

    uint32_t set = Pack(2024, 2, 29, 23, 58, 30);
    EXPECT_EQ(line.Exchange(WriteRequest(16, {static_cast<uint16_t>(set >> 16), static_cast<uint16_t>(set)}), 8).size(),
              8u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    clock = line.Exchange(ReadRequest(3, 16, 2), 9);
    ASSERT_EQ(clock.size(), 9u);
    EXPECT_GE(DoubleWord(clock, 0), set + 1);
    EXPECT_LE(DoubleWord(clock, 0), set + 25);

    // Identity, pointers and counters are read-only.
    EXPECT_EQ(line.Exchange(WriteRequest(19, {1}), 5), WithCrc({1, 0x90, 2}));
}

TEST(RecorderSim, ClockNowReadsTheCurrentUtcTime)
{
    SimulatedRecorder sim;
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    Bytes clock = line.Exchange(ReadRequest(3, 16, 2), 9);
    ASSERT_EQ(clock.size(), 9u);
    uint32_t value = DoubleWord(clock, 0);
    tm fields = {};
    fields.tm_year = static_cast<int>(value >> 26) + 2015 - 1900;
    fields.tm_mon = static_cast<int>(value >> 22 & 15) - 1;
    fields.tm_mday = static_cast<int>(value >> 17 & 31);
    fields.tm_hour = static_cast<int>(value >> 12 & 31);
    fields.tm_min = static_cast<int>(value >> 6 & 63);
    fields.tm_sec = static_cast<int>(value & 63);
    EXPECT_LE(std::abs(static_cast<long>(timegm(&fields) - time(nullptr))), 60);
}

TEST(RecorderSim, PagedMemoryServesRecordsInReadsOf180Registers)
{
    SimulatedRecorder sim({"--pages", "3", "--page-size", "180", "--logs", "100", "--events", "20", "--no-pacing"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());

    Bytes pointers = line.Exchange(ReadRequest(3, 22, 4), 13);
    ASSERT_EQ(pointers.size(), 13u);
    // 120 records: page 1 whole, page 2 up to the last register of its 60th slot.
    EXPECT_EQ(Bytes(pointers.begin() + 3, pointers.end() - 2), Bytes({0, 1, 0, 0, 0, 2, 0, 179}));

    unsigned events = 0, logs = 0;
    uint32_t previous = 0;
    for (uint16_t page : {1, 2}) {
        ASSERT_EQ(line.Exchange(WriteRequest(21, {page}), 8).size(), 8u);
        Bytes records = line.Exchange(ReadRequest(4, 0, 180), 365);
        ASSERT_EQ(records.size(), 365u);
        EXPECT_TRUE(CrcFits(records));
        EXPECT_EQ(records[2], 360 & 0xFF);
        for (size_t k = 0; k < 60; ++k) {
            uint32_t time = DoubleWord(records, 3 * k);
            EXPECT_NE(time & 0xC0000000u, 0u) << "record " << k << " of page " << page;
            EXPECT_GT(time & 0x3FFFFFFFu, previous & 0x3FFFFFFFu);
            previous = time;
            if (time & 0x80000000u) ++events;
            if (time & 0x40000000u) ++logs;
        }
    }
    EXPECT_EQ(events, 20u);
    EXPECT_EQ(logs, 100u);
    // The first record is the documented log at 2024-01-01 00:00:00 UTC.
    ASSERT_EQ(line.Exchange(WriteRequest(21, {1}), 8).size(), 8u);
    Bytes first = line.Exchange(ReadRequest(4, 0, 3), 11);
    ASSERT_EQ(first.size(), 11u);
    EXPECT_EQ(DoubleWord(first, 0), Pack(2024, 1, 1, 0, 0, 0) | 0x40000000u);
    EXPECT_EQ(Word(first, 2), 15073);

    // A page beyond the memory, an offset beyond the page, and more than 180 registers are refused.
    ASSERT_EQ(line.Exchange(WriteRequest(21, {4}), 8).size(), 8u);
    EXPECT_EQ(line.Exchange(ReadRequest(4, 0, 3), 5), WithCrc({1, 0x84, 2}));
    ASSERT_EQ(line.Exchange(WriteRequest(21, {3}), 8).size(), 8u);
    EXPECT_EQ(line.Exchange(ReadRequest(4, 180, 3), 5), WithCrc({1, 0x84, 2}));
    EXPECT_EQ(line.Exchange(ReadRequest(4, 0, 181), 5), WithCrc({1, 0x84, 3}));
}

TEST(RecorderSim, WrappedMemoryPutsTheStartPointerAfterTheEndPointer)
{
    // 80 slots of 20 per page; 50 records start 25 slots before the ring's end.
    SimulatedRecorder sim({"--pages", "4", "--page-size", "60", "--logs", "45", "--events", "5", "--wrapped"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    Bytes pointers = line.Exchange(ReadRequest(3, 22, 4), 13);
    ASSERT_EQ(pointers.size(), 13u);
    EXPECT_EQ(Bytes(pointers.begin() + 3, pointers.end() - 2), Bytes({0, 3, 0, 45, 0, 2, 0, 14}));

    ASSERT_EQ(line.Exchange(WriteRequest(21, {3}), 8).size(), 8u);
    Bytes oldest = line.Exchange(ReadRequest(4, 45, 3), 11);
    ASSERT_EQ(oldest.size(), 11u);
    EXPECT_EQ(DoubleWord(oldest, 0) & 0x3FFFFFFFu, Pack(2024, 1, 1, 0, 0, 0));
    // Page 1 continues the ring with the 26th record, one minute apart from the first.
    ASSERT_EQ(line.Exchange(WriteRequest(21, {1}), 8).size(), 8u);
    Bytes wrapped = line.Exchange(ReadRequest(4, 0, 3), 11);
    ASSERT_EQ(wrapped.size(), 11u);
    EXPECT_EQ(DoubleWord(wrapped, 0) & 0x3FFFFFFFu, Pack(2024, 1, 1, 0, 25, 0));
}

TEST(RecorderSim, ReadsPastAShortPageEndGiveEmptySlots)
{
    SimulatedRecorder sim({"--pages", "1", "--page-size", "100", "--logs", "33"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    Bytes records = line.Exchange(ReadRequest(4, 96, 6), 17);
    ASSERT_EQ(records.size(), 17u);
    EXPECT_NE(DoubleWord(records, 0), 0u);
    EXPECT_EQ(Bytes(records.begin() + 9, records.end() - 2), Bytes(6, 0));
}

TEST(RecorderSim, ClearingMemoryEmptiesRecordsPointersAndPartialCounters)
{
    SimulatedRecorder sim({"--logs", "30", "--events", "3"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    // Only the value 0 clears.
    ASSERT_EQ(line.Exchange(WriteRequest(18, {5}), 8).size(), 8u);
    Bytes counters = line.Exchange(ReadRequest(3, 26, 36), 77);
    ASSERT_EQ(counters.size(), 77u);
    EXPECT_EQ(DoubleWord(counters, 0), 30u);
    EXPECT_EQ(DoubleWord(counters, 2), 3u);

    ASSERT_EQ(line.Exchange(WriteRequest(18, {0}), 8), WithCrc({1, 16, 0, 18, 0, 1}));
    Bytes records = line.Exchange(ReadRequest(4, 0, 180), 365);
    ASSERT_EQ(records.size(), 365u);
    EXPECT_EQ(Bytes(records.begin() + 3, records.end() - 2), Bytes(360, 0));
    Bytes pointers = line.Exchange(ReadRequest(3, 22, 4), 13);
    EXPECT_EQ(Bytes(pointers.begin() + 3, pointers.end() - 2), Bytes({0, 1, 0, 0, 0, 1, 0, 0}));
    counters = line.Exchange(ReadRequest(3, 26, 36), 77);
    ASSERT_EQ(counters.size(), 77u);
    EXPECT_EQ(DoubleWord(counters, 0), 0u);
    EXPECT_EQ(DoubleWord(counters, 18), 1030u);  // the total stays
}

TEST(RecorderSim, DefaultCommandAnswersOkAndRestoresFactoryParameters)
{
    SimulatedRecorder sim({"--set", "8=120", "--set", "14=99"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    Bytes ok = line.Exchange({'#', 'D', 'E', 'F', 'A', 'U', 'L', 'T'}, 6);
    EXPECT_EQ(ok, Bytes({'\r', '\n', 'O', 'K', '\r', '\n'}));
    Bytes parameters = line.Exchange(ReadRequest(3, 8, 8), 21);
    ASSERT_EQ(parameters.size(), 21u);
    EXPECT_EQ(Bytes(parameters.begin() + 3, parameters.end() - 2),
              Bytes({0, 230, 0, 50, 0, 207, 0, 253, 0, 2, 0, 6, 0, 10, 0, 0}));
}

TEST(RecorderSim, AnswersOnlyWellFormedRequestsForUnitOne)
{
    SimulatedRecorder sim;
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    // Outside the map, a bad count, an unknown function.
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 68), 5), Bytes({0x01, 0x83, 0x02, 0xC0, 0xF1}));
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 0), 5), WithCrc({1, 0x83, 3}));
    EXPECT_EQ(line.Exchange(WithCrc({1, 0x2B, 0x0E, 0x01, 0x00}), 5), WithCrc({1, 0xAB, 1}));
    // Another unit and a broken CRC get silence.
    line.Send(ReadRequest(3, 0, 2, 2));
    EXPECT_TRUE(line.StaysQuiet());
    Bytes broken = ReadRequest(3, 0, 2);
    broken[7] ^= 0x40;
    line.Send(broken);
    EXPECT_TRUE(line.StaysQuiet());
    // A stray byte is dropped after a silence and the next request is served.
    line.Send({0x01});
    auto deadline = SteadyClock::now() + std::chrono::seconds(3);
    while (sim.Requests().size() < 6 && SteadyClock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(sim.Requests().back(), Bytes({0x01}));
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 2), 9).size(), 9u);
}

TEST(RecorderSim, FaultsOnChosenRequestsShowOnTheWire)
{
    SimulatedRecorder sim({"--fault", "no-reply@1", "--fault", "wrong-unit@2", "--fault", "bad-crc@3", "--fault",
                           "exception:4@4", "--fault", "garbage:3@5", "--fault", "split:3:60@6", "--fault",
                           "late:300@7"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    Bytes request = ReadRequest(3, 0, 2);
    Bytes good = WithCrc({1, 3, 4, 0, 0, 1, 2});

    line.Send(request);
    EXPECT_TRUE(line.StaysQuiet());
    Bytes wrongUnit = line.Exchange(request, 9);
    EXPECT_EQ(wrongUnit[0], 2);
    EXPECT_TRUE(CrcFits(wrongUnit));
    Bytes badCrc = line.Exchange(request, 9);
    EXPECT_EQ(Bytes(badCrc.begin(), badCrc.end() - 1), Bytes(good.begin(), good.end() - 1));
    EXPECT_FALSE(CrcFits(badCrc));
    EXPECT_EQ(line.Exchange(request, 5), WithCrc({1, 0x83, 4}));
    EXPECT_EQ(line.Exchange(request, 12), Bytes({0xA5, 0xA5, 0xA5, 1, 3, 4, 0, 0, 1, 2, good[7], good[8]}));

    // Three pieces with two gaps of 60 ms, and a reply 300 ms late.
    auto start = SteadyClock::now();
    EXPECT_EQ(line.Exchange(request, 9), good);
    EXPECT_GE(MillisecondsSince(start), 110);
    start = SteadyClock::now();
    EXPECT_EQ(line.Exchange(request, 9), good);
    EXPECT_GE(MillisecondsSince(start), 290);
    EXPECT_EQ(line.Exchange(request, 9), good);
}

TEST(RecorderSim, FaultWithoutARequestNumberHitsEveryRequest)
{
    SimulatedRecorder sim({"--fault", "bad-crc", "--fault", "exception:6@2"});
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    EXPECT_FALSE(CrcFits(line.Exchange(ReadRequest(3, 0, 2), 9)));
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 2), 5), WithCrc({1, 0x83, 6}));
    EXPECT_FALSE(CrcFits(line.Exchange(ReadRequest(3, 0, 67), 139)));
}

TEST(RecorderSim, HangUpMidReplyThenServesANewLineAtTheSameLink)
{
    SimulatedRecorder sim({"--fault", "hang-up@1"});
    ASSERT_TRUE(sim.IsReady());
    {
        Line line(sim.LinkPath());
        line.Send(ReadRequest(3, 0, 67));
        bool hungUp = false;
        Bytes half = line.Receive(139, 3000, &hungUp);
        EXPECT_TRUE(hungUp);
        EXPECT_LE(half.size(), 69u);  // what the reader had not taken yet is lost with the line
    }
    Line again(sim.LinkPath());
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(again.Exchange(ReadRequest(3, 0, 67), 139).size(), 139u);
}

TEST(RecorderSim, RequestLogHoldsEveryRequestAsReceived)
{
    SimulatedRecorder sim;
    ASSERT_TRUE(sim.IsReady());
    Line line(sim.LinkPath());
    std::vector<Bytes> sent = {ReadRequest(3, 0, 67), WriteRequest(16, {0x2345, 0x6789}),
                               {'#', 'D', 'E', 'F', 'A', 'U', 'L', 'T'}, ReadRequest(3, 0, 2, 7)};
    EXPECT_EQ(line.Exchange(sent[0], 139).size(), 139u);
    EXPECT_EQ(line.Exchange(sent[1], 8).size(), 8u);
    EXPECT_EQ(line.Exchange(sent[2], 6).size(), 6u);
    line.Send(sent[3]);
    EXPECT_TRUE(line.StaysQuiet());
    EXPECT_EQ(sim.Requests(), sent);
}

TEST(RecorderSim, PacingAndTurnaroundMakeRepliesTakeLineTime)
{
    SimulatedRecorder paced;
    ASSERT_TRUE(paced.IsReady());
    Line line(paced.LinkPath());
    // 139 bytes of 10 bits at 115200 baud take 12 ms.
    auto start = SteadyClock::now();
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 67), 139).size(), 139u);
    EXPECT_GE(MillisecondsSince(start), 10);

    SimulatedRecorder slow({"--no-pacing", "--turnaround", "150"});
    ASSERT_TRUE(slow.IsReady());
    Line slowLine(slow.LinkPath());
    start = SteadyClock::now();
    EXPECT_EQ(slowLine.Exchange(ReadRequest(3, 0, 67), 139).size(), 139u);
    EXPECT_GE(MillisecondsSince(start), 140);
}

TEST(SimulatedRecorder, PublishesComPortLinkOverAStaleOneAndRemovesItOnStop)
{
    TemporaryPortsFolder ports;
    std::string link = ports.LinkPath(7);
    ASSERT_EQ(symlink("/nonexistent/tty", link.c_str()), 0);
    SimulatedRecorder sim({}, link);
    ASSERT_TRUE(sim.IsReady());
    EXPECT_EQ(sim.LinkPath(), link);
    Line line(link);
    EXPECT_EQ(line.Exchange(ReadRequest(3, 0, 2), 9).size(), 9u);
    sim.Stop();
    struct stat gone;
    EXPECT_NE(lstat(link.c_str(), &gone), 0);
}

TEST(SimulatedRecorder, BadArgumentsFailQuickly)
{
    auto start = SteadyClock::now();
    SimulatedRecorder sim({"--fault", "sometimes"});
    EXPECT_FALSE(sim.IsReady());
    EXPECT_LT(MillisecondsSince(start), 5000);
}
