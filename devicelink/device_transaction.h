#pragma once
#include <cstdint>

// The state of a transaction, a plain int shared by every kind.
struct XCTransactionState {
    enum : int {
        Idle = 0,       // nothing prepared; executing it does nothing
        Pending = 1,    // a request is built and its reply is awaited
        Error = 2,      // port closed, write failed or short, or a reply that cannot be right
        Timeout = 3,    // no complete reply in time
        CrcError = 4,   // a reply whose CRC does not match
        Exception = 5,  // an exception reply; its code is kept
        Complete = 6,   // a complete, valid reply is in the buffer
    };
};

// One request and its reply. The connection drives it and knows nothing of its frames;
// the transaction knows nothing of ports.
class XCDeviceTransaction {
public:
    virtual ~XCDeviceTransaction() = default;
    virtual int GetState() = 0;
    virtual uint32_t GetRequestLength() = 0;
    // The request to send; the reply is written over it from its first byte.
    virtual uint8_t* GetBuffer() = 0;
    virtual void OnReceive(const uint8_t* data, uint32_t count) = 0;
    // -1: this kind has no Modbus TCP reply check.
    virtual int ReceiveTcp(uint16_t transactionId, const uint8_t* data, uint32_t count);
    // The most bytes the next read may take.
    virtual uint32_t GetBytesToRead() = 0;
    // Quiet time in milliseconds before the request is sent.
    virtual uint32_t GetPreSendDelay() = 0;
    // Milliseconds allowed for the reply, counted from the end of the write.
    virtual uint32_t GetTimeout() = 0;
    virtual void SetState(int state) = 0;
    virtual int GetTypeCode() = 0;
};
