#pragma once
#include "devicelink/device_transaction.h"

// A Modbus RTU request to unit 1 and the check of its reply. Users read a read reply's
// registers from GetBuffer: register R of a request starting at S is the big-endian word at
// bytes 3 + 2(R - S) and 4 + 2(R - S).
class XCModBusTransaction : public XCDeviceTransaction {
public:
    static constexpr uint32_t kFrameSize = 384;

    explicit XCModBusTransaction(uint32_t replyTimeout);

    // Function 3 or 4: read `count` registers from `startRegister`. Over 189 registers the reply
    // could not fit the frame: nothing is built and the transaction becomes Idle.
    void BuildReadRequest(uint32_t startRegister, uint32_t count, uint8_t function);
    // Function 16: `data` holds the 2 x count bytes of the values, each big-endian.
    // A request that would not fit the frame (over 187 registers) is not built: the transaction
    // becomes Idle, so executing it sends nothing and it never reads Complete.
    void BuildWriteRequest(uint32_t startRegister, uint32_t count, const uint8_t* data);
    // The CRC bytes in transmission order, the first in the high 8 bits.
    static uint16_t Crc16(const uint8_t* data, uint32_t length);

    uint32_t GetStartRegister() const { return startRegister_; }
    uint32_t GetExceptionCode() const { return exceptionCode_; }
    uint32_t GetReceivedCount() const { return receivedCount_; }

    int GetState() override;
    uint32_t GetRequestLength() override;
    uint8_t* GetBuffer() override;
    void OnReceive(const uint8_t* data, uint32_t count) override;
    // The Modbus TCP form of the reply check (header, no CRC); no caller in this system.
    int ReceiveTcp(uint16_t transactionId, const uint8_t* data, uint32_t count) override;
    uint32_t GetBytesToRead() override;
    uint32_t GetPreSendDelay() override;
    uint32_t GetTimeout() override;
    void SetState(int state) override;
    int GetTypeCode() override;

private:
    enum Kind : uint32_t { NothingBuilt = 0, ReadRequest = 1, WriteRequest = 2 };

    // Leaves nothing to send, and no state that reads as a verdict on an earlier request.
    void RefuseRequest();
    // The unit, function, start and count that both request forms begin with.
    void BeginRequest(Kind kind, uint8_t function, uint32_t startRegister, uint32_t count);
    // Appends the CRC after `lengthBeforeCrc` bytes and awaits the reply.
    void FinishRequest(uint32_t lengthBeforeCrc, uint32_t expectedReplyLength);
    void Append(const uint8_t* data, uint32_t count);

    uint8_t frame_[kFrameSize] = {};
    int state_;
    uint32_t requestLength_;
    uint32_t expectedReplyLength_;
    uint32_t receivedCount_;
    uint32_t unitId_;
    uint32_t kind_;
    uint32_t startRegister_;
    uint32_t registerCount_;
    uint32_t exceptionCode_;
    uint32_t preSendDelay_;
    uint32_t replyTimeout_;
};
