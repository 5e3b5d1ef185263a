#include "platform/ui/pixel_buffer.h"

#include "platform/ui/backend.h"

#include <algorithm>

namespace platform::ui {

PixelBuffer::PixelBuffer(int width, int height)
    : width(std::max(width, 0)),
      height(std::max(height, 0)),
      stride((24 * std::max(width, 0) + 31) / 32 * 4),
      bits(static_cast<size_t>(stride) * static_cast<size_t>(std::max(height, 0)))
{
}

Rgb PixelBuffer::Get(int x, int y) const
{
    if (!Contains(x, y))
        return Rgb{};
    const uint8_t* pixel = &bits[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 3];
    return Rgb{pixel[2], pixel[1], pixel[0]};
}

void PixelBuffer::Set(int x, int y, Rgb colour)
{
    if (!Contains(x, y))
        return;
    uint8_t* pixel = &bits[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 3];
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
}

void PixelBuffer::FillRect(int left, int top, int right, int bottom, Rgb colour)
{
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x)
            Set(x, y, colour);
}

Rgb GetSystemColour(SystemColour which)
{
    if (HasBackend())
        return CurrentBackend().GetSystemColour(which);
    return which == SystemColour::ButtonFace ? kPlainButtonFace : kPlainHighlight;
}

}  // namespace platform::ui
