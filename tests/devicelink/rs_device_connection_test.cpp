#include "devicelink/rs_device_connection.h"

#include "devicelink/modbus_transaction.h"
#include "tests/support/modbus_frames.h"
#include "tests/support/pty_port.h"
#include "tests/support/stopwatch.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <atomic>
#include <future>
#include <numeric>

using namespace testsupport;

namespace {

// A transaction whose every answer the test sets, and which records the size of each read.
class ScriptedTransaction : public XCDeviceTransaction {
public:
    int state = XCTransactionState::Pending;
    uint32_t preSendDelay = 40, timeout = 500, bytesToRead = 8;
    Bytes request = Bytes(2, 0x5A);
    std::vector<uint32_t> pieces;

    int GetState() override { return state; }
    uint32_t GetRequestLength() override { return static_cast<uint32_t>(request.size()); }
    uint8_t* GetBuffer() override { return request.data(); }
    void OnReceive(const uint8_t*, uint32_t count) override { pieces.push_back(count); }
    uint32_t GetBytesToRead() override { return bytesToRead; }
    uint32_t GetPreSendDelay() override { return preSendDelay; }
    uint32_t GetTimeout() override { return timeout; }
    void SetState(int newState) override { state = newState; }
    int GetTypeCode() override { return 99; }
};

// A connection opened on a pseudo-terminal of its own, COM`port`.
class RsDeviceConnection : public ::testing::Test {
protected:
    void OpenOn(int port)
    {
        pty = std::make_unique<PtyPort>(ports.LinkPath(port));
        connection = std::make_unique<XCRSDeviceConnection>(port);
        ASSERT_TRUE(connection->Open());
    }

    TemporaryPortsFolder ports;
    std::unique_ptr<PtyPort> pty;
    std::unique_ptr<XCRSDeviceConnection> connection;
};

}  // namespace

TEST_F(RsDeviceConnection, OpenCloseAndStatesThatDoNoIo)
{
    OpenOn(23);
    ScriptedTransaction transaction;
    transaction.preSendDelay = 20000;
    // Idle: no quiet time, nothing written, the state stays.
    transaction.state = XCTransactionState::Idle;
    Stopwatch watch;
    connection->Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Idle);
    EXPECT_TRUE(pty->Receive(1, 100).empty());
    EXPECT_TRUE(connection->Open()) << "an open connection stays open";
    XCRSDeviceConnection second(23);
    EXPECT_FALSE(second.Open()) << "the port is held";
    // Never opened: Error without waiting the quiet time.
    transaction.state = XCTransactionState::Pending;
    second.Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Error);
    EXPECT_LT(watch.Milliseconds(), 5000);

    connection->Close();
    // The next open likely gets the descriptor the port had; a second close must not take it.
    const int reused = open("/dev/null", O_RDONLY | O_CLOEXEC);
    connection->Close();
    EXPECT_NE(fcntl(reused, F_GETFD), -1);
    close(reused);
    EXPECT_TRUE(second.Open());
    EXPECT_FALSE(XCRSDeviceConnection(-1).Open());
}

TEST_F(RsDeviceConnection, QuietTimeFirstAndShortReplyTimesOutWithoutPoisoningTheNext)
{
    OpenOn(25);
    const Bytes reply = ReadReply(3, 67, 134);
    // A read of 67 registers answered with the reply's first `sent` bytes (the device on its
    // own thread, awaited however the test ends); true when the request came after the quiet time.
    XCModBusTransaction transaction(300);
    auto exchange = [&](size_t sent) {
        transaction.BuildReadRequest(0, 67, 3);
        std::atomic<long> requestAfter{-1};
        Stopwatch watch;
        auto device = std::async(std::launch::async, [&] {
            pty->Receive(8, 5000);
            requestAfter = watch.Milliseconds();
            pty->Send(Bytes(reply.begin(), reply.begin() + static_cast<long>(sent)));
        });
        connection->Execute(transaction);
        device.wait();
        return requestAfter >= 39;
    };
    for (size_t sent : {size_t(0), size_t(70), size_t(138)}) {
        Stopwatch watch;
        EXPECT_TRUE(exchange(sent));
        EXPECT_EQ(transaction.GetState(), XCTransactionState::Timeout) << sent << " bytes";
        EXPECT_GE(watch.Milliseconds(), 300 + 30) << "the reply time-out was not waited";
        // The rest turns up after the verdict and waits at the port; the next exchange drops it.
        pty->Send(Bytes(reply.begin() + static_cast<long>(sent), reply.end()));
        ASSERT_TRUE(pty->WaitUntilPendingAtPort(static_cast<int>(139 - sent), 5000));
        EXPECT_TRUE(exchange(139));
        EXPECT_EQ(transaction.GetState(), XCTransactionState::Complete);
    }
}

TEST_F(RsDeviceConnection, ReadsAtMost512BytesAtATimePollsAnEmptyReadAndAStalledLineFailsTheWrite)
{
    OpenOn(24);
    ScriptedTransaction transaction;
    transaction.timeout = 400;
    transaction.bytesToRead = 2000;
    auto device = std::async(std::launch::async, [&] {
        pty->Receive(2, 5000);
        pty->Send(Bytes(1500, 0x77));
    });
    connection->Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Timeout);
    for (uint32_t piece : transaction.pieces)
        EXPECT_LE(piece, 512u);
    EXPECT_EQ(std::accumulate(transaction.pieces.begin(), transaction.pieces.end(), 0u), 1500u);
    // A transaction that asks for nothing is polled, not spun, until its time-out.
    transaction.state = XCTransactionState::Pending;
    transaction.bytesToRead = 0;
    transaction.timeout = 1000;
    Stopwatch idle;
    connection->Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Timeout);
    EXPECT_LT(idle.CpuMillisecondsSpent(), 0.1 * idle.Milliseconds());
    // Nobody takes a request far larger than the line holds.
    transaction.state = XCTransactionState::Pending;
    transaction.request = Bytes(1 << 20, 0x5A);
    connection->Execute(transaction);
    EXPECT_EQ(transaction.state, XCTransactionState::Error);
}

TEST_F(RsDeviceConnection, AHangUpEndsInTimeoutWithoutSpinningAndTheNextWriteFails)
{
    OpenOn(28);
    XCModBusTransaction transaction(1500);
    transaction.BuildReadRequest(0, 67, 3);
    auto device = std::async(std::launch::async, [&] {
        pty->Receive(8, 5000);
        pty->Send({0x01, 0x03, 0x86});
        pty->HangUp();
    });
    Stopwatch watch;
    connection->Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Timeout);
    EXPECT_GE(watch.Milliseconds(), 1500);
    EXPECT_LT(watch.CpuMillisecondsSpent(), 0.1 * watch.Milliseconds());
    // The write to a line that has gone fails.
    device.wait();
    transaction.BuildReadRequest(0, 67, 3);
    connection->Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Error);
}
