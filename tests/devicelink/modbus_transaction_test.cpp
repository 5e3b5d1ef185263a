#include "devicelink/modbus_transaction.h"

#include "tests/support/modbus_frames.h"

#include <gtest/gtest.h>

using testsupport::Bytes;
using testsupport::ReadReply;

namespace {

Bytes Request(XCModBusTransaction& transaction)
{
    return Bytes(transaction.GetBuffer(), transaction.GetBuffer() + transaction.GetRequestLength());
}

// Feeds the reply in pieces and gives the state after each piece.
std::vector<int> Feed(XCModBusTransaction& transaction, const Bytes& reply, size_t piece)
{
    std::vector<int> states;
    for (size_t at = 0; at < reply.size(); at += piece) {
        transaction.OnReceive(reply.data() + at, static_cast<uint32_t>(std::min(piece, reply.size() - at)));
        states.push_back(transaction.GetState());
    }
    return states;
}

}  // namespace

TEST(ModbusRequest, FramesOnTheWireAndOnlyThoseThatFit)
{
    // The standard check value 0x4B37 goes on the wire as 37 4B.
    EXPECT_EQ(ModbusCrc16(reinterpret_cast<const uint8_t*>("123456789"), 9), 0x374B);
    EXPECT_EQ(ModbusCrc16(nullptr, 0), 0xFFFF);

    XCModBusTransaction transaction(750);
    // The read-out of registers 0 to 66.
    transaction.BuildReadRequest(0, 67, 3);
    EXPECT_EQ(Request(transaction), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x43, 0x04, 0x3B}));
    EXPECT_EQ(transaction.GetBytesToRead(), 139u);
    // Page select: the value 1 to register 21, with its 8-byte reply.
    const uint8_t page[] = {0x00, 0x01};
    transaction.BuildWriteRequest(21, 1, page);
    EXPECT_EQ(Request(transaction), (Bytes{0x01, 0x10, 0x00, 0x15, 0x00, 0x01, 0x02, 0x00, 0x01, 0x65, 0x55}));
    EXPECT_EQ(transaction.GetBytesToRead(), 8u);

    // 188 registers would run past the frame: nothing may be sent, and the state must not read
    // as a verdict on the earlier request.
    const Bytes values(2 * 188, 0xAB);
    transaction.BuildWriteRequest(0, 188, values.data());
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Idle);
    EXPECT_EQ(transaction.GetRequestLength(), 0u);
    transaction.BuildWriteRequest(0, 187, values.data());
    EXPECT_EQ(transaction.GetRequestLength(), 383u);
    // A read of 190 registers would expect a 385-byte reply; above 0xFFFF the frame's count
    // would not be the count expected.
    for (uint32_t count : {190u, 0x10000u + 67u}) {
        transaction.BuildReadRequest(0, count, 4);
        EXPECT_EQ(transaction.GetState(), XCTransactionState::Idle) << count;
        EXPECT_EQ(transaction.GetRequestLength(), 0u) << count;
    }
    transaction.BuildReadRequest(0, 189, 4);
    EXPECT_EQ(transaction.GetBytesToRead(), 383u);
}

TEST(ModbusReply, CompleteOnlyWhenWholeInPiecesOfAnySize)
{
    // 180 registers: 360 data bytes, whose byte count cannot say so.
    for (const uint32_t count : {67u, 180u}) {
        const Bytes reply = ReadReply(count == 67 ? 3 : 4, count, static_cast<uint8_t>(2 * count));
        for (size_t piece = 1; piece <= reply.size(); ++piece) {
            XCModBusTransaction transaction(750);
            transaction.BuildReadRequest(0, count, reply[1]);
            std::vector<int> expected((reply.size() + piece - 1) / piece, XCTransactionState::Pending);
            expected.back() = XCTransactionState::Complete;
            ASSERT_EQ(Feed(transaction, reply, piece), expected) << count << " registers, piece size " << piece;
            EXPECT_EQ(transaction.GetBytesToRead(), 0u);
        }
    }
}

TEST(ModbusReply, ExceptionAtFiveBytesWrongUnitAtTheEndAndAnyFlippedBitCaught)
{
    XCModBusTransaction transaction(750);
    transaction.BuildReadRequest(0, 67, 3);
    EXPECT_EQ(Feed(transaction, {0x01, 0x83, 0x02, 0xC0, 0xF1}, 1), (std::vector<int>{1, 1, 1, 1, XCTransactionState::Exception}));
    EXPECT_EQ(transaction.GetExceptionCode(), 2u);
    // A later normal reply clears the code.
    const Bytes good = ReadReply(3, 67, 134);
    transaction.BuildReadRequest(0, 67, 3);
    Feed(transaction, good, 139);
    EXPECT_EQ(transaction.GetExceptionCode(), 0u);
    // A reply from another unit is judged only at the expected length.
    Bytes fromUnit2 = good;
    fromUnit2[0] = 2;
    transaction.BuildReadRequest(0, 67, 3);
    const std::vector<int> states = Feed(transaction, fromUnit2, 1);
    EXPECT_EQ(states[137], XCTransactionState::Pending);
    EXPECT_EQ(states[138], XCTransactionState::Error);

    for (size_t bit = 8; bit < good.size() * 8; ++bit) {
        Bytes damaged = good;
        damaged[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
        transaction.BuildReadRequest(0, 67, 3);
        Feed(transaction, damaged, 139);
        // A flip of the exception flag is judged at 5 bytes, and its CRC fails too.
        ASSERT_EQ(transaction.GetState(), XCTransactionState::CrcError) << "bit " << bit;
    }
}

TEST(ModbusTcpReply, HeaderCheckedStrippedAndBusyDropped)
{
    XCModBusTransaction transaction(750);
    transaction.BuildReadRequest(0, 2, 3);
    const Bytes reply = {0x12, 0x34, 0, 0, 0, 7, 1, 3, 4, 0xAA, 0xBB, 0xCC, 0xDD};
    EXPECT_EQ(transaction.ReceiveTcp(0x1234, reply.data(), 5), 0);
    EXPECT_EQ(transaction.ReceiveTcp(0x1234, reply.data() + 5, 8), 0);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Complete);
    EXPECT_EQ(Bytes(transaction.GetBuffer(), transaction.GetBuffer() + transaction.GetReceivedCount()),
              (Bytes{1, 3, 4, 0xAA, 0xBB, 0xCC, 0xDD}));
    // Busy (6) is dropped and the reply still awaited; any other exception is the verdict.
    transaction.BuildReadRequest(0, 2, 3);
    for (const uint8_t code : {6, 2}) {
        const Bytes exception = {0x12, 0x34, 0, 0, 0, 3, 1, 0x83, code};
        EXPECT_EQ(transaction.ReceiveTcp(0x1234, exception.data(), 9), code == 6 ? 6 : 0);
        EXPECT_EQ(transaction.GetState(), code == 6 ? XCTransactionState::Pending : XCTransactionState::Exception);
    }
    EXPECT_EQ(transaction.GetExceptionCode(), 2u);
}
