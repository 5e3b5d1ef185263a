#pragma once
#include <cstdint>
#include <string>

namespace platform {

enum class SerialParity { None, Odd, Even };

// The line settings a port is given; modem-line requests a device refuses are ignored.
struct SerialLineSettings {
    uint32_t baudRate = 9600;
    uint8_t dataBits = 8;
    SerialParity parity = SerialParity::None;
    uint8_t stopBits = 1;
    bool hardwareFlowControl = false;  // RTS/CTS
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    bool dataTerminalReady = true;
    bool requestToSend = true;
};

// A read of n bytes returns when all n have arrived or after n x perByte + constant milliseconds.
struct SerialReadTimeouts {
    uint32_t perByteMilliseconds = 0;
    uint32_t constantMilliseconds = 0;
};

// The device that a port name "\\.\COMn" stands for: the link comN in the user's ports folder
// (${XDG_CONFIG_HOME:-$HOME/.config}/Orvastel/Kestrovane/ports/) when it exists, else /dev/ttyS<n-1>.
// Empty for any other name and for n < 1.
std::string SerialDevicePath(const char16_t* portName);

// A serial port held exclusively: while it is open, no other open of the same device, from this
// process or another, succeeds.
class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device of a "\\.\COMn" name in raw mode, asking the driver for low latency
    // where it offers it; false at once when the device is missing, not a terminal or held by
    // someone else.
    bool Open(const char16_t* portName);
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the port when open, giving back the latency it had; does nothing otherwise.
    void Close();

    bool SetLineSettings(const SerialLineSettings& settings);
    bool SetReadTimeouts(const SerialReadTimeouts& timeouts);
    // Discards pending input and output.
    bool Purge();

    // False on failure, or when the line takes nothing for a second; `written` tells how much
    // went out, which may be less than `count`.
    bool Write(const uint8_t* data, uint32_t count, uint32_t& written);
    // Waits as the read time-outs say and returns what arrived. A line that has hung up
    // still waits the whole time and then fails with nothing read.
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received);

private:
    int fd_ = -1;
    bool lowLatencyRequested_ = false;
    SerialReadTimeouts timeouts_;
};

}  // namespace platform
