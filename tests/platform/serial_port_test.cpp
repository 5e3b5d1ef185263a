#include "platform/serial_port.h"

#include "tests/support/pty_port.h"
#include "tests/support/stopwatch.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>

using testsupport::Bytes;
using testsupport::PtyPort;
using testsupport::Stopwatch;

namespace {

bool OpenRaw(platform::SerialPort& port, const char16_t* name)
{
    platform::SerialLineSettings settings;
    settings.baudRate = 115200;
    return port.Open(name) && port.SetLineSettings(settings);
}

class SerialPort : public ::testing::Test {
protected:
    TemporaryPortsFolder ports;
};

}  // namespace

TEST_F(SerialPort, PortNumberNamesLinkOrTtySAndOtherNamesNothing)
{
    // Without a link, COMn is the n-th UART, counted from ttyS0.
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM1"), "/dev/ttyS0");
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM256"), "/dev/ttyS255");
    PtyPort pty(ports.LinkPath(12));
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM12"), ports.LinkPath(12));
    for (const char16_t* name : {u"\\\\.\\COM-1", u"\\\\.\\COM0", u"\\\\.\\COM", u"COM3", u"\\\\.\\COM3x",
                                 u"\\\\.\\COM99999999999", u""}) {
        EXPECT_EQ(platform::SerialDevicePath(name), "");
    }

    platform::SerialPort port;
    // A link whose device has gone does not fall back to a UART.
    const std::string link = ports.LinkPath(40);
    symlink("/dev/no-such-tty", link.c_str());
    EXPECT_FALSE(port.Open(u"\\\\.\\COM40"));
    unlink(link.c_str());
    // Something that is not a terminal.
    symlink("/dev/null", link.c_str());
    EXPECT_FALSE(port.Open(u"\\\\.\\COM40"));
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPort, SecondOpenRefusedAtOnceWhileHeldOrLockedElsewhere)
{
    PtyPort pty(ports.LinkPath(3));
    platform::SerialPort first;
    ASSERT_TRUE(first.Open(u"\\\\.\\COM3"));

    const pid_t child = fork();
    if (child == 0) {
        platform::SerialPort other;
        _exit(other.Open(u"\\\\.\\COM3") ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process opened a held port";

    first.Close();
    // Another program's lock on the device refuses the open at once, not after a wait.
    const int other = open(ports.LinkPath(3).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    platform::SerialPort second;
    Stopwatch refused;
    EXPECT_FALSE(second.Open(u"\\\\.\\COM3"));
    EXPECT_LT(refused.Milliseconds(), 1000);
    close(other);
    EXPECT_TRUE(second.Open(u"\\\\.\\COM3"));
}

TEST_F(SerialPort, ReadReturnsWhenAllArrivedOrAfterItsTimeout)
{
    PtyPort pty(ports.LinkPath(4));
    platform::SerialPort port;
    ASSERT_TRUE(OpenRaw(port, u"\\\\.\\COM4"));
    uint8_t buffer[64];
    uint32_t received = 0;

    // All bytes there: the read does not wait out a long time-out.
    ASSERT_TRUE(port.SetReadTimeouts({1, 4000}));
    pty.Send({1, 2, 3, 4});
    Stopwatch all;
    EXPECT_TRUE(port.Read(buffer, 4, received));
    EXPECT_EQ(received, 4u);
    EXPECT_LT(all.Milliseconds(), 2000);

    // Too few bytes: what arrived comes back after n x 1 + 5 ms.
    ASSERT_TRUE(port.SetReadTimeouts({1, 5}));
    pty.Send({5, 6, 7});
    Stopwatch few;
    EXPECT_TRUE(port.Read(buffer, 50, received));
    EXPECT_GE(few.Milliseconds(), 54);
    EXPECT_EQ(Bytes(buffer, buffer + received), (Bytes{5, 6, 7}));
}

TEST_F(SerialPort, StalledLineEndsWriteShortInsteadOfHanging)
{
    PtyPort pty(ports.LinkPath(8));
    platform::SerialPort port;
    ASSERT_TRUE(OpenRaw(port, u"\\\\.\\COM8"));
    // Nobody reads the other end, so the line's buffers fill and it stops taking bytes.
    Bytes lots(1 << 20, 0x55);
    uint32_t written = 0;
    Stopwatch watch;
    EXPECT_FALSE(port.Write(lots.data(), static_cast<uint32_t>(lots.size()), written));
    EXPECT_LT(written, lots.size());
    EXPECT_LT(watch.Milliseconds(), 30000);
}
