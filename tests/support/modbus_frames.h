#pragma once
// Modbus RTU frames as a device would put them on the line.
#include "foundation/modbus_crc16.h"

#include <cstdint>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

inline Bytes WithCrc(Bytes frame)
{
    const uint16_t crc = ModbusCrc16(frame.data(), static_cast<uint32_t>(frame.size()));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
    return frame;
}

inline Bytes ReadRequest(uint8_t function, uint16_t start, uint16_t count, uint8_t unit = 1)
{
    return WithCrc({unit, function, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                    static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}

// A read reply from unit 1 whose register i holds 0x0100 + i, with the byte count given.
inline Bytes ReadReply(uint8_t function, uint32_t count, uint8_t byteCount)
{
    Bytes frame = {1, function, byteCount};
    for (uint32_t i = 0; i < count; ++i) {
        frame.push_back(static_cast<uint8_t>(1 + (i >> 8)));
        frame.push_back(static_cast<uint8_t>(i));
    }
    return WithCrc(frame);
}

}  // namespace testsupport
