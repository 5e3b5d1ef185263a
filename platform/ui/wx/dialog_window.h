#pragma once
#include "platform/ui/backend.h"

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include <map>
#include <memory>

// The window of one Dialog: its controls built from the template, the model shown in them, and
// the user's changes written back to the model.
namespace platform::ui {

class DialogWindow : public wxDialog {
public:
    DialogWindow(wxWindow* parent, Dialog& dialog);
    ~DialogWindow() override;

    Dialog& Owner() { return dialog_; }
    // Model to widget.
    void Apply(const ControlState& control);
    void ApplyTitle();
    void ApplyIcon();
    wxWindow* Widget(const ControlState& control) const;
    void FocusAndSelectAll(const ControlState& control);

    void StartTimer(unsigned id, unsigned milliseconds);
    void StopTimer(unsigned id);
    void StopTimers();

    // The loop that runs the dialog; null until it runs and after it has ended.
    wxGUIEventLoop* loop = nullptr;

private:
    struct BaseUnits {
        int x;
        int y;
    };
    static BaseUnits MeasureBaseUnits(wxWindow& window);
    wxRect ToPixels(const ControlTemplate& layout) const;
    wxWindow* Create(const ControlState& control);
    ControlState* StateOf(wxObject* widget);

    void OnButton(wxCommandEvent& event);
    void OnCheckBox(wxCommandEvent& event);
    void OnChoice(wxCommandEvent& event);
    void OnText(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnTimer(wxTimerEvent& event);

    Dialog& dialog_;
    BaseUnits base_;
    std::map<const ControlState*, wxWindow*> widgets_;
    std::map<unsigned, std::unique_ptr<wxTimer>> timers_;
};

}  // namespace platform::ui
