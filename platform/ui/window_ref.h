#pragma once
#include <cstdint>

// A dialog window, or one of its controls, named in a way that any thread may hold and use:
// a window that has closed is never reused, so a stale reference only fails.
namespace platform::ui {

struct WindowRef {
    uint64_t window = 0;  // 0: no window
    int control = 0;      // 0: the dialog itself

    bool IsNull() const { return window == 0; }
    bool operator==(const WindowRef& other) const
    {
        return window == other.window && control == other.control;
    }
};

// Any thread. True while the dialog's window exists (and has that control).
bool IsWindow(WindowRef ref);

// Any thread; never waits for the user-interface thread. Queues the message for the window's
// modal loop and returns true; false when the window does not exist. A message whose window
// closes before it is handled is dropped. WM_COMMAND reaches Dialog::OnCommand, every other
// message Dialog::OnMessage.
bool Post(WindowRef ref, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace platform::ui
