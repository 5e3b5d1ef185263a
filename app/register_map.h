#pragma once
#include "foundation/xc_time.h"

#include <cstdint>

// The recorder's holding registers as the read-out uses them, and the decoding of a read reply.
// Registers are big-endian words; a 32-bit value has its high word in the lower register.

constexpr uint32_t kReadOutFirstRegister = 0;
constexpr uint32_t kReadOutRegisterCount = 67;
constexpr uint32_t kHardwareVersionRegister = 1;
constexpr uint32_t kSoftwareVersionRegister = 2;
constexpr uint32_t kProductIdRegister = 3;
constexpr uint32_t kClockRegister = 16;  // 16-17: PackedDateTime in UTC
constexpr uint32_t kClockRegisterCount = 2;
constexpr uint32_t kPartialCountersRegister = 26;  // 26-43
constexpr uint32_t kTotalCountersRegister = 44;    // 44-61
constexpr uint32_t kBatteryRegister = 62;
constexpr uint32_t kSerialNumberRegister = 65;  // 65-66

// The nine counters of each set, in register order.
enum class RecorderCounter {
    Logs,
    Events,
    VoltageOn,
    VoltageFail,
    VoltageLow,
    VoltageHigh,
    Frequency,
    NotShown,
    Time,
};
constexpr int kRecorderCounterCount = 9;

// The year that a packed year offset of 0 stands for.
constexpr int kRecorderYearBase = 2015;

// Register `reg` of a read reply whose request started at register `start`.
uint16_t ReplyRegister(const uint8_t* frame, uint32_t start, uint32_t reg);
// The 32-bit value of registers `reg` and `reg` + 1.
uint32_t ReplyDoubleRegister(const uint8_t* frame, uint32_t start, uint32_t reg);

// The recorder's clock value as a time (UTC); the year comes from bits 26-29 only, and fields
// that the calendar rejects give the invalid time.
XCTime DecodeRecorderClock(uint32_t packed);
// A UTC time packed for registers 16-17, year offset from 2015.
uint32_t EncodeRecorderClock(const XCTime& utc);
// A 32-bit value as the two big-endian words of a register write, high word first.
void DoubleRegisterBytes(uint32_t value, uint8_t bytes[4]);

// The configuration: registers 8 to 18 read as one block, 8 to 15 written as one block.
constexpr uint32_t kConfigurationFirstRegister = 8;
constexpr uint32_t kConfigurationRegisterCount = 11;
constexpr uint32_t kParameterRegisterCount = 8;
constexpr uint32_t kMemoryResetRegister = 18;  // writing 0 clears the recorder's memory
// What the configuration always writes into register 13.
constexpr uint16_t kRegister13Value = 6;

// Registers 8 to 14.
struct RecorderParameters {
    uint16_t nominalVoltage = 0;
    uint16_t frequency = 0;
    uint16_t lowThreshold = 0;
    uint16_t highThreshold = 0;
    uint16_t frequencyDeviation = 0;
    uint16_t register13 = 0;
    uint16_t timeBetweenLogs = 0;
};
bool operator==(const RecorderParameters& a, const RecorderParameters& b);

// Decodes the reply of a read of registers 8 to 18.
RecorderParameters DecodeParameters(const uint8_t* frame);
// Registers 8 to 15 as written: register 13 always 6, register 15 always 0.
void ParameterRegisterBytes(const RecorderParameters& parameters, uint8_t bytes[2 * kParameterRegisterCount]);
// The nearest time that registers 16-17 read back as written, 2015-01-01 00:00:00 to
// 2030-12-31 23:59:59 (UTC); the invalid time gives the latest.
XCTime NearestRecorderClock(const XCTime& utc);

// Battery register to volts: value x 10 / 65536.
double BatteryVolts(uint16_t value);

// Everything the read-out of registers 0 to 66 shows.
struct RecorderReadOut {
    uint16_t hardwareVersion = 0;  // high byte major, low byte minor
    uint16_t softwareVersion = 0;
    uint16_t productId = 0;
    uint32_t clock = 0;
    uint32_t partial[kRecorderCounterCount] = {};
    uint32_t total[kRecorderCounterCount] = {};
    uint16_t battery = 0;
    uint32_t serialNumber = 0;

    uint32_t Partial(RecorderCounter counter) const { return partial[static_cast<int>(counter)]; }
    uint32_t Total(RecorderCounter counter) const { return total[static_cast<int>(counter)]; }
};

// Decodes the reply of a read of registers 0 to 66.
RecorderReadOut DecodeReadOut(const uint8_t* frame);

// The record memory: a ring of P pages of N registers, read through a page select and function 4.
constexpr uint32_t kIdentityRegister = 0;  // 0-1, read at the start of a download
constexpr uint32_t kIdentityRegisterCount = 2;
constexpr uint32_t kTimeBetweenLogsRegister = 14;
constexpr uint32_t kMemoryPointersRegister = 19;  // 19-25
constexpr uint32_t kMemoryPointersRegisterCount = 7;
constexpr uint32_t kPageSelectRegister = 21;
constexpr uint8_t kRecordReadFunction = 4;
constexpr int kRecordRegisters = 3;
constexpr int kMaxRecordsPerRead = 60;  // 180 registers, past the standard's 125: the recorder accepts it
constexpr uint32_t kLogRecordBit = 1u << 30;
constexpr uint32_t kEventRecordBit = 1u << 31;

// Registers 19 to 25; pages count from 1, offsets are registers within a page.
struct MemoryPointers {
    int pages = 0;
    int pageSize = 0;
    int startPage = 0;
    int startOffset = 0;
    int endPage = 0;
    int endOffset = 0;  // the last register to read, inclusive
};

// Decodes the reply of a read of registers 19 to 25.
MemoryPointers DecodeMemoryPointers(const uint8_t* frame);
// The value written to register 21: high byte 0, low byte the page number's low 8 bits.
void PageSelectBytes(int page, uint8_t bytes[2]);

// One 3-register record: its packed UTC time with the log and event bits, and its word.
struct MemoryRecord {
    uint32_t packed = 0;
    uint16_t value = 0;
};

// Record `index` of a function 4 reply.
MemoryRecord ReplyRecord(const uint8_t* frame, int index);
// A log record's word as the logged value: word x 1000 / 65536.
double SampleValue(uint16_t value);
