#pragma once
#include <cstdint>

// Ids of the texts that the main window and start-up look up in the language table.
enum TextId : uint16_t {
    kTextSerialNumber = 1,
    kTextAnotherInstance = 2,
    kTextSettingsKeyNotCreated = 3,
    kTextFactoryParameters = 4,
    kTextHardwareVersion = 5,
    kTextSoftwareVersion = 6,
    kTextProductId = 7,
    kTextPartialCounters = 8,
    kTextTotalCounters = 9,
    kTextLogs = 10,
    kTextEvents = 11,
    kTextVoltageOn = 12,
    kTextVoltageFail = 13,
    kTextVoltageHigh = 14,
    kTextVoltageLow = 15,
    kTextFrequency = 16,
    kTextTime = 18,
    kTextBatteryVoltage = 19,
    kTextPort = 23,
    kTextParameters = 25,
    kTextDownload = 26,
    kTextPortNotOpened = 47,
    kTextCommunicationError = 48,
    kTextRestoreFactorySettings = 74,
    kTextBatteryVeryLow = 76,
    kTextBatteryLow = 77,
};
