#include "devicelink/ascii_transaction.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<uint8_t>;

TEST(AsciiReply, FramedByCrLfAtBothEnds)
{
    constexpr int P = XCTransactionState::Pending, C = XCTransactionState::Complete, E = XCTransactionState::Error;
    const struct {
        Bytes reply;
        std::vector<int> statesByByte;
    } cases[] = {
        {{13, 10, 'O', 'K', 13, 10}, {P, P, P, P, P, C}},
        {{13, 10, 13, 10}, {P, P, P, C}},  // the shortest reply
        {{'O', 'K', 13, 10}, {P, P, P, E}},
        {{13, 10, 'x'}, {P, P, P}},  // a lone CR LF is not yet a reply
    };
    XCAsciiTransaction transaction;
    for (const auto& c : cases) {
        transaction.SetRequest(reinterpret_cast<const uint8_t*>("#DEFAULT"), 8);
        // The command goes out as its 8 bytes, with no terminator.
        EXPECT_EQ(Bytes(transaction.GetBuffer(), transaction.GetBuffer() + transaction.GetRequestLength()),
                  (Bytes{0x23, 0x44, 0x45, 0x46, 0x41, 0x55, 0x4C, 0x54}));
        std::vector<int> states;
        for (uint8_t byte : c.reply) {
            transaction.OnReceive(&byte, 1);
            states.push_back(transaction.GetState());
        }
        EXPECT_EQ(states, c.statesByByte) << c.reply.size() << "-byte reply";
        EXPECT_EQ(transaction.GetReceivedCount(), c.reply.size());
    }
    // Bytes past the buffer are dropped, not written beyond it.
    const Bytes flood(XCAsciiTransaction::kBufferSize, 'x');
    transaction.OnReceive(flood.data(), static_cast<uint32_t>(flood.size()));
    EXPECT_EQ(transaction.GetReceivedCount(), XCAsciiTransaction::kBufferSize);
    EXPECT_EQ(transaction.GetState(), P);
}
