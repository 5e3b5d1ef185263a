#pragma once
#include "platform/ui/dialog.h"

#include <string>
#include <vector>

#include <wx/textctrl.h>

// The date and time pickers: an edit showing the user's short date (with a four-digit year) or
// "hh:mm:ss", digits and separators typed, Up and Down stepping the part under the caret.
// GTK's spin buttons and calendar drop-downs do not fit the dialogs' picker sizes.
namespace platform::ui {

class DateTimeField : public wxTextCtrl {
public:
    enum class Kind { Date, Time };
    DateTimeField(wxWindow* parent, Kind kind, const wxPoint& at, const wxSize& size);

    void Show(const LocalDateTime& value);
    void SetRange(const LocalDateTime& earliest, const LocalDateTime& latest);
    // Takes this field's parts from the text when it is a valid date or time within the range.
    bool Parse(LocalDateTime& value) const;

private:
    enum class Part { Day, Month, Year, Hour, Minute, Second };
    static int& Field(LocalDateTime& value, Part part);
    std::string Format(const LocalDateTime& value) const;
    void OnChar(wxKeyEvent& event);
    void OnKeyDown(wxKeyEvent& event);

    Kind kind_;
    std::vector<Part> parts_;
    std::vector<std::string> separators_;  // separators_[i] follows parts_[i]
    LocalDateTime earliest_ = kEarliestDateTime, latest_ = kLatestDateTime;
};

}  // namespace platform::ui
