#include "devicelink/rs_device_connection.h"

#include "devicelink/modbus_transaction.h"
#include "foundation/modbus_crc16.h"
#include "tests/support/pty_port.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/resource.h>

using testsupport::Bytes;
using testsupport::Peer;
using testsupport::PtyPort;

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

double CpuSeconds()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Bytes WithCrc(Bytes frame)
{
    const uint16_t crc = ModbusCrc16(frame.data(), static_cast<uint32_t>(frame.size()));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
    return frame;
}

Bytes ReadReply(uint32_t count)
{
    Bytes frame = {1, 3, static_cast<uint8_t>(2 * count)};
    for (uint32_t i = 0; i < count; ++i) {
        frame.push_back(static_cast<uint8_t>(i >> 8));
        frame.push_back(static_cast<uint8_t>(i));
    }
    return WithCrc(frame);
}

const Bytes kReadAll = {0x01, 0x03, 0x00, 0x00, 0x00, 0x43, 0x04, 0x3B};

// A transaction whose every answer the test sets, and which records how it was driven.
class ScriptedTransaction : public XCDeviceTransaction {
public:
    int state = XCTransactionState::Pending;
    uint32_t preSendDelay = 40;
    uint32_t timeout = 500;
    uint32_t bytesToRead = 8;
    Bytes request = Bytes(2, 0x5A);
    bool bufferTaken = false;
    std::vector<uint32_t> pieces;

    int GetState() override { return state; }
    uint32_t GetRequestLength() override { return static_cast<uint32_t>(request.size()); }
    uint8_t* GetBuffer() override
    {
        bufferTaken = true;
        return request.data();
    }
    void OnReceive(const uint8_t*, uint32_t count) override { pieces.push_back(count); }
    uint32_t GetBytesToRead() override { return bytesToRead; }
    uint32_t GetPreSendDelay() override { return preSendDelay; }
    uint32_t GetTimeout() override { return timeout; }
    void SetState(int newState) override { state = newState; }
    int GetTypeCode() override { return 99; }
};

class RsDeviceConnection : public ::testing::Test {
protected:
    TemporaryPortsFolder ports;
};

}  // namespace

TEST_F(RsDeviceConnection, ClosedConnectionErrsAtOnceAndIdleDoesNoIo)
{
    PtyPort pty(ports.LinkPath(21));
    XCRSDeviceConnection connection(21);
    ScriptedTransaction transaction;
    transaction.preSendDelay = 20000;
    // Never opened: Error without waiting the quiet time.
    auto start = Clock::now();
    connection.Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Error);
    EXPECT_LT(MillisecondsSince(start), 5000);

    ASSERT_TRUE(connection.Open());
    transaction.state = XCTransactionState::Idle;
    start = Clock::now();
    connection.Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Idle);
    EXPECT_FALSE(transaction.bufferTaken);
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_TRUE(pty.Receive(1, 100).empty());

    connection.Close();
    transaction.state = XCTransactionState::Pending;
    connection.Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Error);
}

TEST_F(RsDeviceConnection, QuietTimePassesBeforeEveryWrite)
{
    PtyPort pty(ports.LinkPath(22));
    XCRSDeviceConnection connection(22);
    ASSERT_TRUE(connection.Open());
    XCModBusTransaction transaction(750);
    for (int exchange = 0; exchange < 2; ++exchange) {
        std::atomic<long> requestAfter{-1};
        const auto start = Clock::now();
        Peer peer([&] {
            const Bytes request = pty.Receive(8, 5000);
            requestAfter = MillisecondsSince(start);
            if (request == kReadAll) {
                pty.Send(ReadReply(67));
            }
        });
        transaction.BuildReadRequest(0, 67, 3);
        connection.Execute(transaction);
        peer.Join();
        EXPECT_EQ(transaction.GetState(), XCTransactionState::Complete);
        EXPECT_GE(requestAfter.load(), 39) << "exchange " << exchange;
    }
}

TEST_F(RsDeviceConnection, HeldPortRefusesSecondOpenAndCloseClosesOnce)
{
    PtyPort pty(ports.LinkPath(23));
    XCRSDeviceConnection first(23);
    ASSERT_TRUE(first.Open());
    EXPECT_TRUE(first.Open()) << "an open connection stays open";
    XCRSDeviceConnection second(23);
    EXPECT_FALSE(second.Open());

    first.Close();
    // The descriptor the port had is likely handed to the next open; a second close must not
    // take it from its new owner.
    const int reused = open("/dev/null", O_RDONLY | O_CLOEXEC);
    first.Close();
    EXPECT_NE(fcntl(reused, F_GETFD), -1);
    close(reused);

    EXPECT_TRUE(second.Open());
    XCRSDeviceConnection noDevice(-1);
    EXPECT_FALSE(noDevice.Open());
}

TEST_F(RsDeviceConnection, ReplyInPiecesWithGapsCompletes)
{
    PtyPort pty(ports.LinkPath(24));
    XCRSDeviceConnection connection(24);
    ASSERT_TRUE(connection.Open());
    XCModBusTransaction transaction(750);
    transaction.BuildReadRequest(0, 180, 4);
    Bytes reply = ReadReply(180);
    reply[1] = 4;
    reply = WithCrc(Bytes(reply.begin(), reply.end() - 2));
    Peer peer([&] {
        pty.Receive(8, 5000);
        for (size_t at = 0; at < reply.size(); at += 100) {
            pty.Send(Bytes(reply.begin() + at, reply.begin() + std::min(at + 100, reply.size())));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    connection.Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Complete);
    EXPECT_EQ(transaction.GetReceivedCount(), 365u);
}

TEST_F(RsDeviceConnection, ShortOrHalfReplyEndsInTimeout)
{
    PtyPort pty(ports.LinkPath(25));
    XCRSDeviceConnection connection(25);
    ASSERT_TRUE(connection.Open());
    const Bytes reply = ReadReply(67);
    for (size_t sent : {size_t(0), size_t(70), size_t(138)}) {
        XCModBusTransaction transaction(300);
        transaction.BuildReadRequest(0, 67, 3);
        Peer peer([&] {
            pty.Receive(8, 5000);
            pty.Send(Bytes(reply.begin(), reply.begin() + sent));
        });
        const auto start = Clock::now();
        connection.Execute(transaction);
        EXPECT_EQ(transaction.GetState(), XCTransactionState::Timeout) << sent << " bytes";
        EXPECT_GE(MillisecondsSince(start), 300 + 30) << "the reply time-out was not waited";
    }
}

TEST_F(RsDeviceConnection, LateRemainderOfTimedOutReplyDoesNotPoisonNextExchange)
{
    PtyPort pty(ports.LinkPath(26));
    XCRSDeviceConnection connection(26);
    ASSERT_TRUE(connection.Open());
    const Bytes reply = ReadReply(67);
    XCModBusTransaction transaction(200);
    transaction.BuildReadRequest(0, 67, 3);
    {
        Peer peer([&] {
            pty.Receive(8, 5000);
            pty.Send(Bytes(reply.begin(), reply.begin() + 60));
        });
        connection.Execute(transaction);
    }
    ASSERT_EQ(transaction.GetState(), XCTransactionState::Timeout);
    // The rest turns up after the verdict and waits at the port.
    pty.Send(Bytes(reply.begin() + 60, reply.end()));
    ASSERT_TRUE(pty.WaitUntilPendingAtPort(79, 5000));

    Peer peer([&] {
        if (pty.Receive(8, 5000) == kReadAll) {
            pty.Send(reply);
        }
    });
    transaction.BuildReadRequest(0, 67, 3);
    connection.Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Complete);
}

TEST_F(RsDeviceConnection, ReadsNeverTakeMoreThan512)
{
    PtyPort pty(ports.LinkPath(27));
    XCRSDeviceConnection connection(27);
    ASSERT_TRUE(connection.Open());
    ScriptedTransaction transaction;
    transaction.timeout = 300;
    transaction.bytesToRead = 2000;
    Peer peer([&] {
        pty.Receive(2, 5000);
        pty.Send(Bytes(1500, 0x77));
    });
    connection.Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Timeout);
    uint32_t total = 0;
    for (uint32_t piece : transaction.pieces) {
        EXPECT_LE(piece, 512u);
        total += piece;
    }
    EXPECT_EQ(total, 1500u);
}

TEST_F(RsDeviceConnection, HangUpDuringExchangeEndsInTimeoutWithoutSpinning)
{
    PtyPort pty(ports.LinkPath(28));
    XCRSDeviceConnection connection(28);
    ASSERT_TRUE(connection.Open());
    XCModBusTransaction transaction(1500);
    transaction.BuildReadRequest(0, 67, 3);
    Peer peer([&] {
        pty.Receive(8, 5000);
        pty.Send({0x01, 0x03, 0x86});
        pty.HangUp();
    });
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    connection.Execute(transaction);
    const long elapsed = MillisecondsSince(start);
    const double cpuMilliseconds = (CpuSeconds() - cpuStart) * 1000;
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Timeout);
    EXPECT_GE(elapsed, 1500);
    EXPECT_LT(cpuMilliseconds, 0.1 * elapsed);

    // A transaction that asks for nothing is polled, not spun, until its time-out.
    ScriptedTransaction asksNothing;
    asksNothing.bytesToRead = 0;
    asksNothing.timeout = 1000;
    XCRSDeviceConnection idleLine(29);
    PtyPort quiet(ports.LinkPath(29));
    ASSERT_TRUE(idleLine.Open());
    const double cpuBefore = CpuSeconds();
    const auto begin = Clock::now();
    idleLine.Execute(asksNothing);
    EXPECT_EQ(asksNothing.state, XCTransactionState::Timeout);
    EXPECT_LT((CpuSeconds() - cpuBefore) * 1000, 0.1 * MillisecondsSince(begin));

    // The write to a line that has gone fails.
    transaction.BuildReadRequest(0, 67, 3);
    connection.Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Error);
}
