#pragma once
#include "platform/ui/dialog_template.h"
#include "platform/ui/icon.h"
#include "platform/ui/pixel_buffer.h"
#include "platform/ui/ui_constants.h"
#include "platform/ui/window_ref.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

// Modal dialogs built from a DialogTemplate, on real windows or headless in tests.
//
// A dialog class derives from Dialog, passes its template to the constructor and overrides what
// it handles:
//   OnInitDialog()          the window and its controls exist, not yet shown; call the base first
//                           (it runs DoDataExchange to fill the controls)
//   OnCommand(id, code)     button clicks (BN_CLICKED) and list choices (CBN_SELCHANGE), also
//                           WM_COMMAND posted from other threads; the base sends IDOK to OnOK and
//                           IDCANCEL to OnCancel
//   OnOK() / OnCancel()     the base ends the dialog with IDOK (after UpdateData(true)) / IDCANCEL
//   OnTimer(id)             a timer started with SetTimer
//   OnMessage(...)          other posted messages, to the dialog (control 0) or a control
//   OnSysCommand(id)        an entry added with AppendSystemMenuItem was chosen
//   OnDrawItem(...)         paints an OwnerDrawn control into an off-screen picture
//   OnDestroy()             the window is about to go; its timers go with it
//   DoDataExchange(dx)      DDX_* helpers of data_exchange.h; run by UpdateData
// DoModal() runs the dialog until EndDialog and returns the EndDialog value (-1 when the run could
// not start). Enter presses the default button (IDOK when there is none, the focused button when
// focus is on a button); Esc and the close box send IDCANCEL unless the Cancel button is disabled.
// Everything here runs on the user-interface thread, except Post and IsWindow (window_ref.h).
// Beside it: data_exchange.h (DDX_*), message_box.h (MessageBox, BrowseForFolder), icon.h (ICO
// files and built-in icons), pixel_buffer.h (owner drawing), headless_backend.h (tests) and
// wx/wx_application.h (the program's main on real windows). Texts are UTF-16 throughout.
namespace platform::ui {

class DataExchange;
class DialogItem;

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};
// A picker's range when none is set.
constexpr LocalDateTime kEarliestDateTime{1, 1, 1, 0, 0, 0};
constexpr LocalDateTime kLatestDateTime{9999, 12, 31, 23, 59, 59};
inline bool operator<(const LocalDateTime& a, const LocalDateTime& b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}
inline bool operator==(const LocalDateTime& a, const LocalDateTime& b) { return !(a < b) && !(b < a); }

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The state of one control; the back end shows it and writes the user's changes back.
struct ControlState {
    ControlTemplate layout;
    std::u16string text;
    bool enabled = true;
    bool visible = true;
    int check = 0;  // 0 unchecked, 1 checked
    struct Item {
        std::u16string text;
        intptr_t data = 0;
    };
    std::vector<Item> items;
    int selection = -1;
    LocalDateTime dateTime;
    LocalDateTime earliest = kEarliestDateTime, latest = kLatestDateTime;  // a picker's range
    Icon icon;
};

class Dialog {
public:
    explicit Dialog(const DialogTemplate& layout);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int DoModal();
    void EndDialog(int result);

    // The window while it exists, else a null reference.
    WindowRef GetWindowRef() const;
    bool HasWindow() const { return window_ != 0; }

    // Access by control id; an unknown id is reported by the back end and gives a handle that does nothing.
    DialogItem GetDlgItem(int id);
    bool UpdateData(bool saveAndValidate);

    void SetWindowText(const std::u16string& title);
    std::u16string GetWindowText() const;
    void SetIcon(const Icon& icon);  // the window's icon
    Icon GetIcon() const { return icon_; }

    // A window normally appears once OnInitDialog has returned. Called before that, DeferShowing
    // keeps it hidden until ShowWindow(true).
    void DeferShowing() { deferShowing_ = true; }
    void ShowWindow(bool show);
    bool IsWindowVisible() const { return visible_; }

    // Timers fire OnTimer(id) every `milliseconds` until killed or the window closes. Returns id.
    unsigned SetTimer(unsigned id, unsigned milliseconds);
    void KillTimer(unsigned id);

    // An entry of the window's menu (a context menu on the dialog's background).
    void AppendSystemMenuItem(const std::u16string& text, unsigned commandId);
    struct MenuItem {
        std::u16string text;
        unsigned commandId;
    };
    const std::vector<MenuItem>& SystemMenuItems() const { return menuItems_; }

    const DialogTemplate& Layout() const { return layout_; }

protected:
    virtual bool OnInitDialog();
    virtual void OnCommand(int id, int notification);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnTimer(unsigned id);
    virtual void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t lParam);
    virtual void OnSysCommand(unsigned commandId);
    virtual void OnDrawItem(int control, PixelBuffer& picture, const TextPainter& text);
    virtual void OnDestroy();
    virtual void DoDataExchange(DataExchange& dx);

private:
    friend class DialogHost;
    friend class DialogItem;

    ControlState* FindControl(int id);

    const DialogTemplate& layout_;
    uint64_t window_ = 0;
    std::vector<ControlState> controls_;
    std::u16string title_;
    Icon icon_;
    std::vector<MenuItem> menuItems_;
    bool deferShowing_ = false;
    bool visible_ = false;
    bool ended_ = false;
    int result_ = -1;
};

// One control of a dialog with a window; names as the controls' own operations.
class DialogItem {
public:
    DialogItem(Dialog* dialog, ControlState* control) : dialog_(dialog), control_(control) {}
    bool Exists() const { return control_ != nullptr; }
    WindowRef GetWindowRef() const;

    void SetWindowText(const std::u16string& text);
    std::u16string GetWindowText() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    // Focus to this control; an edit also gets its whole text selected.
    void SetFocusAndSelectAll();

    void SetCheck(int state);  // 0 or 1
    int GetCheck() const;

    // Drop-down list.
    void ResetContent();
    int AddString(const std::u16string& text);  // index of the new item
    void SetItemData(int index, intptr_t data);
    intptr_t GetItemData(int index) const;      // 0 for an index out of range
    int GetCount() const;
    void SetCurSel(int index);                  // -1 or an index out of range clears it
    int GetCurSel() const;                      // -1 when nothing is selected

    // Date and time pickers: the picker shows its part (date or time) of the value. A value
    // outside the picker's range is taken as the nearest end of the range.
    void SetDateTime(const LocalDateTime& value);
    LocalDateTime GetDateTime() const;
    // What the user can enter; the current value is moved into it.
    void SetDateRange(const LocalDateTime& earliest, const LocalDateTime& latest);

    void SetIcon(const Icon& icon);  // push buttons (beside their text) and static icons
    void Invalidate();                // repaints an owner-drawn control through OnDrawItem
    PixelSize GetClientSize() const;

private:
    void Changed();
    // Every setter: nothing on a missing control, else the field changes and the back end shows it.
    template <typename T>
    void Update(T ControlState::*field, const T& value)
    {
        if (!control_)
            return;
        control_->*field = value;
        Changed();
    }
    Dialog* dialog_;
    ControlState* control_;
};

}  // namespace platform::ui
