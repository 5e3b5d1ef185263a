#include "app/progress_bar.h"

#include "app/dialog_text.h"
#include "platform/c_locale_format.h"

#include <algorithm>

using platform::ui::PixelBuffer;
using platform::ui::SystemColour;

XCProgressCtrl::XCProgressCtrl()
    : background_(platform::ui::GetSystemColour(SystemColour::ButtonFace)),
      bar_(platform::ui::GetSystemColour(SystemColour::Highlight))
{
}

void XCProgressCtrl::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    SetPos(position_);
}

void XCProgressCtrl::SetPos(int position)
{
    position_ = std::max(lower_, std::min(position, upper_));
}

void XCProgressCtrl::OnPaint(PixelBuffer& picture, const platform::ui::TextPainter& text) const
{
    const int w = picture.width;
    const int h = picture.height;
    const int percent = upper_ == lower_ ? lower_
                                         : static_cast<int>((static_cast<double>(position_) - lower_) * 100.0 /
                                                            (static_cast<double>(upper_) - lower_));
    const std::u16string label = Widen(platform::FormatCLocale("%d %%", percent));
    const int filled = static_cast<int>((percent * w) / 100.0);
    DrawBar(picture, 0, 0, filled, h);
    picture.FillRect(filled, 0, w, h, background_);

    // The glyphs over the key colour tell text pixels, blended edges included, from the rest.
    const platform::ui::TextExtent extent = text.Measure(label);
    PixelBuffer scratch(extent.width, extent.height);
    scratch.FillRect(0, 0, extent.width, extent.height, key_);
    text.Draw(scratch, 0, 0, label, textOverBar_);
    const int x0 = (w - extent.width) / 2;
    const int y0 = (h - extent.height) / 2;
    for (int x = 0; x < extent.width; ++x)
        for (int y = 0; y < extent.height; ++y)
            if (scratch.Get(x, y) != key_)
                picture.Set(x0 + x, y0 + y, x0 + x > filled ? textOverBackground_ : textOverBar_);
}

void XCProgressCtrl::DrawBar(PixelBuffer& picture, int left, int top, int right, int bottom) const
{
    picture.FillRect(left, top, right, bottom, bar_);
}
