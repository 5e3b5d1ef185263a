#pragma once
#include <cstdint>
#include <vector>

// Dialog layouts as data. Positions and sizes are dialog units: a quarter of the dialog font's
// average character width horizontally, an eighth of its height vertically.
namespace platform::ui {

enum class ControlKind {
    StaticLeft,
    StaticCentre,
    StaticRight,
    GroupBox,
    PushButton,
    DefaultPushButton,  // Enter presses it
    AutoCheckBox,
    Edit,
    DropDownList,  // height includes the list; the control takes its natural height
    DatePicker,    // short date in the user's date format
    TimePicker,
    OwnerDrawn,  // painted by Dialog::OnDrawItem (the progress bar)
    StaticIcon,
};

// Style bits of ControlTemplate::style.
enum ControlStyle : uint32_t {
    kStyleNone = 0,
    kStyleNoPrefix = 1u << 0,    // static text: '&' is shown as it stands
    kStyleBorder = 1u << 1,      // edit or owner-drawn control with a sunken border
    kStyleDigitsOnly = 1u << 2,  // edit: typed characters other than digits are refused
    kStyleDisabled = 1u << 3,
};

struct ControlTemplate {
    ControlKind kind;
    int id;  // -1 for labels that are never addressed
    int x, y, cx, cy;
    uint32_t style;
    const char16_t* text;  // initial text; may be null
};

// Style bits of DialogTemplate::style.
enum DialogStyle : uint32_t {
    kDialogNone = 0,
    kDialogMinimizeBox = 1u << 0,
};

struct DialogTemplate {
    int id;
    int cx, cy;
    uint32_t style;
    const char16_t* title;  // may be null
    std::vector<ControlTemplate> controls;  // also the tab order
};

}  // namespace platform::ui
