#pragma once
// Writes EVA and STD data files byte by byte, independently of the classes under test, for the
// tests and the benchmarks; damaged files included.
#include "foundation/modbus_crc16.h"
#include "foundation/xc_time.h"
#include "platform/file_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace recordtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Be16(uint16_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }
inline Bytes Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A packed stamp whose year field counts from the file's base year.
inline uint32_t Packed(int yearOffset, int month, int day, int hour, int minute, int second = 0)
{
    return uint32_t(yearOffset) << 26 | uint32_t(month) << 22 | uint32_t(day) << 17 | uint32_t(hour) << 12 |
           uint32_t(minute) << 6 | uint32_t(second);
}

inline XCTime At(int year, int month, int day, int hour, int minute, int second = 0)
{
    XCTime time;
    time.Set(year, month, day, hour, minute, second, 0, 0);
    return time;
}

// Sets the last byte of the block so that 1 plus the sum of all its bytes is 0 modulo 256.
inline void SetCheckByte(uint8_t* block, size_t length)
{
    block[length - 1] = uint8_t(0xFF - std::accumulate(block, block + length - 1, 0));
}

// An EVA file: the three header texts run on from byte 0 (10, 6 and 12 bytes), then 10-byte
// records. Checksum type 1 seals with a CRC-16 stored low byte first, any other with a sum.
struct EvaImage {
    EvaImage(uint16_t type, uint16_t year, const std::string& texts = "EVA") : checksumType(type)
    {
        texts.copy(reinterpret_cast<char*>(bytes.data()), 28);
        std::copy_n(Concat({Be16(type), Be16(year)}).begin(), 4, bytes.begin() + 28);
        Seal(bytes.data(), 34);
    }

    EvaImage& Record(uint32_t stamp, uint16_t payload = 0, bool valid = true)
    {
        Bytes record = Concat({Be32(stamp), Be16(payload), Bytes(4, 0)});
        Seal(record.data(), 10);
        record[9] ^= valid ? 0 : 0x5A;
        bytes.insert(bytes.end(), record.begin(), record.end());
        return *this;
    }

    void Seal(uint8_t* block, size_t length) const
    {
        if (checksumType != 1)
            return SetCheckByte(block, length);
        const Bytes crc = Be16(ModbusCrc16(block, uint32_t(length - 2)));
        std::copy(crc.begin(), crc.end(), block + length - 2);
    }

    uint16_t checksumType;
    Bytes bytes = Bytes(34, 0);
};

// An STD file's header and records; the record codes start with the time stamp.
struct StdImage {
    std::string text2 = "STD1";
    uint16_t checksumType = 0;
    uint16_t recordLength = 5;
    std::vector<std::pair<uint16_t, Bytes>> headerVariables;  // code and value bytes
    std::vector<uint16_t> recordCodes = {0x0139};
    bool countsInBytes = false;
    int headerLength = 0;  // 0: what the lists and values need plus the check byte

    Bytes Header() const
    {
        const uint16_t perCode = countsInBytes ? 2 : 1;
        Bytes h = Concat({Bytes{'R', 'E', 'C', 0, 0, 0, 0, 0, 0, 0}, Bytes(6, 0), Be16(checksumType), Be16(0),
                          Be16(recordLength), Be16(uint16_t(headerVariables.size() * perCode))});
        std::copy(text2.begin(), text2.end(), h.begin() + 10);
        for (const auto& v : headerVariables)
            h = Concat({h, Be16(v.first)});
        h = Concat({h, Be16(uint16_t(recordCodes.size() * perCode))});
        for (uint16_t code : recordCodes)
            h = Concat({h, Be16(code)});
        for (const auto& v : headerVariables)
            h = Concat({h, v.second});
        const size_t length = headerLength != 0 ? size_t(headerLength) : h.size() + 1;
        h.resize(std::max(length, h.size()), 0);
        std::copy_n(Be16(uint16_t(length)).begin(), 2, h.begin() + 18);
        SetCheckByte(h.data(), length);
        return h;
    }

    Bytes Record(const Bytes& fields) const
    {
        Bytes r(recordLength, 0);
        std::copy(fields.begin(), fields.end(), r.begin());
        SetCheckByte(r.data(), r.size());
        return r;
    }
};

inline bool WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    return bool(out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())));
}

inline Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes the `n`th write call from now fail, and the `times` - 1 calls after it; the caller restores
// platform::RealFileSystem().
inline void FailWrite(int n, int times = 1)
{
    static int writes, failures;
    writes = -n;
    failures = times;
    platform::FileSystem().write = [](int fd, const void* buffer, size_t count) -> ssize_t {
        return ++writes < 0 || writes >= failures ? platform::RealFileSystem().write(fd, buffer, count)
                                                  : (errno = EIO, -1);
    };
}

// A fresh folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() : path_(MakeTemporaryFolder("record_test_")) {}
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::u16string Data(const std::string& name = "data.std") const { return (path_ / name).u16string(); }

private:
    std::filesystem::path path_;
};

}  // namespace recordtest
