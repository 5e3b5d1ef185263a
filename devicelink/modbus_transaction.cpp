#include "devicelink/modbus_transaction.h"

#include "foundation/modbus_crc16.h"

#include <cstring>

namespace {

constexpr uint32_t kExceptionReplyLength = 5;
constexpr uint8_t kExceptionFlag = 0x80;
constexpr uint8_t kWriteMultipleRegisters = 16;
constexpr uint32_t kTcpHeaderLength = 6;  // the MBAP header before its unit id

void PutWord(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

}  // namespace

XCModBusTransaction::XCModBusTransaction(uint32_t replyTimeout)
    : state_(XCTransactionState::Idle), requestLength_(0), expectedReplyLength_(0), receivedCount_(0),
      unitId_(1), kind_(NothingBuilt), startRegister_(0), registerCount_(0), exceptionCode_(0),
      preSendDelay_(40), replyTimeout_(replyTimeout)
{
}

void XCModBusTransaction::BuildReadRequest(uint32_t startRegister, uint32_t count, uint8_t function)
{
    // A reply that cannot fit the frame could only ever end in a time-out.
    if (count > (kFrameSize - 5) / 2) {
        RefuseRequest();
        return;
    }
    BeginRequest(ReadRequest, function, startRegister, count);
    FinishRequest(6, 2 * count + 5);
}

void XCModBusTransaction::BuildWriteRequest(uint32_t startRegister, uint32_t count, const uint8_t* data)
{
    if (count > (kFrameSize - 9) / 2) {
        RefuseRequest();
        return;
    }
    BeginRequest(WriteRequest, kWriteMultipleRegisters, startRegister, count);
    frame_[6] = static_cast<uint8_t>(2 * count);
    if (count > 0)  // no values may come with a null pointer
        std::memcpy(frame_ + 7, data, 2 * count);
    FinishRequest(7 + 2 * count, 8);
}

void XCModBusTransaction::RefuseRequest()
{
    state_ = XCTransactionState::Idle;
    requestLength_ = 0;
    receivedCount_ = 0;
}

void XCModBusTransaction::BeginRequest(Kind kind, uint8_t function, uint32_t startRegister, uint32_t count)
{
    unitId_ = 1;
    kind_ = kind;
    startRegister_ = startRegister;
    registerCount_ = count;
    frame_[0] = static_cast<uint8_t>(unitId_);
    frame_[1] = function;
    PutWord(frame_ + 2, startRegister);
    PutWord(frame_ + 4, count);
}

void XCModBusTransaction::FinishRequest(uint32_t lengthBeforeCrc, uint32_t expectedReplyLength)
{
    PutWord(frame_ + lengthBeforeCrc, Crc16(frame_, lengthBeforeCrc));
    state_ = XCTransactionState::Pending;
    requestLength_ = lengthBeforeCrc + 2;
    expectedReplyLength_ = expectedReplyLength;
    receivedCount_ = 0;
}

uint16_t XCModBusTransaction::Crc16(const uint8_t* data, uint32_t length) { return ModbusCrc16(data, length); }

void XCModBusTransaction::Append(const uint8_t* data, uint32_t count)
{
    const uint32_t room = kFrameSize - receivedCount_;
    const uint32_t take = count < room ? count : room;
    std::memcpy(frame_ + receivedCount_, data, take);
    receivedCount_ += take;
}

int XCModBusTransaction::GetState() { return state_; }

uint32_t XCModBusTransaction::GetRequestLength() { return requestLength_; }

uint8_t* XCModBusTransaction::GetBuffer() { return frame_; }

void XCModBusTransaction::OnReceive(const uint8_t* data, uint32_t count)
{
    Append(data, count);
    if (receivedCount_ < kExceptionReplyLength) {
        return;
    }
    const bool exception = (frame_[1] & kExceptionFlag) != 0;
    // Only the length decides when a normal reply is whole; its byte count is not trusted.
    if (receivedCount_ != expectedReplyLength_ && !exception) {
        return;
    }
    if (frame_[0] != unitId_) {
        state_ = XCTransactionState::Error;
        return;
    }
    const uint32_t crcAt = receivedCount_ - 2;
    if (Crc16(frame_, crcAt) != ((frame_[crcAt] << 8) | frame_[crcAt + 1])) {
        state_ = XCTransactionState::CrcError;
        return;
    }
    if (exception) {
        state_ = XCTransactionState::Exception;
        exceptionCode_ = frame_[2];
        return;
    }
    state_ = XCTransactionState::Complete;
    exceptionCode_ = 0;
}

int XCModBusTransaction::ReceiveTcp(uint16_t transactionId, const uint8_t* data, uint32_t count)
{
    Append(data, count);
    if (receivedCount_ < 8 || ((frame_[0] << 8) | frame_[1]) != transactionId ||
        receivedCount_ != ((frame_[4] << 8) | frame_[5]) + kTcpHeaderLength) {
        return 0;
    }
    if (frame_[6] != unitId_) {
        state_ = XCTransactionState::Error;
        return 0;
    }
    // Acknowledge and server busy: the reply is dropped and another one awaited.
    if ((frame_[7] & kExceptionFlag) != 0 && receivedCount_ > 8 && (frame_[8] == 5 || frame_[8] == 6)) {
        receivedCount_ = 0;
        return frame_[8];
    }
    receivedCount_ -= kTcpHeaderLength;
    std::memmove(frame_, frame_ + kTcpHeaderLength, receivedCount_);
    if ((frame_[1] & kExceptionFlag) == 0) {
        state_ = XCTransactionState::Complete;
        exceptionCode_ = 0;
    } else {
        state_ = XCTransactionState::Exception;
        exceptionCode_ = frame_[2];
    }
    return 0;
}

uint32_t XCModBusTransaction::GetBytesToRead()
{
    return receivedCount_ < expectedReplyLength_ ? expectedReplyLength_ - receivedCount_ : 0;
}

uint32_t XCModBusTransaction::GetPreSendDelay() { return preSendDelay_; }

uint32_t XCModBusTransaction::GetTimeout() { return replyTimeout_; }

void XCModBusTransaction::SetState(int state) { state_ = state; }

int XCModBusTransaction::GetTypeCode() { return 0; }
