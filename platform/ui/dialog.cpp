#include "platform/ui/dialog.h"

#include "platform/ui/backend.h"
#include "platform/ui/data_exchange.h"

#include <algorithm>
#include <string>

namespace platform::ui {

Dialog::Dialog(const DialogTemplate& layout) : layout_(layout)
{
    if (layout.title)
        title_ = layout.title;
}

Dialog::~Dialog() = default;

int Dialog::DoModal()
{
    if (window_ != 0 || !HasBackend())
        return -1;
    controls_.clear();
    for (const ControlTemplate& control : layout_.controls) {
        ControlState state;
        state.layout = control;
        if (control.text)
            state.text = control.text;
        state.enabled = (control.style & kStyleDisabled) == 0;
        controls_.push_back(std::move(state));
    }
    ended_ = false;
    visible_ = false;
    result_ = -1;
    CurrentBackend().RunModal(*this);
    return result_;
}

void Dialog::EndDialog(int result)
{
    if (window_ == 0 || ended_)
        return;
    ended_ = true;
    result_ = result;
    CurrentBackend().EndModal(*this);
}

WindowRef Dialog::GetWindowRef() const
{
    return WindowRef{window_, 0};
}

ControlState* Dialog::FindControl(int id)
{
    auto found = std::find_if(controls_.begin(), controls_.end(),
                              [id](const ControlState& c) { return c.layout.id == id; });
    return found == controls_.end() ? nullptr : &*found;
}

DialogItem Dialog::GetDlgItem(int id)
{
    ControlState* control = window_ != 0 ? FindControl(id) : nullptr;
    if (!control && HasBackend())
        CurrentBackend().ReportMisuse("dialog " + std::to_string(layout_.id) + " has no window with control " +
                                      std::to_string(id));
    return DialogItem(this, control);
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::SetWindowText(const std::u16string& title)
{
    title_ = title;
    if (window_ != 0)
        CurrentBackend().TitleChanged(*this);
}

std::u16string Dialog::GetWindowText() const
{
    return title_;
}

void Dialog::SetIcon(const Icon& icon)
{
    icon_ = icon;
    if (window_ != 0)
        CurrentBackend().IconChanged(*this);
}

void Dialog::ShowWindow(bool show)
{
    deferShowing_ = false;
    if (window_ == 0 || visible_ == show)
        return;
    visible_ = show;
    CurrentBackend().VisibilityChanged(*this);
}

unsigned Dialog::SetTimer(unsigned id, unsigned milliseconds)
{
    if (window_ == 0)
        return 0;
    CurrentBackend().SetTimer(*this, id, milliseconds);
    return id;
}

void Dialog::KillTimer(unsigned id)
{
    if (window_ != 0)
        CurrentBackend().KillTimer(*this, id);
}

void Dialog::AppendSystemMenuItem(const std::u16string& text, unsigned commandId)
{
    menuItems_.push_back(MenuItem{text, commandId});
}

bool Dialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void Dialog::OnCommand(int id, int notification)
{
    if (notification != BN_CLICKED)
        return;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::OnTimer(unsigned) {}

void Dialog::OnMessage(int, unsigned, uintptr_t, intptr_t) {}

void Dialog::OnSysCommand(unsigned) {}

void Dialog::OnDrawItem(int, PixelBuffer&, const TextPainter&) {}

void Dialog::OnDestroy() {}

void Dialog::DoDataExchange(DataExchange&) {}

// DialogItem: every operation on a missing control does nothing.

WindowRef DialogItem::GetWindowRef() const
{
    if (!control_)
        return WindowRef{};
    return WindowRef{dialog_->GetWindowRef().window, control_->layout.id};
}

void DialogItem::Changed()
{
    if (dialog_->HasWindow())
        CurrentBackend().ControlChanged(*dialog_, *control_);
}

void DialogItem::SetWindowText(const std::u16string& text) { Update(&ControlState::text, text); }

std::u16string DialogItem::GetWindowText() const
{
    return control_ ? control_->text : std::u16string();
}

void DialogItem::EnableWindow(bool enable) { Update(&ControlState::enabled, enable); }

bool DialogItem::IsWindowEnabled() const
{
    return control_ && control_->enabled;
}

void DialogItem::ShowWindow(bool show) { Update(&ControlState::visible, show); }

bool DialogItem::IsWindowVisible() const
{
    return control_ && control_->visible && dialog_->IsWindowVisible();
}

void DialogItem::SetFocusAndSelectAll()
{
    if (control_ && dialog_->HasWindow())
        CurrentBackend().Focus(*dialog_, *control_);
}

void DialogItem::SetCheck(int state) { Update(&ControlState::check, state); }

int DialogItem::GetCheck() const
{
    return control_ ? control_->check : 0;
}

void DialogItem::ResetContent()
{
    if (!control_)
        return;
    control_->items.clear();
    control_->selection = -1;
    Changed();
}

int DialogItem::AddString(const std::u16string& text)
{
    if (!control_)
        return -1;
    control_->items.push_back(ControlState::Item{text, 0});
    Changed();
    return static_cast<int>(control_->items.size()) - 1;
}

void DialogItem::SetItemData(int index, intptr_t data)
{
    if (control_ && index >= 0 && index < GetCount())
        control_->items[static_cast<size_t>(index)].data = data;
}

intptr_t DialogItem::GetItemData(int index) const
{
    if (!control_ || index < 0 || index >= GetCount())
        return 0;
    return control_->items[static_cast<size_t>(index)].data;
}

int DialogItem::GetCount() const
{
    return control_ ? static_cast<int>(control_->items.size()) : 0;
}

void DialogItem::SetCurSel(int index)
{
    if (!control_)
        return;
    control_->selection = index >= 0 && index < GetCount() ? index : -1;
    Changed();
}

int DialogItem::GetCurSel() const
{
    return control_ ? control_->selection : -1;
}

void DialogItem::SetDateTime(const LocalDateTime& value)
{
    if (control_)
        Update(&ControlState::dateTime, std::clamp(value, control_->earliest, control_->latest));
}

void DialogItem::SetDateRange(const LocalDateTime& earliest, const LocalDateTime& latest)
{
    if (!control_)
        return;
    control_->earliest = earliest;
    control_->latest = latest;
    SetDateTime(control_->dateTime);
}

LocalDateTime DialogItem::GetDateTime() const
{
    return control_ ? control_->dateTime : LocalDateTime{};
}

void DialogItem::SetIcon(const Icon& icon) { Update(&ControlState::icon, icon); }

void DialogItem::Invalidate()
{
    if (control_ && dialog_->HasWindow())
        CurrentBackend().Invalidate(*dialog_, *control_);
}

PixelSize DialogItem::GetClientSize() const
{
    if (!control_ || !dialog_->HasWindow())
        return PixelSize{};
    return CurrentBackend().ClientSize(*dialog_, *control_);
}

}  // namespace platform::ui
