#pragma once
#include "platform/ui/pixel_buffer.h"

// The progress dialog's bar: a flat bar in the highlight colour over the button face, with the
// percentage in the middle, each text pixel white over the bar and black over the empty part.
// It keeps the range and position that the progress-bar messages set; the colours are the
// system's when the bar is constructed.
class XCProgressCtrl {
public:
    XCProgressCtrl();

    // As the common control does, the position stays within the range.
    void SetRange(int lower, int upper);
    void SetPos(int position);
    int GetPos() const { return position_; }

    // Composes the whole picture of the bar's client area (the buffer's size).
    void OnPaint(platform::ui::PixelBuffer& picture, const platform::ui::TextPainter& text) const;

private:
    // Fills the columns left..right - 1 of the rows top..bottom - 1 with the bar colour.
    void DrawBar(platform::ui::PixelBuffer& picture, int left, int top, int right, int bottom) const;

    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    platform::ui::Rgb background_;
    platform::ui::Rgb bar_;
    platform::ui::Rgb key_{0xFF, 0x00, 0xFF};
    platform::ui::Rgb textOverBackground_{0x00, 0x00, 0x00};
    platform::ui::Rgb textOverBar_{0xFF, 0xFF, 0xFF};
};
