#include "platform/ui/wx/wx_backend.h"

#include "platform/ui/wx/dialog_window.h"
#include "platform/ui/wx/wx_text.h"

#include <wx/app.h>
#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstdio>

namespace platform::ui {

DialogWindow* WxBackend::WindowOf(Dialog& dialog) const
{
    auto found = windows_.find(&dialog);
    return found == windows_.end() ? nullptr : found->second;
}

wxWindow* WxBackend::TopWindow() const
{
    return running_.empty() ? nullptr : running_.back();
}

void WxBackend::RunModal(Dialog& dialog)
{
    // Disabling the windows below takes their keyboard focus away; it goes back afterwards.
    const wxWeakRef<wxWindow> focused = wxWindow::FindFocus();
    auto* window = new DialogWindow(TopWindow(), dialog);
    windows_[&dialog] = window;
    running_.push_back(window);
    DialogHost::Initialise(dialog);
    if (!DialogHost::Ended(dialog)) {
        if (window->GetParent())
            window->CentreOnParent();
        else
            window->Centre();
        wxWindowDisabler others(window);
        if (!DialogHost::ShowingDeferred(dialog)) {
            DialogHost::SetVisible(dialog, true);
            window->Show();
        }
        wxGUIEventLoop loop;
        window->loop = &loop;
        loop.Run();
        window->loop = nullptr;
    }
    DialogHost::Destroyed(dialog);
    window->StopTimers();
    window->Hide();
    running_.erase(std::find(running_.begin(), running_.end(), window));
    windows_.erase(&dialog);
    window->Destroy();
    if (focused)
        focused->SetFocus();
}

void WxBackend::EndModal(Dialog& dialog)
{
    DialogWindow* window = WindowOf(dialog);
    // An outer loop ends once the loops above it have.
    if (window && window->loop)
        window->loop->ScheduleExit(0);
}

void WxBackend::ControlChanged(Dialog& dialog, ControlState& control)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->Apply(control);
}

void WxBackend::TitleChanged(Dialog& dialog)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->ApplyTitle();
}

void WxBackend::IconChanged(Dialog& dialog)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->ApplyIcon();
}

void WxBackend::VisibilityChanged(Dialog& dialog)
{
    if (DialogWindow* window = WindowOf(dialog)) {
        window->Show(dialog.IsWindowVisible());
        if (dialog.IsWindowVisible())
            window->Update();
    }
}

void WxBackend::Focus(Dialog& dialog, ControlState& control)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->FocusAndSelectAll(control);
}

void WxBackend::Invalidate(Dialog& dialog, ControlState& control)
{
    if (DialogWindow* window = WindowOf(dialog))
        if (wxWindow* widget = window->Widget(control))
            widget->Refresh(false);
}

PixelSize WxBackend::ClientSize(Dialog& dialog, const ControlState& control)
{
    DialogWindow* window = WindowOf(dialog);
    wxWindow* widget = window ? window->Widget(control) : nullptr;
    if (!widget)
        return PixelSize{};
    const wxSize size = widget->GetClientSize();
    return PixelSize{size.x, size.y};
}

void WxBackend::SetTimer(Dialog& dialog, unsigned id, unsigned milliseconds)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->StartTimer(id, milliseconds);
}

void WxBackend::KillTimer(Dialog& dialog, unsigned id)
{
    if (DialogWindow* window = WindowOf(dialog))
        window->StopTimer(id);
}

void WxBackend::QueuePost(const PostedMessage& message)
{
    // Queued to the user-interface thread's event loop; never waits for it.
    wxTheApp->CallAfter([message] { DialogHost::Deliver(message); });
}

int WxBackend::MessageBox(const std::u16string& caption, const std::u16string& text, unsigned type)
{
    const bool yesNo = (type & 0x0F) == MB_YESNO;
    long style = yesNo ? wxYES_NO : wxOK;
    if ((type & 0xF0) == MB_ICONEXCLAMATION || !yesNo)
        style |= wxICON_WARNING;
    else
        style |= wxICON_QUESTION;
    wxMessageDialog box(TopWindow(), ToWx(text), ToWx(caption), style);
    const int answer = box.ShowModal();
    if (!yesNo)
        return IDOK;
    return answer == wxID_YES ? IDYES : IDNO;
}

bool WxBackend::BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path)
{
    wxDirDialog browser(WindowOf(owner), ToWx(title), wxString(), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (browser.ShowModal() != wxID_OK)
        return false;
    path = FromWx(browser.GetPath());
    return true;
}

Rgb WxBackend::GetSystemColour(SystemColour which)
{
    const wxColour colour =
        wxSystemSettings::GetColour(which == SystemColour::ButtonFace ? wxSYS_COLOUR_BTNFACE : wxSYS_COLOUR_HIGHLIGHT);
    return Rgb{colour.Red(), colour.Green(), colour.Blue()};
}

void WxBackend::ReportMisuse(const std::string& what)
{
    std::fprintf(stderr, "dialog framework: %s\n", what.c_str());
}

}  // namespace platform::ui
