#pragma once
#include <cstdint>

// Command, message-box and notification codes with the values the dialogs' descriptions use.
namespace platform::ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message-box types; combine a button set with an icon.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;

// Control notifications, passed to Dialog::OnCommand.
constexpr int BN_CLICKED = 0;
constexpr int CBN_SELCHANGE = 1;

// Posted messages: WM_COMMAND carries the command id in the low 16 bits of wParam and the
// notification in the high 16 bits; the dialog's own messages start at WM_USER.
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_USER = 0x0400;

// Progress-bar messages, posted to the bar control: a range of 0 to lParam, and a position.
constexpr unsigned PBM_SETPOS = WM_USER + 2;
constexpr unsigned PBM_SETRANGE32 = WM_USER + 6;

constexpr uintptr_t MakeCommandParam(int id, int notification)
{
    return (static_cast<uintptr_t>(notification & 0xFFFF) << 16) | static_cast<uintptr_t>(id & 0xFFFF);
}

}  // namespace platform::ui
