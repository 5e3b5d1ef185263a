// Modbus RTU replies as a noisy line might deliver them, fed in pieces as the connection feeds
// them: never more than the transaction asks for, at most 512 bytes a read. Input: the request
// (kind, start, count, for a write its values), then the pieces, each after its length byte.
#include "devicelink/modbus_transaction.h"
#include "foundation/modbus_crc16.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    XCModBusTransaction transaction(750);
    const uint8_t kind = input.Byte();
    const uint16_t start = input.U16();
    const uint32_t count = kind & 4 ? input.U32() : input.U16();
    if (kind & 1) {
        std::vector<uint8_t> values = input.Bytes(2 * size_t(count & 0x1FF));
        values.resize(2 * size_t(count & 0x1FF));
        transaction.BuildWriteRequest(start, count & 0x1FF, values.data());
    } else {
        transaction.BuildReadRequest(start, count, kind & 2 ? 4 : 3);
    }
    if (transaction.GetState() == XCTransactionState::Idle)
        return 0;
    // A request is only sent when its whole reply fits the frame.
    const uint32_t expected = transaction.GetBytesToRead();
    FUZZ_CHECK(expected >= 5 && expected <= XCModBusTransaction::kFrameSize);
    FUZZ_CHECK(transaction.GetRequestLength() <= XCModBusTransaction::kFrameSize);

    while (transaction.GetState() == XCTransactionState::Pending) {
        // A pending transaction that wants nothing more would keep the connection spinning.
        const uint32_t wanted = transaction.GetBytesToRead();
        FUZZ_CHECK(wanted > 0);
        const std::vector<uint8_t> piece = input.Piece(std::min(wanted, 512u));
        if (piece.empty())
            break;
        transaction.OnReceive(piece.data(), static_cast<uint32_t>(piece.size()));
    }

    const uint8_t* frame = transaction.GetBuffer();
    const uint32_t received = transaction.GetReceivedCount();
    const int state = transaction.GetState();
    if (state == XCTransactionState::Complete)
        FUZZ_CHECK(received == expected && frame[0] == 1 && (frame[1] & 0x80) == 0 &&
                   ModbusCrc16(frame, received - 2) == (frame[received - 2] << 8 | frame[received - 1]));
    if (state == XCTransactionState::Exception)
        FUZZ_CHECK(received >= 5 && frame[0] == 1 && (frame[1] & 0x80) != 0 &&
                   transaction.GetExceptionCode() == frame[2]);
    if (state == XCTransactionState::Error)
        FUZZ_CHECK(frame[0] != 1);
    return 0;
}
