#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Off-screen pictures for owner-drawn controls: 24 bits a pixel, blue-green-red, rows top-down,
// each row padded to a multiple of four bytes.
namespace platform::ui {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool operator!=(const Rgb& other) const { return !(*this == other); }
};

struct PixelBuffer {
    PixelBuffer() = default;
    PixelBuffer(int width, int height);

    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
    std::vector<uint8_t> bits;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb Get(int x, int y) const;
    void Set(int x, int y, Rgb colour);
    // Clipped to the buffer.
    void FillRect(int left, int top, int right, int bottom, Rgb colour);
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

// Glyphs from the platform, in its default GUI font.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    virtual TextExtent Measure(const std::u16string& text) const = 0;
    // Draws one line of text in `colour`, its extent's top left at (x, y), over what the buffer
    // holds; edge pixels blend with it. Clipped to the buffer.
    virtual void Draw(PixelBuffer& buffer, int x, int y, const std::u16string& text, Rgb colour) const = 0;
};

enum class SystemColour { ButtonFace, Highlight };
// The desktop's colour now; a control that keeps it does not follow later changes.
Rgb GetSystemColour(SystemColour which);

}  // namespace platform::ui
