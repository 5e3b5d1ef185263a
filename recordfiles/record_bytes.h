#pragma once
#include <cstdint>
#include <cstring>
#include <string>

// Fixed-width fields of the record files: big-endian integers, the one little-endian double, and
// texts that end at their first zero byte or fill their field.
namespace record_bytes {

inline uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

inline uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

inline void WriteU16(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

inline void WriteU32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

inline double ReadLittleEndianDouble(const unsigned char* p)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void WriteLittleEndianDouble(unsigned char* p, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i, bits >>= 8)
        p[i] = static_cast<unsigned char>(bits);
}

inline std::string TextField(const unsigned char* field, size_t size)
{
    const void* zero = std::memchr(field, 0, size);
    const size_t length = zero == nullptr ? size : static_cast<size_t>(static_cast<const unsigned char*>(zero) - field);
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace record_bytes
