#include "platform/serial_port.h"

#include "tests/support/pty_port.h"
#include "tests/support/stopwatch.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>

using testsupport::Bytes;
using testsupport::PtyPort;
using testsupport::Stopwatch;

TEST(SerialPort, PortNumberNamesLinkOrTtySAndOtherNamesNothing)
{
    TemporaryPortsFolder ports;
    // Without a link, COMn is the n-th UART, counted from ttyS0.
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM1"), "/dev/ttyS0");
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM256"), "/dev/ttyS255");
    PtyPort pty(ports.LinkPath(12));
    EXPECT_EQ(platform::SerialDevicePath(u"\\\\.\\COM12"), ports.LinkPath(12));
    for (const char16_t* name : {u"\\\\.\\COM-1", u"\\\\.\\COM0", u"\\\\.\\COM", u"COM3", u"\\\\.\\COM3x",
                                 u"\\\\.\\COM99999999999", u""})
        EXPECT_EQ(platform::SerialDevicePath(name), "");

    // A link whose device has gone does not fall back to a UART; something that is not a terminal.
    symlink("/dev/no-such-tty", ports.LinkPath(40).c_str());
    symlink("/dev/null", ports.LinkPath(41).c_str());
    platform::SerialPort port;
    EXPECT_FALSE(port.Open(u"\\\\.\\COM40"));
    EXPECT_FALSE(port.Open(u"\\\\.\\COM41"));
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPort, ReadReturnsWhenAllArrivedOrAfterItsTimeout)
{
    TemporaryPortsFolder ports;
    PtyPort pty(ports.LinkPath(4));
    platform::SerialPort port;
    ASSERT_TRUE(port.Open(u"\\\\.\\COM4") && port.SetLineSettings({115200})) << "a pseudo-terminal refuses low latency";
    uint8_t buffer[64];
    uint32_t received = 0;

    // All bytes there: the read does not wait out a long time-out.
    ASSERT_TRUE(port.SetReadTimeouts({1, 4000}));
    pty.Send({1, 2, 3, 4});
    Stopwatch all;
    EXPECT_TRUE(port.Read(buffer, 4, received) && received == 4u);
    EXPECT_LT(all.Milliseconds(), 2000);
    // Too few bytes: what arrived comes back after 50 x 1 + 5 ms.
    ASSERT_TRUE(port.SetReadTimeouts({1, 5}));
    pty.Send({5, 6, 7});
    Stopwatch few;
    EXPECT_TRUE(port.Read(buffer, 50, received));
    EXPECT_GE(few.Milliseconds(), 54);
    EXPECT_EQ(Bytes(buffer, buffer + received), (Bytes{5, 6, 7}));
}
