#include "platform/serial_port.h"
#include "tests/support/modbus_frames.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/stopwatch.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <memory>

using namespace testsupport;

namespace {

Bytes WriteRequest(uint16_t start, uint16_t value)
{
    return WithCrc({1, 16, 0, static_cast<uint8_t>(start), 0, 1, 2, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
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
        ASSERT_TRUE(port.Open(u"\\\\.\\COM9") && port.SetLineSettings({115200}));
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
    void SelectPage(uint16_t page) { ASSERT_EQ(Exchange(WriteRequest(21, page), 8).size(), 8u); }

    TemporaryPortsFolder ports;
    std::unique_ptr<SimulatedRecorder> sim;
    platform::SerialPort port;
};

}  // namespace

TEST_F(RecorderSim, AnswersOnlyWellFormedRequestsForUnitOneAndRefusesWhatLiesOutsideTheMap)
{
    Start({});
    // Outside the map, a read-only register, a bad count, an unknown function.
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 68), 5), Bytes({0x01, 0x83, 0x02, 0xC0, 0xF1}));
    EXPECT_EQ(Exchange(WriteRequest(19, 1), 5), WithCrc({1, 0x90, 2}));
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 0), 5), WithCrc({1, 0x83, 3}));
    EXPECT_EQ(Exchange(WithCrc({1, 0x2B, 0x0E, 0x01, 0x00}), 5), WithCrc({1, 0xAB, 1}));
    // Another unit, a broken CRC and a stray byte get no answer within 300 ms; the stray byte ends at a gap.
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 2, 2), 1, 300), Bytes());
    EXPECT_EQ(Exchange({1, 3, 0, 0, 0, 2, 0, 0}, 1, 300), Bytes());
    EXPECT_EQ(Exchange({0x01}, 1, 300), Bytes());
    EXPECT_EQ(Exchange(ReadRequest(3, 0, 2), 9).size(), 9u);
}

TEST_F(RecorderSim, PagedMemoryServesRecordsAndClearsOnZero)
{
    Start({"--pages", "3", "--page-size", "180", "--logs", "40", "--events", "20", "--no-pacing"});
    // 60 records fill page 1, up to the last register of its 60th slot, oldest first.
    EXPECT_EQ(Data(Exchange(ReadRequest(3, 22, 4), 13)), Bytes({0, 1, 0, 0, 0, 1, 0, 179}));
    SelectPage(1);
    const Bytes records = Exchange(ReadRequest(4, 0, 180), 365);
    unsigned events = 0, logs = 0;
    for (size_t k = 0; k < 60; ++k) {
        const uint32_t time = DoubleWord(records, 3 * k);  // throws on a short reply
        EXPECT_GT(time & 0x3FFFFFFFu, k == 0 ? 0u : DoubleWord(records, 3 * k - 3) & 0x3FFFFFFFu) << "record " << k;
        events += time >> 31;
        logs += time >> 30 & 1;
    }
    EXPECT_EQ(events, 20u);
    EXPECT_EQ(logs, 40u);
    // A page beyond the memory, an offset beyond the page, and more than 180 registers are refused.
    SelectPage(4);
    EXPECT_EQ(Exchange(ReadRequest(4, 0, 3), 5), WithCrc({1, 0x84, 2}));
    SelectPage(1);
    EXPECT_EQ(Exchange(ReadRequest(4, 180, 3), 5), WithCrc({1, 0x84, 2}));
    EXPECT_EQ(Exchange(ReadRequest(4, 0, 181), 5), WithCrc({1, 0x84, 3}));
    // Writing 0 to register 18 clears records and pointers.
    ASSERT_EQ(Exchange(WriteRequest(18, 0), 8).size(), 8u);
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

TEST_F(RecorderSim, AFaultWithoutARequestNumberSplitsEveryReply)
{
    Start({"--fault", "split:3:60"});
    // Three pieces with two gaps of 60 ms.
    for (int request = 1; request <= 2; ++request) {
        Stopwatch watch;
        EXPECT_EQ(Exchange(ReadRequest(3, 0, 2), 9), WithCrc({1, 3, 4, 0, 0, 1, 2})) << request;
        EXPECT_GE(watch.Milliseconds(), 110) << request;
    }
}
