#pragma once
#include "platform/ui/dialog.h"

#include <string>

// What a back end (real windows or headless) provides to the framework. Exactly one back end is
// installed at a time; dialogs and message boxes use it.
namespace platform::ui {

// System colours where there is no desktop to ask (no back end, or headless).
constexpr Rgb kPlainButtonFace{0xF0, 0xF0, 0xF0};
constexpr Rgb kPlainHighlight{0x00, 0x78, 0xD7};

struct PostedMessage {
    WindowRef target;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Creates the window, calls DialogHost::Initialise, shows it unless deferred or ended, runs
    // the loop until DialogHost::Ended, destroys the window.
    virtual void RunModal(Dialog& dialog) = 0;
    virtual void EndModal(Dialog& dialog) = 0;

    // The model changed: show it.
    virtual void ControlChanged(Dialog& dialog, ControlState& control) = 0;
    virtual void TitleChanged(Dialog& dialog) = 0;
    virtual void IconChanged(Dialog& dialog) = 0;
    virtual void VisibilityChanged(Dialog& dialog) = 0;
    virtual void Focus(Dialog& dialog, ControlState& control) = 0;
    virtual void Invalidate(Dialog& dialog, ControlState& control) = 0;
    virtual PixelSize ClientSize(Dialog& dialog, const ControlState& control) = 0;

    virtual void SetTimer(Dialog& dialog, unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(Dialog& dialog, unsigned id) = 0;

    // Any thread, with the window registry locked: hand the message to the user-interface thread,
    // which passes it to DialogHost::Deliver.
    virtual void QueuePost(const PostedMessage& message) = 0;

    virtual int MessageBox(const std::u16string& caption, const std::u16string& text, unsigned type) = 0;
    virtual bool BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path) = 0;
    virtual Rgb GetSystemColour(SystemColour which) = 0;

    // A programming error in the dialog code (an unknown control id...).
    virtual void ReportMisuse(const std::string& what) = 0;
};

// Installs the back end for the process (null to remove it). Not thread-safe against posts
// racing with the change: install before any dialog runs.
void InstallBackend(Backend* backend);
Backend& CurrentBackend();
bool HasBackend();

// The back ends' way into a dialog.
class DialogHost {
public:
    static std::vector<ControlState>& Controls(Dialog& dialog) { return dialog.controls_; }
    static ControlState* FindControl(Dialog& dialog, int id) { return dialog.FindControl(id); }
    static const std::u16string& Title(const Dialog& dialog) { return dialog.title_; }
    static bool ShowingDeferred(const Dialog& dialog) { return dialog.deferShowing_; }
    static void SetVisible(Dialog& dialog, bool visible) { dialog.visible_ = visible; }
    static bool Ended(const Dialog& dialog) { return dialog.ended_; }
    static uint64_t Window(const Dialog& dialog) { return dialog.window_; }

    // Registers the window and runs OnInitDialog.
    static void Initialise(Dialog& dialog);
    // Runs OnDestroy and unregisters the window: later posts to it are dropped.
    static void Destroyed(Dialog& dialog);
    // Ends the run with `result` without the dialog's own handlers (a failed headless run).
    static void Abandon(Dialog& dialog, int result);

    static void Command(Dialog& dialog, int id, int notification) { dialog.OnCommand(id, notification); }
    static void Timer(Dialog& dialog, unsigned id) { dialog.OnTimer(id); }
    static void SysCommand(Dialog& dialog, unsigned id) { dialog.OnSysCommand(id); }
    static void DrawItem(Dialog& dialog, int control, PixelBuffer& picture, const TextPainter& text)
    {
        dialog.OnDrawItem(control, picture, text);
    }
    // Enter and Esc as the dialog manager handles them; false when the key does nothing.
    static bool PressEnter(Dialog& dialog, int focusedControl);
    static bool PressEscape(Dialog& dialog);

    // User-interface thread: routes a posted message if its window still exists.
    static void Deliver(const PostedMessage& message);
    // User-interface thread: the dialog of a live window, or null.
    static Dialog* FindWindow(uint64_t window);
};

}  // namespace platform::ui
