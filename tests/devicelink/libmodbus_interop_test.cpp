// Our master against a Modbus RTU slave that nobody here wrote: libmodbus on a pseudo-terminal.
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "tests/support/pty_port.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <atomic>

using testsupport::PtyPort;

namespace {

constexpr int kPort = 41;
constexpr int kRegisters = 67;

// Joins two pseudo-terminals back to back, as a null-modem cable joins two serial ports.
void Relay(int a, int b, const std::atomic<bool>& stop)
{
    while (!stop) {
        struct pollfd ends[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
        if (poll(ends, 2, 20) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            uint8_t chunk[512];
            const ssize_t n = (ends[i].revents & POLLIN) ? read(ends[i].fd, chunk, sizeof chunk) : 0;
            for (ssize_t sent = 0; n > 0 && sent < n;) {
                const ssize_t w = write(ends[1 - i].fd, chunk + sent, static_cast<size_t>(n - sent));
                if (w > 0) {
                    sent += w;
                } else if (errno != EAGAIN && errno != EINTR) {
                    break;
                }
            }
        }
    }
}

// A libmodbus RTU slave, unit 1, holding registers 0-66 where register i starts as 1000 + i.
void Slave(const std::string& device, const std::atomic<bool>& stop, std::atomic<bool>& ready)
{
    modbus_t* context = modbus_new_rtu(device.c_str(), 115200, 'N', 8, 1);
    modbus_mapping_t* map = modbus_mapping_new(0, 0, kRegisters, 0);
    if (context != nullptr && map != nullptr && modbus_set_slave(context, 1) == 0 &&
        modbus_connect(context) == 0) {
        for (int i = 0; i < kRegisters; ++i) {
            map->tab_registers[i] = static_cast<uint16_t>(1000 + i);
        }
        // Wakes up now and then to see whether the test is over.
        modbus_set_indication_timeout(context, 0, 50000);
        ready = true;
        while (!stop) {
            uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
            const int length = modbus_receive(context, request);
            if (length > 0) {
                modbus_reply(context, request, length, map);
            }
        }
        modbus_close(context);
    }
    modbus_mapping_free(map);
    modbus_free(context);
}

uint16_t Register(XCModBusTransaction& reply, uint32_t reg)
{
    const uint8_t* at = reply.GetBuffer() + 3 + 2 * (reg - reply.GetStartRegister());
    return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

}  // namespace

TEST(LibmodbusSlave, ReadWriteReadBackAndOutOfMapException)
{
    const TemporaryPortsFolder ports;
    PtyPort ours(ports.LinkPath(kPort));
    PtyPort theirs(ports.LinkPath(kPort + 1));
    std::atomic<bool> stop{false};
    std::atomic<bool> ready{false};
    testsupport::Peer relay([&] { Relay(ours.Master(), theirs.Master(), stop); });
    testsupport::Peer slave([&] { Slave(theirs.SlaveName(), stop, ready); });
    // Destroyed before the threads are joined, however the test ends.
    struct StopOnExit {
        std::atomic<bool>& stop;
        ~StopOnExit() { stop = true; }
    } stopOnExit{stop};
    for (int waited = 0; !ready && waited < 5000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(ready) << "libmodbus did not open " << theirs.SlaveName();

    XCRSDeviceConnection connection(kPort);
    ASSERT_TRUE(connection.Open());
    XCModBusTransaction transaction(750);
    transaction.BuildReadRequest(0, kRegisters, 3);
    connection.Execute(transaction);
    ASSERT_EQ(transaction.GetState(), XCTransactionState::Complete);
    for (uint32_t reg = 0; reg < kRegisters; ++reg) {
        EXPECT_EQ(Register(transaction, reg), 1000 + reg);
    }

    // The configuration's parameter write, then its read of 8 to 18. The line must be raw both
    // ways: the values and the registers read hold LF, CR, XON, XOFF and bytes above 127.
    const uint16_t parameters[8] = {230, 50, 207, 253, 0x0D, 6, 10, 0x1311};
    uint8_t words[16];
    for (int i = 0; i < 8; ++i) {
        words[2 * i] = static_cast<uint8_t>(parameters[i] >> 8);
        words[2 * i + 1] = static_cast<uint8_t>(parameters[i]);
    }
    XCModBusTransaction write(3000);
    write.BuildWriteRequest(8, 8, words);
    connection.Execute(write);
    ASSERT_EQ(write.GetState(), XCTransactionState::Complete);
    transaction.BuildReadRequest(8, 11, 3);
    connection.Execute(transaction);
    ASSERT_EQ(transaction.GetState(), XCTransactionState::Complete);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(Register(transaction, 8 + i), parameters[i]);
    }
    EXPECT_EQ(Register(transaction, 16), 1016);

    // One register past the map: illegal data address.
    transaction.BuildReadRequest(0, kRegisters + 1, 3);
    connection.Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Exception);
    EXPECT_EQ(transaction.GetExceptionCode(), 2u);
}
