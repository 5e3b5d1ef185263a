#pragma once
#include "devicelink/device_transaction.h"
#include "platform/serial_port.h"

// A serial port bound to a port number (COMn), executing one transaction at a time.
// Constructed closed; nothing touches the port before Open.
class XCRSDeviceConnection {
public:
    explicit XCRSDeviceConnection(int port);
    virtual ~XCRSDeviceConnection();
    XCRSDeviceConnection(const XCRSDeviceConnection&) = delete;
    XCRSDeviceConnection& operator=(const XCRSDeviceConnection&) = delete;

    // Opens the port at 115200 8N1; true when it is open afterwards. An open port is kept as it is.
    bool Open();
    // One exchange; its outcome is the transaction's state and buffer.
    void Execute(XCDeviceTransaction& transaction);
    void Close();

private:
    int port_;
    platform::SerialPort handle_;
    platform::SerialLineSettings lineSettings_;
    platform::SerialReadTimeouts timeouts_;
};
