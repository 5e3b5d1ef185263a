// Modbus TCP replies in pieces of any size up to a read's 512 bytes. Input: the transaction
// id, the register count of the read request, then the pieces, each after its length byte.
#include "devicelink/modbus_transaction.h"
#include "tests/fuzz/fuzz_input.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    XCModBusTransaction transaction(750);
    const uint16_t transactionId = input.U16();
    transaction.BuildReadRequest(0, input.Byte() % 126, 3);

    while (transaction.GetState() == XCTransactionState::Pending) {
        const std::vector<uint8_t> piece = input.Piece(512);
        if (piece.empty())
            break;
        const int code = transaction.ReceiveTcp(transactionId, piece.data(), static_cast<uint32_t>(piece.size()));
        // Acknowledge and server busy drop the reply; nothing else is returned.
        FUZZ_CHECK(code == 0 || ((code == 5 || code == 6) && transaction.GetReceivedCount() == 0));
        FUZZ_CHECK(transaction.GetReceivedCount() <= XCModBusTransaction::kFrameSize);
    }

    const uint8_t* frame = transaction.GetBuffer();
    if (transaction.GetState() == XCTransactionState::Complete)
        FUZZ_CHECK(frame[0] == 1 && (frame[1] & 0x80) == 0);
    if (transaction.GetState() == XCTransactionState::Exception)
        FUZZ_CHECK(frame[0] == 1 && transaction.GetExceptionCode() == frame[2]);
    return 0;
}
