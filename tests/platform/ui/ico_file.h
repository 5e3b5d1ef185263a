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
    const uint32_t side = static_cast<uint32_t>(size), maskRow = (side + 31) / 32 * 4;
    put(0, 2), put(1, 2), put(1, 2);                               // reserved, type icon, one image
    put(side, 1), put(side, 1), put(0, 2), put(1, 2), put(32, 2);  // no palette, planes, bits
    put(40 + side * side * 4 + maskRow * side, 4), put(22, 4);     // image size and offset
    put(40, 4), put(side, 4), put(2 * side, 4), put(1, 2), put(32, 2);
    file.resize(file.size() + 24);  // no compression, sizes or colour counts
    for (uint32_t i = 0; i < side * side; ++i)
        put(blue, 1), put(green, 1), put(red, 1), put(0xFF, 1);
    file.resize(file.size() + maskRow * side);
    return file;
}
