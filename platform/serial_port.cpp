#include "platform/serial_port.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The port number of "\\.\COMn", or 0 when the name has another form.
long PortNumber(const char16_t* portName)
{
    static const char16_t kPrefix[] = u"\\\\.\\COM";
    if (portName == nullptr) {
        return 0;
    }
    const char16_t* p = portName;
    for (const char16_t* q = kPrefix; *q != 0; ++q, ++p) {
        if (*p != *q) {
            return 0;
        }
    }
    long number = 0;
    int digits = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        if (++digits > 9) {
            return 0;
        }
        number = number * 10 + (*p - u'0');
    }
    return (digits > 0 && *p == 0) ? number : 0;
}

std::string PortsFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == 0) {
            return std::string();
        }
        base = std::string(home) + "/.config";
    }
    return base + "/Orvastel/Kestrovane/ports/";
}

speed_t SpeedOf(uint32_t baudRate)
{
    switch (baudRate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

void SetModemLine(int fd, int line, bool on)
{
    // A pseudo-terminal has no modem lines and refuses; the line settings stand without them.
    (void)::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

// USB adapters hold received bytes up to 16 ms unless asked for low latency. True when this
// open turned it on; a driver or pseudo-terminal without the request is left as it is.
bool RequestLowLatency(int fd)
{
    struct serial_struct serial;
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0) {
        return false;
    }
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

void EndLowLatency(int fd)
{
    struct serial_struct serial;
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY;
        (void)::ioctl(fd, TIOCSSERIAL, &serial);
    }
}

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    // Rounded up, so that a poll never returns just short of the deadline and spins.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace

std::string SerialDevicePath(const char16_t* portName)
{
    const long number = PortNumber(portName);
    if (number < 1) {
        return std::string();
    }
    const std::string folder = PortsFolder();
    if (!folder.empty()) {
        const std::string link = folder + "com" + std::to_string(number);
        struct stat status;
        if (::lstat(link.c_str(), &status) == 0) {
            return link;
        }
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const char16_t* portName)
{
    if (IsOpen()) {
        return false;
    }
    const std::string path = SerialDevicePath(portName);
    if (path.empty()) {
        return false;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    // TIOCEXCL keeps out other users but not root; the lock keeps out every other opener.
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    (void)::ioctl(fd, TIOCEXCL);
    lowLatencyRequested_ = RequestLowLatency(fd);
    fd_ = fd;
    timeouts_ = SerialReadTimeouts();
    return true;
}

void SerialPort::Close()
{
    if (!IsOpen()) {
        return;
    }
    if (lowLatencyRequested_) {
        EndLowLatency(fd_);
        lowLatencyRequested_ = false;
    }
    (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool SerialPort::SetLineSettings(const SerialLineSettings& settings)
{
    struct termios line;
    const speed_t speed = SpeedOf(settings.baudRate);
    if (!IsOpen() || speed == B0 || settings.dataBits < 5 || settings.dataBits > 8 ||
        ::tcgetattr(fd_, &line) != 0) {
        return false;
    }
    ::cfmakeraw(&line);
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    line.c_cflag |= kSizes[settings.dataBits - 5];
    if (settings.parity != SerialParity::None) {
        line.c_cflag |= PARENB | (settings.parity == SerialParity::Odd ? PARODD : 0);
    }
    if (settings.stopBits == 2) {
        line.c_cflag |= CSTOPB;
    }
    if (settings.hardwareFlowControl) {
        line.c_cflag |= CRTSCTS;
    }
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_iflag |= (settings.xonXoffOutput ? IXON : 0) | (settings.xonXoffInput ? IXOFF : 0);
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, speed) != 0 || ::cfsetospeed(&line, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &line) != 0) {
        return false;
    }
    SetModemLine(fd_, TIOCM_DTR, settings.dataTerminalReady);
    SetModemLine(fd_, TIOCM_RTS, settings.requestToSend);
    return true;
}

bool SerialPort::SetReadTimeouts(const SerialReadTimeouts& timeouts)
{
    if (!IsOpen()) {
        return false;
    }
    timeouts_ = timeouts;
    return true;
}

bool SerialPort::Purge() { return IsOpen() && ::tcflush(fd_, TCIOFLUSH) == 0; }

bool SerialPort::Write(const uint8_t* data, uint32_t count, uint32_t& written)
{
    written = 0;
    if (!IsOpen()) {
        return false;
    }
    // A line that takes nothing for a second will not take the rest either.
    const auto kStall = std::chrono::seconds(1);
    auto deadline = Clock::now() + kStall;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, count - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            deadline = Clock::now() + kStall;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;
        }
        struct pollfd wait = {fd_, POLLOUT, 0};
        const int timeout = MillisecondsUntil(deadline);
        if (timeout == 0 || (::poll(&wait, 1, timeout) < 0 && errno != EINTR)) {
            return false;
        }
    }
    return true;
}

bool SerialPort::Read(uint8_t* buffer, uint32_t count, uint32_t& received)
{
    received = 0;
    if (!IsOpen()) {
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(
        static_cast<uint64_t>(count) * timeouts_.perByteMilliseconds + timeouts_.constantMilliseconds);
    bool hungUp = false;
    while (received < count && !hungUp) {
        const int timeout = MillisecondsUntil(deadline);
        if (timeout == 0) {
            break;
        }
        struct pollfd wait = {fd_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, timeout);
        if (ready < 0) {
            hungUp = errno != EINTR;
        } else if (ready > 0 && (wait.revents & POLLIN) != 0) {
            const ssize_t n = ::read(fd_, buffer + received, count - received);
            if (n > 0) {
                received += static_cast<uint32_t>(n);
            } else {
                // End of file or EIO: the other end is gone.
                hungUp = n == 0 || (errno != EAGAIN && errno != EINTR);
            }
        } else if (ready > 0) {
            hungUp = true;
        }
    }
    if (hungUp && received == 0) {
        // The caller reads again at once; waiting here keeps a dead line from spinning it.
        std::this_thread::sleep_until(deadline);
        return false;
    }
    if (count == 0) {
        std::this_thread::sleep_until(deadline);
    }
    return true;
}

}  // namespace platform
