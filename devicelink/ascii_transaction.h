#pragma once
#include "devicelink/device_transaction.h"

// A plain-text command sent as it stands, whose reply is complete when CR LF frames it at
// both ends (at least 4 bytes). The reply's content is not examined.
class XCAsciiTransaction : public XCDeviceTransaction {
public:
    static constexpr uint32_t kBufferSize = 65536;

    XCAsciiTransaction() = default;

    // Stores the command (cut to the buffer) and awaits its reply.
    void SetRequest(const uint8_t* command, uint32_t length);
    uint32_t GetReceivedCount() const { return receivedCount_; }

    int GetState() override;
    uint32_t GetRequestLength() override;
    uint8_t* GetBuffer() override;
    void OnReceive(const uint8_t* data, uint32_t count) override;
    // One byte a read, so that the reply ends at the first CR LF that closes it.
    uint32_t GetBytesToRead() override;
    uint32_t GetPreSendDelay() override;
    uint32_t GetTimeout() override;
    void SetState(int state) override;
    int GetTypeCode() override;

private:
    uint8_t buffer_[kBufferSize] = {};
    int state_ = XCTransactionState::Idle;
    uint32_t requestLength_ = 0;
    uint32_t receivedCount_ = 0;
};
