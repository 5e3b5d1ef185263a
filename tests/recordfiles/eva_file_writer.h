#pragma once
// Builds EVA files for tests and benchmarks, damaged ones included.
#include "foundation/modbus_crc16.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace eva_writer {

struct Stamp {
    int year, month, day, hour, minute, second;
};

// Sets the last two bytes of a block so that it verifies: a CRC low byte first, or a sum
// check byte in the last place.
inline void Seal(uint8_t* block, int length, int checksumType)
{
    block[length - 2] = 0;
    block[length - 1] = 0;
    if (checksumType == 1) {
        const uint16_t crc = ModbusCrc16(block, static_cast<uint32_t>(length - 2));
        block[length - 2] = static_cast<uint8_t>(crc >> 8);
        block[length - 1] = static_cast<uint8_t>(crc & 0xFF);
        return;
    }
    unsigned sum = 1;
    for (int i = 0; i < length; ++i)
        sum += block[i];
    block[length - 1] = static_cast<uint8_t>(0x100 - (sum & 0xFF));
}

class File {
public:
    File(int checksumType, uint16_t year, const std::string& text1 = "EVA", const std::string& text2 = "V1",
         const std::string& text3 = "unit")
        : checksumType_(checksumType), bytes_(34, 0)
    {
        text1.copy(reinterpret_cast<char*>(&bytes_[0]), 10);
        text2.copy(reinterpret_cast<char*>(&bytes_[10]), 6);
        text3.copy(reinterpret_cast<char*>(&bytes_[16]), 12);
        bytes_[28] = static_cast<uint8_t>(checksumType >> 8);
        bytes_[29] = static_cast<uint8_t>(checksumType);
        bytes_[30] = static_cast<uint8_t>(year >> 8);
        bytes_[31] = static_cast<uint8_t>(year);
        Seal(&bytes_[0], 34, checksumType == 1 ? 1 : 0);
    }

    // `yearOffset` is the year after the file's base year.
    File& Record(int yearOffset, const Stamp& s, uint16_t payload = 0, bool valid = true)
    {
        const uint32_t packed = static_cast<uint32_t>(yearOffset) << 26 | static_cast<uint32_t>(s.month) << 22 |
                                static_cast<uint32_t>(s.day) << 17 | static_cast<uint32_t>(s.hour) << 12 |
                                static_cast<uint32_t>(s.minute) << 6 | static_cast<uint32_t>(s.second);
        uint8_t record[10] = {static_cast<uint8_t>(packed >> 24), static_cast<uint8_t>(packed >> 16),
                              static_cast<uint8_t>(packed >> 8), static_cast<uint8_t>(packed),
                              static_cast<uint8_t>(payload >> 8), static_cast<uint8_t>(payload)};
        Seal(record, 10, checksumType_);
        if (!valid)
            record[9] ^= 0x5A;
        bytes_.insert(bytes_.end(), record, record + 10);
        return *this;
    }

    File& Bytes(const std::vector<uint8_t>& extra)
    {
        bytes_.insert(bytes_.end(), extra.begin(), extra.end());
        return *this;
    }

    std::vector<uint8_t>& Contents() { return bytes_; }

    bool Save(const std::string& path) const
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr)
            return false;
        const bool written = std::fwrite(bytes_.data(), 1, bytes_.size(), out) == bytes_.size();
        return std::fclose(out) == 0 && written;
    }

private:
    int checksumType_;
    std::vector<uint8_t> bytes_;
};

inline std::vector<uint8_t> Load(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr)
        return bytes;
    int c;
    while ((c = std::fgetc(in)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(in);
    return bytes;
}

}  // namespace eva_writer
