#include "app/register_map.h"

uint16_t ReplyRegister(const uint8_t* frame, uint32_t start, uint32_t reg)
{
    const uint8_t* word = frame + 3 + 2 * (reg - start);
    return static_cast<uint16_t>(word[0] << 8 | word[1]);
}

uint32_t ReplyDoubleRegister(const uint8_t* frame, uint32_t start, uint32_t reg)
{
    return static_cast<uint32_t>(ReplyRegister(frame, start, reg)) << 16 | ReplyRegister(frame, start, reg + 1);
}

XCTime DecodeRecorderClock(uint32_t packed)
{
    XCTime time;
    time.Set(static_cast<int>((packed >> 26) & 15) + kRecorderYearBase, static_cast<int>((packed >> 22) & 15),
             static_cast<int>((packed >> 17) & 31), static_cast<int>((packed >> 12) & 31),
             static_cast<int>((packed >> 6) & 63), static_cast<int>(packed & 63), 0, 0);
    return time;
}

uint32_t EncodeRecorderClock(const XCTime& utc)
{
    return PackDateTime(static_cast<uint8_t>(utc.GetYear() - kRecorderYearBase), static_cast<uint8_t>(utc.GetMonth()),
                        static_cast<uint8_t>(utc.GetDay()), static_cast<uint8_t>(utc.GetHour()),
                        static_cast<uint8_t>(utc.GetMinute()), static_cast<uint8_t>(utc.GetSecond()));
}

void DoubleRegisterBytes(uint32_t value, uint8_t bytes[4])
{
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

bool operator==(const RecorderParameters& a, const RecorderParameters& b)
{
    return a.nominalVoltage == b.nominalVoltage && a.frequency == b.frequency && a.lowThreshold == b.lowThreshold &&
           a.highThreshold == b.highThreshold && a.frequencyDeviation == b.frequencyDeviation &&
           a.register13 == b.register13 && a.timeBetweenLogs == b.timeBetweenLogs;
}

RecorderParameters DecodeParameters(const uint8_t* frame)
{
    const uint32_t start = kConfigurationFirstRegister;
    RecorderParameters out;
    out.nominalVoltage = ReplyRegister(frame, start, 8);
    out.frequency = ReplyRegister(frame, start, 9);
    out.lowThreshold = ReplyRegister(frame, start, 10);
    out.highThreshold = ReplyRegister(frame, start, 11);
    out.frequencyDeviation = ReplyRegister(frame, start, 12);
    out.register13 = ReplyRegister(frame, start, 13);
    out.timeBetweenLogs = ReplyRegister(frame, start, 14);
    return out;
}

void ParameterRegisterBytes(const RecorderParameters& parameters, uint8_t bytes[2 * kParameterRegisterCount])
{
    const uint16_t words[kParameterRegisterCount] = {
        parameters.nominalVoltage,     parameters.frequency, parameters.lowThreshold,       parameters.highThreshold,
        parameters.frequencyDeviation, kRegister13Value,     parameters.timeBetweenLogs, 0,
    };
    for (uint32_t i = 0; i < kParameterRegisterCount; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(words[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(words[i]);
    }
}

XCTime NearestRecorderClock(const XCTime& utc)
{
    XCTime earliest, latest;
    earliest.Set(kRecorderYearBase, 1, 1, 0, 0, 0, 0, 0);
    latest.Set(kRecorderYearBase + 15, 12, 31, 23, 59, 59, 0, 0);
    if (utc < earliest)
        return earliest;
    return latest < utc ? latest : utc;
}

double BatteryVolts(uint16_t value) { return value * 10.0 / 65536.0; }

RecorderReadOut DecodeReadOut(const uint8_t* frame)
{
    const uint32_t start = kReadOutFirstRegister;
    RecorderReadOut out;
    out.hardwareVersion = ReplyRegister(frame, start, kHardwareVersionRegister);
    out.softwareVersion = ReplyRegister(frame, start, kSoftwareVersionRegister);
    out.productId = ReplyRegister(frame, start, kProductIdRegister);
    out.clock = ReplyDoubleRegister(frame, start, kClockRegister);
    for (int i = 0; i < kRecorderCounterCount; ++i) {
        out.partial[i] = ReplyDoubleRegister(frame, start, kPartialCountersRegister + 2 * i);
        out.total[i] = ReplyDoubleRegister(frame, start, kTotalCountersRegister + 2 * i);
    }
    out.battery = ReplyRegister(frame, start, kBatteryRegister);
    out.serialNumber = ReplyDoubleRegister(frame, start, kSerialNumberRegister);
    return out;
}

MemoryPointers DecodeMemoryPointers(const uint8_t* frame)
{
    const uint32_t start = kMemoryPointersRegister;
    MemoryPointers pointers;
    pointers.pages = ReplyRegister(frame, start, 19);
    pointers.pageSize = ReplyRegister(frame, start, 20);
    pointers.startPage = ReplyRegister(frame, start, 22);
    pointers.startOffset = ReplyRegister(frame, start, 23);
    pointers.endPage = ReplyRegister(frame, start, 24);
    pointers.endOffset = ReplyRegister(frame, start, 25);
    return pointers;
}

void PageSelectBytes(int page, uint8_t bytes[2])
{
    bytes[0] = 0;
    bytes[1] = static_cast<uint8_t>(page & 0xFF);
}

MemoryRecord ReplyRecord(const uint8_t* frame, int index)
{
    const uint32_t first = static_cast<uint32_t>(index * kRecordRegisters);
    MemoryRecord record;
    record.packed = ReplyDoubleRegister(frame, 0, first);
    record.value = ReplyRegister(frame, 0, first + 2);
    return record;
}

double SampleValue(uint16_t value) { return value * 1000.0 / 65536.0; }
