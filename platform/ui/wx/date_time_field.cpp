#include "platform/ui/wx/date_time_field.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <langinfo.h>

namespace platform::ui {
namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

DateTimeField::DateTimeField(wxWindow* parent, Kind kind, const wxPoint& at, const wxSize& size)
    : wxTextCtrl(parent, wxID_ANY, wxString(), at, size), kind_(kind)
{
    // The user's date order and separators, from a format such as "%d/%m/%y".
    const std::string format = kind == Kind::Date ? nl_langinfo(D_FMT) : "%H:%M:%S";
    for (size_t at = 0; at + 1 < format.size(); ++at) {
        if (format[at] != '%') {
            if (!separators_.empty())
                separators_.back() += format[at];
            continue;
        }
        switch (format[++at]) {
        case 'd': case 'e': parts_.push_back(Part::Day); break;
        case 'm': parts_.push_back(Part::Month); break;
        case 'y': case 'Y': parts_.push_back(Part::Year); break;
        case 'H': parts_.push_back(Part::Hour); break;
        case 'M': parts_.push_back(Part::Minute); break;
        case 'S': parts_.push_back(Part::Second); break;
        default: parts_.clear(); at = format.size(); continue;
        }
        separators_.emplace_back();
    }
    if (parts_.size() != 3) {
        parts_ = {Part::Day, Part::Month, Part::Year};
        separators_ = {"/", "/", ""};
    }
    Bind(wxEVT_CHAR, &DateTimeField::OnChar, this);
    Bind(wxEVT_KEY_DOWN, &DateTimeField::OnKeyDown, this);
}

int& DateTimeField::Field(LocalDateTime& value, Part part)
{
    switch (part) {
    case Part::Day: return value.day;
    case Part::Month: return value.month;
    case Part::Year: return value.year;
    case Part::Hour: return value.hour;
    case Part::Minute: return value.minute;
    case Part::Second: break;
    }
    return value.second;
}

std::string DateTimeField::Format(const LocalDateTime& value) const
{
    std::string text;
    LocalDateTime copy = value;
    for (size_t i = 0; i < parts_.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, parts_[i] == Part::Year ? "%04d" : "%02d", Field(copy, parts_[i]));
        text += number;
        if (i + 1 < parts_.size())
            text += separators_[i];
    }
    return text;
}

void DateTimeField::Show(const LocalDateTime& value)
{
    const wxString text = wxString::FromUTF8(Format(value));
    if (GetValue() != text)
        ChangeValue(text);
}

void DateTimeField::SetRange(const LocalDateTime& earliest, const LocalDateTime& latest)
{
    earliest_ = earliest;
    latest_ = latest;
}

bool DateTimeField::Parse(LocalDateTime& value) const
{
    const std::string text = GetValue().utf8_string();
    LocalDateTime parsed = value;
    size_t at = 0;
    for (Part part : parts_) {
        while (at < text.size() && !std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        const size_t start = at;
        int number = 0;
        for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 4; ++at)
            number = number * 10 + (text[at] - '0');
        if (at == start)
            return false;
        // A year typed with two digits is one of this century's, never the first century's.
        if (part == Part::Year && at - start <= 2)
            number += 2000;
        Field(parsed, part) = number;
    }
    for (; at < text.size(); ++at)
        if (std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
    const bool valid = kind_ == Kind::Time
                           ? parsed.hour <= 23 && parsed.minute <= 59 && parsed.second <= 59
                           : parsed.year >= 1 && parsed.month >= 1 && parsed.month <= 12 && parsed.day >= 1 &&
                                 parsed.day <= DaysInMonth(parsed.year, parsed.month);
    if (!valid || parsed < earliest_ || latest_ < parsed)
        return false;
    value = parsed;
    return true;
}

void DateTimeField::OnChar(wxKeyEvent& event)
{
    const int key = event.GetUnicodeKey();
    if (key == WXK_NONE || key < WXK_SPACE || key == WXK_DELETE || event.HasAnyModifiers() ||
        (key >= '0' && key <= '9') || (key < 128 && std::ispunct(key)))
        event.Skip();
}

void DateTimeField::OnKeyDown(wxKeyEvent& event)
{
    const int step = event.GetKeyCode() == WXK_UP ? 1 : event.GetKeyCode() == WXK_DOWN ? -1 : 0;
    LocalDateTime value;
    if (step == 0 || !Parse(value))
        return event.Skip();
    // The part under the caret: count the runs of digits that end before it.
    const long caret = GetInsertionPoint();
    const wxString text = GetValue();
    size_t part = 0;
    for (long i = 1; i < caret && i <= static_cast<long>(text.length()); ++i)
        if (wxIsdigit(text[static_cast<size_t>(i - 1)]) && !wxIsdigit(text[static_cast<size_t>(i)]))
            ++part;
    part = std::min(part, parts_.size() - 1);
    int& field = Field(value, parts_[part]);
    switch (parts_[part]) {
    case Part::Day: field = (field - 1 + step + DaysInMonth(value.year, value.month)) % DaysInMonth(value.year, value.month) + 1; break;
    case Part::Month: field = (field - 1 + step + 12) % 12 + 1; break;
    case Part::Year: field = std::max(1, field + step); break;
    case Part::Hour: field = (field + step + 24) % 24; break;
    case Part::Minute:
    case Part::Second: field = (field + step + 60) % 60; break;
    }
    value.day = std::min(value.day, DaysInMonth(value.year, value.month));
    value = std::clamp(value, earliest_, latest_);
    SetValue(wxString::FromUTF8(Format(value)));  // a change, as if typed
    SetInsertionPoint(caret);
}

}  // namespace platform::ui
