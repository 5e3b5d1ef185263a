// Replies to the factory-settings command, fed one byte a read as the connection feeds them.
// Input: how many times the reply bytes repeat (to reach the buffer's end), then the bytes.
#include "devicelink/ascii_transaction.h"
#include "tests/fuzz/fuzz_input.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const int repeats = 1 + input.Byte() % 16;
    const std::vector<uint8_t> reply = input.Rest();
    static XCAsciiTransaction transaction;  // 64 KB: kept off the stack
    transaction.SetRequest(reinterpret_cast<const uint8_t*>("#DEFAULT"), 8);

    for (int r = 0; r < repeats; ++r) {
        for (size_t k = 0; k < reply.size() && transaction.GetState() == XCTransactionState::Pending; ++k) {
            FUZZ_CHECK(transaction.GetBytesToRead() == 1);
            transaction.OnReceive(&reply[k], 1);
        }
    }

    const uint8_t* buffer = transaction.GetBuffer();
    const uint32_t received = transaction.GetReceivedCount();
    FUZZ_CHECK(received <= XCAsciiTransaction::kBufferSize);
    if (transaction.GetState() == XCTransactionState::Complete)
        FUZZ_CHECK(received >= 4 && buffer[0] == '\r' && buffer[1] == '\n' && buffer[received - 2] == '\r' &&
                   buffer[received - 1] == '\n');
    if (transaction.GetState() == XCTransactionState::Error)
        FUZZ_CHECK(received >= 4 && !(buffer[0] == '\r' && buffer[1] == '\n'));
    return 0;
}
