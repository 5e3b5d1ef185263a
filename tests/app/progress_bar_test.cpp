#include "app/progress_bar.h"

#include "platform/ui/backend.h"
#include "platform/ui/headless_backend.h"

#include <gtest/gtest.h>

using namespace platform::ui;

namespace {

const Rgb kWhite{0xFF, 0xFF, 0xFF};
const Rgb kBlack{0x00, 0x00, 0x00};

// The bar at `position` of 0..upper, 8 rows high: the box glyphs fill rows 1 to 6, 6 columns apart.
PixelBuffer Paint(int width, int upper, int position)
{
    XCProgressCtrl bar;
    bar.SetRange(0, upper);
    bar.SetPos(position);
    PixelBuffer picture(width, 8);
    bar.OnPaint(picture, BoxTextPainter());
    return picture;
}

}  // namespace

TEST(ProgressBar, TextIsWhiteOverTheBarAndBlackOverTheRest)
{
    // 0 %: "0 %" (columns 41 and 53 on) in black on the background, no bar.
    const PixelBuffer empty = Paint(100, 1000, 0);
    EXPECT_EQ(empty.Get(0, 3), kPlainButtonFace);
    EXPECT_EQ(empty.Get(41, 3), kBlack);
    EXPECT_EQ(empty.Get(40, 3), kPlainButtonFace) << "between glyphs what lies beneath shows";
    // 50 % of an even width: the bar covers columns 0 to 49; "50" is white on it, "%" black beside it.
    const PixelBuffer half = Paint(100, 1000, 500);
    EXPECT_EQ(half.Get(49, 0), kPlainHighlight);
    EXPECT_EQ(half.Get(50, 0), kPlainButtonFace);
    EXPECT_EQ(half.Get(38, 3), kWhite);
    EXPECT_EQ(half.Get(48, 3), kWhite);
    EXPECT_EQ(half.Get(56, 3), kBlack);
    // 46 % of 200: the bar ends before column 92, where "4" ends; that column counts as over the bar.
    const PixelBuffer edge = Paint(200, 100, 46);
    EXPECT_EQ(edge.Get(92, 0), kPlainButtonFace);
    EXPECT_EQ(edge.Get(92, 3), kWhite);
    EXPECT_EQ(edge.Get(94, 3), kBlack);
    // A position past the end shows 100 %: all bar, "100 %" white up to its last column.
    const PixelBuffer full = Paint(100, 29, 30);
    EXPECT_EQ(full.Get(99, 0), kPlainHighlight);
    EXPECT_EQ(full.Get(63, 3), kWhite);
    // An empty range shows 0 %.
    EXPECT_EQ(Paint(100, 0, 5).Get(41, 3), kBlack);
    // Text wider than the bar is clipped, and only its glyphs are coloured.
    EXPECT_EQ(Paint(10, 100, 100).Get(8, 3), kPlainHighlight);
}
