#pragma once
// Writes STD data files byte by byte, independently of the class under test.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace stdtest {

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

inline uint32_t Packed(int yearOffset, int month, int day, int hour, int minute)
{
    return uint32_t(yearOffset) << 26 | uint32_t(month) << 22 | uint32_t(day) << 17 | uint32_t(hour) << 12 |
           uint32_t(minute) << 6;
}

// Sets the last of the first `length` bytes so that 1 + their sum is 0 modulo 256.
inline void SetCheckByte(Bytes& block, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < length; ++i)
        sum = uint8_t(sum + block[i]);
    block[length - 1] = uint8_t(0xFF - sum);
}

struct StdImage {
    std::string text2 = "STD1";
    uint16_t checksumType = 0;
    uint16_t recordLength = 5;
    std::vector<std::pair<uint16_t, Bytes>> headerVariables;  // code and value bytes
    std::vector<uint16_t> recordCodes = {0x0139};             // the time stamp
    bool countsInBytes = false;
    int headerLength = 0;  // 0: what the lists and values need plus the check byte

    Bytes Header() const
    {
        Bytes h = Concat({Bytes{'R', 'E', 'C', 0, 0, 0, 0, 0, 0, 0}, Bytes(6, 0), Be16(checksumType), Be16(0),
                          Be16(recordLength), Be16(uint16_t(headerVariables.size() * (countsInBytes ? 2 : 1)))});
        std::copy(text2.begin(), text2.end(), h.begin() + 10);
        for (const auto& v : headerVariables)
            h = Concat({h, Be16(v.first)});
        h = Concat({h, Be16(uint16_t(recordCodes.size() * (countsInBytes ? 2 : 1)))});
        for (uint16_t code : recordCodes)
            h = Concat({h, Be16(code)});
        for (const auto& v : headerVariables)
            h = Concat({h, v.second});
        const size_t length = headerLength != 0 ? size_t(headerLength) : h.size() + 1;
        h.resize(std::max(length, h.size()), 0);
        h[18] = uint8_t(length >> 8);
        h[19] = uint8_t(length);
        SetCheckByte(h, length);
        return h;
    }

    Bytes Record(const Bytes& fields) const
    {
        Bytes r(recordLength, 0);
        std::copy(fields.begin(), fields.end(), r.begin());
        SetCheckByte(r, r.size());
        return r;
    }
};

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() : path_(std::filesystem::temp_directory_path() / ("std_test_" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::u16string Data(const std::string& name = "data.std") const { return (path_ / name).u16string(); }

private:
    std::filesystem::path path_;
};

}  // namespace stdtest
