#include "devicelink/rs_device_connection.h"

#include "platform/tick_clock.h"

#include <cstdio>

namespace {

constexpr uint32_t kReadChunk = 512;

}  // namespace

XCRSDeviceConnection::XCRSDeviceConnection(int port) : port_(port) {}

XCRSDeviceConnection::~XCRSDeviceConnection() { Close(); }

bool XCRSDeviceConnection::Open()
{
    if (handle_.IsOpen()) {
        return true;
    }
    // Room for every int, so that no number is cut into the name of another port.
    char narrow[24];
    const int length = std::snprintf(narrow, sizeof narrow, "\\\\.\\COM%d", port_);
    char16_t name[24];
    for (int i = 0; i <= length; ++i) {
        name[i] = static_cast<unsigned char>(narrow[i]);
    }
    if (!handle_.Open(name)) {
        return false;
    }

    lineSettings_.baudRate = 115200;
    lineSettings_.dataBits = 8;
    lineSettings_.parity = platform::SerialParity::None;
    lineSettings_.stopBits = 1;
    lineSettings_.hardwareFlowControl = false;
    lineSettings_.xonXoffOutput = false;
    lineSettings_.xonXoffInput = false;
    lineSettings_.dataTerminalReady = true;
    lineSettings_.requestToSend = true;
    // A device that refuses settings may still talk; the exchange will tell.
    (void)handle_.SetLineSettings(lineSettings_);
    (void)handle_.Purge();

    timeouts_.perByteMilliseconds = 1;
    timeouts_.constantMilliseconds = 5;
    if (!handle_.SetReadTimeouts(timeouts_)) {
        handle_.Close();
        return false;
    }
    return true;
}

void XCRSDeviceConnection::Execute(XCDeviceTransaction& transaction)
{
    if (!handle_.IsOpen()) {
        transaction.SetState(XCTransactionState::Error);
        return;
    }
    if (transaction.GetState() == XCTransactionState::Idle) {
        return;
    }

    // The quiet time in as few sleeps as the clock allows: each extra wake-up lengthens it.
    uint32_t start = platform::TickCount();
    for (uint32_t elapsed = 0; elapsed < transaction.GetPreSendDelay(); elapsed = platform::TickCount() - start) {
        platform::SleepMilliseconds(transaction.GetPreSendDelay() - elapsed);
    }
    // Drops what a late reply to an earlier request left behind.
    (void)handle_.Purge();

    uint32_t written = 0;
    if (!handle_.Write(transaction.GetBuffer(), transaction.GetRequestLength(), written) ||
        written != transaction.GetRequestLength()) {
        transaction.SetState(XCTransactionState::Error);
        return;
    }

    start = platform::TickCount();
    while (platform::TickCount() - start < transaction.GetTimeout()) {
        uint8_t chunk[kReadChunk];
        uint32_t wanted = transaction.GetBytesToRead();
        if (wanted > kReadChunk) {
            wanted = kReadChunk;
        }
        uint32_t received = 0;
        if (handle_.Read(chunk, wanted, received) && received > 0) {
            transaction.OnReceive(chunk, received);
            if (transaction.GetState() != XCTransactionState::Pending) {
                return;
            }
        }
    }
    transaction.SetState(XCTransactionState::Timeout);
}

void XCRSDeviceConnection::Close() { handle_.Close(); }
