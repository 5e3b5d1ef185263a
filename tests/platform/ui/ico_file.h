#pragma once
#include <cstdint>
#include <vector>

// A one-image ICO file: size x size pixels of one colour, 32 bits a pixel, as a BMP without its
// file header (height doubled for the mask), followed by an all-zero mask.
inline std::vector<unsigned char> MakeIcoFile(int size, uint8_t red, uint8_t green, uint8_t blue)
{
    std::vector<unsigned char> file;
    auto put = [&file](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    const uint32_t maskRow = static_cast<uint32_t>((size + 31) / 32 * 4);
    const uint32_t imageSize = 40 + static_cast<uint32_t>(size * size * 4) + maskRow * static_cast<uint32_t>(size);
    put(0, 2), put(1, 2), put(1, 2);                                          // reserved, type icon, one image
    put(static_cast<uint32_t>(size), 1), put(static_cast<uint32_t>(size), 1), put(0, 1), put(0, 1);
    put(1, 2), put(32, 2), put(imageSize, 4), put(22, 4);                     // planes, bits, size, offset
    put(40, 4), put(static_cast<uint32_t>(size), 4), put(static_cast<uint32_t>(2 * size), 4);
    put(1, 2), put(32, 2), put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    for (int i = 0; i < size * size; ++i)
        put(blue, 1), put(green, 1), put(red, 1), put(0xFF, 1);
    for (uint32_t i = 0; i < maskRow * static_cast<uint32_t>(size); ++i)
        put(0, 1);
    return file;
}
