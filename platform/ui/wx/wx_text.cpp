#include "platform/ui/wx/wx_text.h"

#include "platform/ui/text_conversion.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/settings.h>

#include <algorithm>

namespace platform::ui {

wxString ToWx(const std::u16string& text)
{
    return wxString::FromUTF8(Utf8FromUtf16(text));
}

std::u16string FromWx(const wxString& text)
{
    return Utf16FromUtf8(text.utf8_string());
}

wxIconBundle ToIconBundle(const Icon& icon)
{
    if (icon.IsEmpty())
        return wxIconBundle();
    wxMemoryInputStream stream(icon.Bytes().data(), icon.Bytes().size());
    wxLogNull quiet;  // a damaged image is an empty bundle, not a log window
    return wxIconBundle(stream, wxBITMAP_TYPE_ICO);
}

wxFont DialogFont()
{
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(9);
    return font;
}

TextExtent WxTextPainter::Measure(const std::u16string& text) const
{
    wxBitmap scratch(1, 1, 24);
    wxMemoryDC dc(scratch);
    dc.SetFont(font_);
    const wxSize size = dc.GetTextExtent(ToWx(text));
    return TextExtent{size.x, size.y};
}

void WxTextPainter::Draw(PixelBuffer& buffer, int x, int y, const std::u16string& text, Rgb colour) const
{
    const TextExtent extent = Measure(text);
    if (extent.width <= 0 || extent.height <= 0)
        return;
    // Draw over a copy of what lies beneath, so the glyphs' edges blend with it.
    wxImage under(extent.width, extent.height);
    for (int row = 0; row < extent.height; ++row)
        for (int column = 0; column < extent.width; ++column) {
            const Rgb pixel = buffer.Get(x + column, y + row);
            under.SetRGB(column, row, pixel.red, pixel.green, pixel.blue);
        }
    wxBitmap bitmap(under, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetFont(font_);
        dc.SetTextForeground(wxColour(colour.red, colour.green, colour.blue));
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.DrawText(ToWx(text), 0, 0);
    }
    const wxImage drawn = bitmap.ConvertToImage();
    for (int row = 0; row < extent.height; ++row)
        for (int column = 0; column < extent.width; ++column)
            buffer.Set(x + column, y + row,
                       Rgb{drawn.GetRed(column, row), drawn.GetGreen(column, row), drawn.GetBlue(column, row)});
}

}  // namespace platform::ui
