#include "devicelink/ascii_transaction.h"

#include <cstring>

namespace {

constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;

}  // namespace

void XCAsciiTransaction::SetRequest(const uint8_t* command, uint32_t length)
{
    requestLength_ = length < kBufferSize ? length : kBufferSize;
    std::memcpy(buffer_, command, requestLength_);
    receivedCount_ = 0;
    state_ = XCTransactionState::Pending;
}

int XCAsciiTransaction::GetState() { return state_; }

uint32_t XCAsciiTransaction::GetRequestLength() { return requestLength_; }

uint8_t* XCAsciiTransaction::GetBuffer() { return buffer_; }

void XCAsciiTransaction::OnReceive(const uint8_t* data, uint32_t count)
{
    const uint32_t room = kBufferSize - receivedCount_;
    const uint32_t take = count < room ? count : room;
    std::memcpy(buffer_ + receivedCount_, data, take);
    receivedCount_ += take;
    if (receivedCount_ < 4) {
        return;
    }
    if (buffer_[0] != kCr || buffer_[1] != kLf) {
        state_ = XCTransactionState::Error;
        return;
    }
    if (buffer_[receivedCount_ - 2] == kCr && buffer_[receivedCount_ - 1] == kLf) {
        state_ = XCTransactionState::Complete;
    }
}

uint32_t XCAsciiTransaction::GetBytesToRead() { return 1; }

uint32_t XCAsciiTransaction::GetPreSendDelay() { return 40; }

uint32_t XCAsciiTransaction::GetTimeout() { return 30000; }

void XCAsciiTransaction::SetState(int state) { state_ = state; }

int XCAsciiTransaction::GetTypeCode() { return 10; }
