#include "devicelink/ascii_transaction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

// The state after each byte of the reply.
std::vector<int> FeedByteByByte(XCAsciiTransaction& transaction, const Bytes& reply)
{
    std::vector<int> states;
    for (uint8_t byte : reply) {
        transaction.OnReceive(&byte, 1);
        states.push_back(transaction.GetState());
    }
    return states;
}

std::unique_ptr<XCAsciiTransaction> DefaultCommand()
{
    auto transaction = std::make_unique<XCAsciiTransaction>();
    transaction->SetRequest(reinterpret_cast<const uint8_t*>("#DEFAULT"), 8);
    return transaction;
}

constexpr int P = XCTransactionState::Pending;

}  // namespace

TEST(AsciiReply, FramedByCrLfAtBothEnds)
{
    // "#DEFAULT" goes out as its 8 bytes, with no terminator.
    auto command = DefaultCommand();
    EXPECT_EQ(Bytes(command->GetBuffer(), command->GetBuffer() + command->GetRequestLength()),
              (Bytes{0x23, 0x44, 0x45, 0x46, 0x41, 0x55, 0x4C, 0x54}));
    // CR LF "OK" CR LF completes at its sixth byte.
    auto ok = DefaultCommand();
    EXPECT_EQ(FeedByteByByte(*ok, {13, 10, 'O', 'K', 13, 10}),
              (std::vector<int>{P, P, P, P, P, XCTransactionState::Complete}));
    EXPECT_EQ(ok->GetReceivedCount(), 6u);
    // The shortest reply, CR LF CR LF, completes at its fourth.
    auto empty = DefaultCommand();
    EXPECT_EQ(FeedByteByByte(*empty, {13, 10, 13, 10}), (std::vector<int>{P, P, P, XCTransactionState::Complete}));
    // Without the leading CR LF: Error at the fourth byte.
    auto unframed = DefaultCommand();
    EXPECT_EQ(FeedByteByByte(*unframed, {'O', 'K', 13, 10}), (std::vector<int>{P, P, P, XCTransactionState::Error}));
    // A lone CR LF is not yet a reply.
    auto lone = DefaultCommand();
    EXPECT_EQ(FeedByteByByte(*lone, {13, 10, 'x'}), (std::vector<int>{P, P, P}));
    // Bytes past the buffer are dropped, not written beyond it.
    const Bytes flood(XCAsciiTransaction::kBufferSize, 'x');
    lone->OnReceive(flood.data(), static_cast<uint32_t>(flood.size()));
    EXPECT_EQ(lone->GetReceivedCount(), XCAsciiTransaction::kBufferSize);
    EXPECT_EQ(lone->GetState(), P);
}
