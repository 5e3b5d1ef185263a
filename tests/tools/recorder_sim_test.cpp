#include "platform/serial_port.h"
#include "tests/support/modbus_frames.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/stopwatch.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace testsupport;

namespace {

Bytes WriteRequest(uint16_t start, const std::vector<uint16_t>& values)
{
    Bytes frame = {1, 16, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start), 0,
                   static_cast<uint8_t>(values.size()), static_cast<uint8_t>(2 * values.size())};
    for (uint16_t value : values) frame.insert(frame.end(), {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    return WithCrc(frame);
}

// The data bytes of a read reply, and its double register `index` counted from the request's start.
Bytes Data(const Bytes& reply) { return reply.size() < 5 ? Bytes() : Bytes(reply.begin() + 3, reply.end() - 2); }
uint32_t DoubleWord(const Bytes& reply, size_t index)
{
    const size_t at = 3 + 2 * index;
    return uint32_t{reply.at(at)} << 24 | uint32_t{reply.at(at + 1)} << 16 | uint32_t{reply.at(at + 2)} << 8 | reply.at(at + 3);
}

// The simulator on COM9, and the tool's side of its line.
class RecorderSim : public ::testing::Test {
  protected:
    void Start(std::vector<std::string> arguments)
    {
        port.Close();
        sim.reset();
        sim = std::make_unique<SimulatedRecorder>(std::move(arguments), ports.LinkPath(9));
        ASSERT_TRUE(sim->IsReady());
        platform::SerialLineSettings raw;
        raw.baudRate = 115200;
        ASSERT_TRUE(port.Open(u"\\\\.\\COM9") && port.SetLineSettings(raw));
    }
    // Sends `request` and collects up to `count` bytes within `limitMs`.
    Bytes Exchange(const Bytes& request, uint32_t count, uint32_t limitMs = 3000)
    {
        uint32_t done = 0;
        uint8_t reply[512];
        EXPECT_TRUE(port.Write(request.data(), static_cast<uint32_t>(request.size()), done));
        port.SetReadTimeouts({0, limitMs});
        port.Read(reply, count, done);
        return Bytes(reply, reply + done);
    }
    // True when nothing at all answers `request` within 300 ms.
    bool Unanswered(const Bytes& request) { return Exchange(request, 1, 300).empty(); }
    void SelectPage(uint16_t page) { ASSERT_EQ(Exchange(WriteRequest(21, {page}), 8).size(), 8u); }

    TemporaryPortsFolder ports;
    std::unique_ptr<SimulatedRecorder> sim;
    platform::SerialPort port;
};

}  // namespace

TEST_F(RecorderSim, HoldingMapTakesWritesAndRefusesReadOnlyRegisters)
{
    // A leading zero is not octal.
    Start({"--set", "62=0100"});
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 62, 1), 7)), Bytes({0, 100}));

    // Parameters are written and read back; "#DEFAULT" restores them.
    EXPECT_EQ(Exchange(WriteRequest(8, {120, 60, 100, 130, 5, 6, 15, 0}), 8), WithCrc({1, 16, 0, 8, 0, 8}));
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 8, 8), 21)), Bytes({0, 120, 0, 60, 0, 100, 0, 130, 0, 5, 0, 6, 0, 15, 0, 0}));
    EXPECT_EQ(Exchange({'#', 'D', 'E', 'F', 'A', 'U', 'L', 'T'}, 6), Bytes({'\r', '\n', 'O', 'K', '\r', '\n'}));
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 8, 8), 21)), Bytes({0, 230, 0, 50, 0, 207, 0, 253, 0, 2, 0, 6, 0, 10, 0, 0}));
    // A written clock reads back.
    const uint32_t set = 0x24BB7E80;  // 2024-02-29 23:58, packed as the recorder keeps it
    EXPECT_EQ(Exchange(WriteRequest(16, {static_cast<uint16_t>(set >> 16), static_cast<uint16_t>(set)}), 8).size(), 8u);
    EXPECT_LE(DoubleWord(Exchange(ReadRequest(3, 16, 2), 9), 0) - set, 25u);
    // Identity, pointers and counters are read-only.
    EXPECT_EQ(Exchange(WriteRequest(19, {1}), 5), WithCrc({1, 0x90, 2}));
}

TEST_F(RecorderSim, PagedMemoryServesRecordsAndClearsOnZero)
{
    Start({"--pages", "3", "--page-size", "180", "--logs", "100", "--events", "20", "--no-pacing"});
    // 120 records: page 1 whole, page 2 up to the last register of its 60th slot.
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 22, 4), 13)), Bytes({0, 1, 0, 0, 0, 2, 0, 179}));
    unsigned events = 0, logs = 0;
    uint32_t previous = 0;
    for (uint16_t page : {1, 2}) {
        SelectPage(page);
        const Bytes records = Exchange(ReadRequest(4, 0, 180), 365);
        ASSERT_EQ(records.size(), 365u);
        EXPECT_TRUE(CrcFits(records));
        for (size_t k = 0; k < 60; ++k) {
            const uint32_t time = DoubleWord(records, 3 * k);
            EXPECT_GT(time & 0x3FFFFFFFu, previous & 0x3FFFFFFFu) << "record " << k << " of page " << page;
            previous = time;
            events += (time >> 31) & 1;
            logs += (time >> 30) & 1;
        }
    }
    EXPECT_EQ(events, 20u);
    EXPECT_EQ(logs, 100u);
    // A page beyond the memory, an offset beyond the page, and more than 180 registers are refused.
    SelectPage(4);
    EXPECT_EQ(Exchange(ReadRequest(4, 0, 3), 5), WithCrc({1, 0x84, 2}));
    SelectPage(1);
    EXPECT_EQ(Exchange(ReadRequest(4, 180, 3), 5), WithCrc({1, 0x84, 2}));
    EXPECT_EQ(Exchange(ReadRequest(4, 0, 181), 5), WithCrc({1, 0x84, 3}));

    // Writing 5 to register 18 keeps the memory; writing 0 clears records and pointers.
    ASSERT_EQ(Exchange(WriteRequest(18, {5}), 8).size(), 8u);
    EXPECT_NE(Data(Exchange(ReadRequest(4, 0, 3), 11)), Bytes(6, 0));
    ASSERT_EQ(Exchange(WriteRequest(18, {0}), 8).size(), 8u);
    EXPECT_EQ(Data(Exchange(ReadRequest(4, 0, 180), 365)), Bytes(360, 0));
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 22, 4), 13)), Bytes({0, 1, 0, 0, 0, 1, 0, 0}));

    // Wrapped, 80 slots of 20 per page: 50 records start 25 slots before the ring's end, so the
    // start pointer lies after the end pointer, and page 1 continues with the 26th record.
    Start({"--pages", "4", "--page-size", "60", "--logs", "45", "--events", "5", "--wrapped"});
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 22, 4), 13)), Bytes({0, 3, 0, 45, 0, 2, 0, 14}));
    SelectPage(3);
    EXPECT_EQ(DoubleWord(Exchange(ReadRequest(4, 45, 3), 11), 0) & 0x3FFFFFFFu, 0x24420000u);  // 2024-01-01 00:00
    SelectPage(1);
    EXPECT_EQ(DoubleWord(Exchange(ReadRequest(4, 0, 3), 11), 0) & 0x3FFFFFFFu, 0x24420000u + (25u << 6));
}

TEST_F(RecorderSim, AnswersWellFormedRequestsForUnitOneLogsEveryRequestAndReplacesAStaleLink)
{
    // A stale link from an earlier run is replaced, not taken for the simulator's.
    ASSERT_EQ(symlink("/nonexistent/tty", ports.LinkPath(9).c_str()), 0);
    Start({});
    // 139 bytes of 10 bits at 115200 baud take 12 ms on the line.
    Stopwatch paced;
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 67), 139).size(), 139u);
    EXPECT_GE(paced.Milliseconds(), 10);
    // Outside the map, a bad count, an unknown function.
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 68), 5), Bytes({0x01, 0x83, 0x02, 0xC0, 0xF1}));
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 0), 5), WithCrc({1, 0x83, 3}));
    EXPECT_EQ(Exchange(WithCrc({1, 0x2B, 0x0E, 0x01, 0x00}), 5), WithCrc({1, 0xAB, 1}));
    // Another unit, a broken CRC and a stray byte get silence; the stray byte ends at a gap.
    Bytes broken = ReadRequest(3, 0, 2);
    broken[7] ^= 0x40;
    EXPECT_TRUE(Unanswered(ReadRequest(3, 0, 2, 2)));
    EXPECT_TRUE(Unanswered(broken));
    EXPECT_TRUE(Unanswered({0x01}));
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 2), 9).size(), 9u);
    EXPECT_EQ(sim->Requests(), (std::vector<Bytes>{ReadRequest(3, 0, 67), ReadRequest(3, 0, 68), ReadRequest(3, 0, 0),
                                                  WithCrc({1, 0x2B, 0x0E, 0x01, 0x00}), ReadRequest(3, 0, 2, 2),
                                                  broken, {0x01}, ReadRequest(3, 0, 2)}));
    sim.reset();
    struct stat gone;
    EXPECT_NE(lstat(ports.LinkPath(9).c_str(), &gone), 0);
}

TEST_F(RecorderSim, EachFaultShowsOnTheWire)
{
    Start({"--fault", "bad-crc", "--fault", "no-reply@1", "--fault", "wrong-unit@2", "--fault", "exception:4@4",
           "--fault", "garbage:3@5", "--fault", "split:3:60@6", "--fault", "late:0@7"});
    const Bytes request = ReadRequest(3, 0, 2);
    const Bytes good = WithCrc({1, 3, 4, 0, 0, 1, 2});

    EXPECT_TRUE(Unanswered(request));
    const Bytes wrongUnit = Exchange(request, 9);
    EXPECT_EQ(wrongUnit[0], 2);
    EXPECT_TRUE(CrcFits(wrongUnit));
    // A fault without a request number hits every request that has none of its own.
    const Bytes badCrc = Exchange(request, 9);
    EXPECT_EQ(Bytes(badCrc.begin(), badCrc.end() - 1), Bytes(good.begin(), good.end() - 1));
    EXPECT_FALSE(CrcFits(badCrc));
    EXPECT_EQ(Exchange(request, 5), WithCrc({1, 0x83, 4}));
    EXPECT_EQ(Exchange(request, 12), Bytes({0xA5, 0xA5, 0xA5, 1, 3, 4, 0, 0, 1, 2, good[7], good[8]}));
    // Three pieces with two gaps of 60 ms.
    Stopwatch watch;
    EXPECT_EQ(Exchange(request, 9), good);
    EXPECT_GE(watch.Milliseconds(), 110);
    EXPECT_EQ(Exchange(request, 9), good);
}
