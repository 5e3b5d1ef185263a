// Our master against a Modbus RTU slave that nobody here wrote: libmodbus on a pseudo-terminal.
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "tests/support/pty_port.h"
#include "tests/support/temporary_ports_folder.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <atomic>
#include <future>

namespace {

constexpr int kPort = 41;
constexpr int kRegisters = 67;

// A libmodbus RTU slave, unit 1, on the device end of the line, holding registers 0-66 where
// register i starts as 1000 + i.
void Slave(int line, const std::atomic<bool>& stop)
{
    modbus_t* context = modbus_new_rtu("/dev/null", 115200, 'N', 8, 1);
    modbus_mapping_t* map = modbus_mapping_new(0, 0, kRegisters, 0);
    if (context != nullptr && map != nullptr && modbus_set_slave(context, 1) == 0 &&
        modbus_set_socket(context, line) == 0) {
        for (int i = 0; i < kRegisters; ++i)
            map->tab_registers[i] = static_cast<uint16_t>(1000 + i);
        // Wakes up now and then to see whether the test is over.
        modbus_set_indication_timeout(context, 0, 50000);
        while (!stop) {
            uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
            const int length = modbus_receive(context, request);
            if (length > 0)
                modbus_reply(context, request, length, map);
        }
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
    testsupport::PtyPort line(ports.LinkPath(kPort));
    std::atomic<bool> stop{false};
    auto slave = std::async(std::launch::async, [&] { Slave(line.Master(), stop); });
    // Destroyed before the slave is joined, however the test ends.
    struct StopOnExit {
        std::atomic<bool>& stop;
        ~StopOnExit() { stop = true; }
    } stopOnExit{stop};

    XCRSDeviceConnection connection(kPort);
    ASSERT_TRUE(connection.Open());
    XCModBusTransaction transaction(750);
    transaction.BuildReadRequest(0, kRegisters, 3);
    connection.Execute(transaction);
    ASSERT_EQ(transaction.GetState(), XCTransactionState::Complete);
    for (uint32_t reg = 0; reg < kRegisters; ++reg)
        EXPECT_EQ(Register(transaction, reg), 1000 + reg);

    // The configuration's parameter write, then its read of 8 to 18. The line must be raw both
    // ways: the values and the registers read hold LF, CR, XON, XOFF and bytes above 127.
    const uint8_t parameters[16] = {0, 230, 0, 50, 0, 207, 0, 253, 0, 0x0D, 0, 6, 0, 10, 0x13, 0x11};
    XCModBusTransaction write(3000);
    write.BuildWriteRequest(8, 8, parameters);
    connection.Execute(write);
    ASSERT_EQ(write.GetState(), XCTransactionState::Complete);
    transaction.BuildReadRequest(8, 11, 3);
    connection.Execute(transaction);
    ASSERT_EQ(transaction.GetState(), XCTransactionState::Complete);
    EXPECT_EQ(std::vector<uint8_t>(transaction.GetBuffer() + 3, transaction.GetBuffer() + 19),
              std::vector<uint8_t>(parameters, parameters + 16));
    EXPECT_EQ(Register(transaction, 16), 1016);

    // One register past the map: illegal data address.
    transaction.BuildReadRequest(0, kRegisters + 1, 3);
    connection.Execute(transaction);
    EXPECT_EQ(transaction.GetState(), XCTransactionState::Exception);
    EXPECT_EQ(transaction.GetExceptionCode(), 2u);
}
