#pragma once
#include "platform/ui/icon.h"
#include "platform/ui/pixel_buffer.h"

#include <wx/font.h>
#include <wx/iconbndl.h>
#include <wx/string.h>

#include <string>

// Conversions between the framework's values and wxWidgets' own.
namespace platform::ui {

wxString ToWx(const std::u16string& text);
std::u16string FromWx(const wxString& text);

// All sizes of an icon; empty for an empty Icon or undecodable bytes.
wxIconBundle ToIconBundle(const Icon& icon);

// The dialogs' font: the system's GUI font at 9 points.
wxFont DialogFont();

class WxTextPainter final : public TextPainter {
public:
    explicit WxTextPainter(const wxFont& font) : font_(font) {}
    TextExtent Measure(const std::u16string& text) const override;
    void Draw(PixelBuffer& buffer, int x, int y, const std::u16string& text, Rgb colour) const override;

private:
    wxFont font_;
};

}  // namespace platform::ui
