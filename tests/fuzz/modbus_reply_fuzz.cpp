// Modbus RTU replies as a noisy line might deliver them, fed in pieces as the connection feeds
// them: never more than the transaction asks for, at most 512 bytes a read. Input: the request
// (kind, start, count, for a write its values), then the pieces, each after its length byte.
#include "devicelink/modbus_transaction.h"
#include "foundation/modbus_crc16.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/reply_pieces.h"

#include <vector>

namespace {

constexpr uint32_t kReadChunk = 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    XCModBusTransaction transaction(750);
    const uint8_t kind = input.Byte();
    const uint16_t start = input.U16();
    const uint32_t count = kind & 4 ? input.U32() : input.U16();
    if (kind & 1) {
        const std::vector<uint8_t> values = input.Bytes(2 * size_t(count & 0x1FF));
        std::vector<uint8_t> frame(2 * size_t(count & 0x1FF), 0);
        std::copy(values.begin(), values.end(), frame.begin());
        transaction.BuildWriteRequest(start, count & 0x1FF, frame.data());
    } else {
        transaction.BuildReadRequest(start, count, kind & 2 ? 4 : 3);
    }
    if (transaction.GetState() == XCTransactionState::Idle) {
        FUZZ_CHECK(transaction.GetRequestLength() == 0);
        return 0;
    }
    // A request is only sent when its whole reply fits the frame.
    const uint32_t expected = transaction.GetBytesToRead();
    FUZZ_CHECK(expected >= 5 && expected <= XCModBusTransaction::kFrameSize);
    FUZZ_CHECK(transaction.GetRequestLength() <= XCModBusTransaction::kFrameSize);

    while (transaction.GetState() == XCTransactionState::Pending && !input.AtEnd()) {
        // A pending transaction that wants nothing more would keep the connection spinning.
        const uint32_t wanted = transaction.GetBytesToRead();
        FUZZ_CHECK(wanted > 0);
        const std::vector<uint8_t> piece = NextPiece(input, wanted < kReadChunk ? wanted : kReadChunk);
        if (!piece.empty())
            transaction.OnReceive(piece.data(), static_cast<uint32_t>(piece.size()));
    }

    const uint8_t* frame = transaction.GetBuffer();
    const uint32_t received = transaction.GetReceivedCount();
    switch (transaction.GetState()) {
    case XCTransactionState::Complete:
        FUZZ_CHECK(received == expected && frame[0] == 1 && (frame[1] & 0x80) == 0);
        FUZZ_CHECK(ModbusCrc16(frame, received - 2) == (frame[received - 2] << 8 | frame[received - 1]));
        break;
    case XCTransactionState::Exception:
        FUZZ_CHECK(received >= 5 && frame[0] == 1 && (frame[1] & 0x80) != 0);
        FUZZ_CHECK(transaction.GetExceptionCode() == frame[2]);
        break;
    case XCTransactionState::Error:
        FUZZ_CHECK(frame[0] != 1);
        break;
    default:
        break;
    }
    return 0;
}
