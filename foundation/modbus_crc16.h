#pragma once
#include <cstdint>

// The two published 256-byte tables of the Modbus serial-line CRC.
extern const uint8_t kModbusCrcHigh[256];
extern const uint8_t kModbusCrcLow[256];

// CRC-16/MODBUS in transmission order: the byte sent first is in the high 8 bits.
// Chaining works by passing an earlier result as `running`; zero bytes give 0xFFFF.
uint16_t ModbusCrc16(const uint8_t* data, uint32_t length, uint16_t running = 0xFFFF);
