#include "platform/ui/pixel_buffer.h"

#include <gtest/gtest.h>

namespace ui = platform::ui;

TEST(PixelBuffer, RowsArePaddedAndDrawingIsClipped)
{
    ui::PixelBuffer picture(3, 2);
    EXPECT_EQ(picture.stride, 12) << "9 bytes of pixels padded to a multiple of 4";
    EXPECT_EQ(picture.bits.size(), 24u);

    const ui::Rgb red{255, 0, 0};
    picture.Set(2, 1, red);
    EXPECT_TRUE(picture.bits[12 + 6] == 0 && picture.bits[12 + 8] == 255) << "blue first, red last";

    // Coordinates outside the picture change nothing (the sanitizer build watches the writes).
    const std::vector<uint8_t> before = picture.bits;
    for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}})
        picture.Set(x, y, red);
    picture.FillRect(-5, -5, 0, 10, red);
    picture.FillRect(3, 0, 9, 9, red);
    EXPECT_EQ(picture.bits, before);
    picture.FillRect(-5, -5, 50, 50, ui::Rgb{1, 2, 3});
    EXPECT_EQ(picture.Get(0, 0), (ui::Rgb{1, 2, 3}));
    EXPECT_EQ(picture.Get(2, 1), (ui::Rgb{1, 2, 3}));
    EXPECT_EQ(picture.bits[9], 0) << "padding untouched";

    EXPECT_TRUE(ui::PixelBuffer(0, 5).bits.empty());
}
