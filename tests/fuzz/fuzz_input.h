#pragma once
// The bytes of one fuzz input, taken from the front as the harness needs them: a few control
// values first, then the rest as a file's or a line's bytes. Past the end every value reads 0.
#include "foundation/modbus_crc16.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// A broken promise of the code under test: reported and ended as a crash, so that the fuzzer
// keeps the input and the replay test fails on it.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
                             std::abort()))

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) << 16 | U16(); }

    // Up to `count` bytes, fewer at the end of the input.
    std::vector<uint8_t> Bytes(size_t count)
    {
        const size_t take = count < size_ - position_ ? count : size_ - position_;
        std::vector<uint8_t> bytes(data_ + position_, data_ + position_ + take);
        position_ += take;
        return bytes;
    }
    std::vector<uint8_t> Rest() { return Bytes(size_ - position_); }
    // What one serial read returns: a length byte sets its size, from 1 up to `mostBytes` (> 0).
    std::vector<uint8_t> Piece(uint32_t mostBytes) { return Bytes(1 + Byte() % mostBytes); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Repairs a CRC-guarded block so that the fuzzer gets past its check: the CRC of all but the
// block's last two bytes goes into them, high byte first.
inline void SetCrc(uint8_t* block, size_t length)
{
    const uint16_t crc = ModbusCrc16(block, static_cast<uint32_t>(length - 2));
    block[length - 2] = static_cast<uint8_t>(crc >> 8);
    block[length - 1] = static_cast<uint8_t>(crc);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
