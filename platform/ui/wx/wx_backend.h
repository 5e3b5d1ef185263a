#pragma once
#include "platform/ui/backend.h"

#include <map>
#include <vector>

class wxWindow;

// Dialogs on wxWidgets windows.
namespace platform::ui {

class DialogWindow;

class WxBackend final : public Backend {
public:
    void RunModal(Dialog& dialog) override;
    void EndModal(Dialog& dialog) override;
    void ControlChanged(Dialog& dialog, ControlState& control) override;
    void TitleChanged(Dialog& dialog) override;
    void IconChanged(Dialog& dialog) override;
    void VisibilityChanged(Dialog& dialog) override;
    void Focus(Dialog& dialog, ControlState& control) override;
    void Invalidate(Dialog& dialog, ControlState& control) override;
    PixelSize ClientSize(Dialog& dialog, const ControlState& control) override;
    void SetTimer(Dialog& dialog, unsigned id, unsigned milliseconds) override;
    void KillTimer(Dialog& dialog, unsigned id) override;
    void QueuePost(const PostedMessage& message) override;
    int MessageBox(const std::u16string& caption, const std::u16string& text, unsigned type) override;
    bool BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path) override;
    Rgb GetSystemColour(SystemColour which) override;
    void ReportMisuse(const std::string& what) override;

    // The innermost open dialog window, or null: the owner of message boxes.
    wxWindow* TopWindow() const;

private:
    DialogWindow* WindowOf(Dialog& dialog) const;

    std::map<const Dialog*, DialogWindow*> windows_;
    std::vector<DialogWindow*> running_;
};

}  // namespace platform::ui
