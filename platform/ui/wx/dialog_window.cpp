#include "platform/ui/wx/dialog_window.h"

#include "platform/ui/wx/date_time_field.h"
#include "platform/ui/wx/wx_text.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dateevt.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace platform::ui {
namespace {

// GTK's themes give entries and buttons a minimum height above what the dialogs' layouts allow;
// wxWidgets styles a widget with CSS only from within its window classes.
struct CssAccess : wxWindow {
    static void Apply(wxWindow& window, const char* css)
    {
        void (wxWindow::*apply)(const char*) = &CssAccess::GTKApplyCssStyle;
        (window.*apply)(css);
    }
};

void MakeCompact(wxWindow& window)
{
    CssAccess::Apply(window, "* { min-height: 0; padding-top: 1px; padding-bottom: 1px; }");
    for (wxWindow* child : window.GetChildren())
        MakeCompact(*child);
}


class OwnerDrawnControl : public wxWindow {
public:
    OwnerDrawnControl(DialogWindow* parent, int id, const wxRect& rect, long style)
        : wxWindow(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(), style | wxFULL_REPAINT_ON_RESIZE),
          dialog_(parent->Owner()),
          id_(id)
    {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, &OwnerDrawnControl::OnPaint, this);
    }

private:
    void OnPaint(wxPaintEvent&)
    {
        wxPaintDC dc(this);
        const wxSize size = GetClientSize();
        if (size.x <= 0 || size.y <= 0)
            return;
        PixelBuffer picture(size.x, size.y);
        DialogHost::DrawItem(dialog_, id_, picture, WxTextPainter(GetFont()));
        // Composed off screen, copied in one transfer.
        wxImage image(size.x, size.y, false);
        unsigned char* rgb = image.GetData();
        for (int y = 0; y < size.y; ++y)
            for (int x = 0; x < size.x; ++x, rgb += 3) {
                const Rgb pixel = picture.Get(x, y);
                rgb[0] = pixel.red, rgb[1] = pixel.green, rgb[2] = pixel.blue;
            }
        dc.DrawBitmap(wxBitmap(image), 0, 0);
    }

    Dialog& dialog_;
    int id_;
};

}  // namespace

DialogWindow::DialogWindow(wxWindow* parent, Dialog& dialog)
    : wxDialog(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                   ((dialog.Layout().style & kDialogMinimizeBox) ? wxMINIMIZE_BOX : 0)),
      dialog_(dialog)
{
    SetFont(DialogFont());
    base_ = MeasureBaseUnits(*this);
    SetClientSize(ToPixels(ControlTemplate{ControlKind::StaticLeft, 0, 0, 0, dialog.Layout().cx, dialog.Layout().cy,
                                           kStyleNone, nullptr})
                      .GetSize());
    for (ControlState& control : DialogHost::Controls(dialog)) {
        wxWindow* widget = Create(control);
        widgets_[&control] = widget;
        Apply(control);
    }
    ApplyTitle();
    ApplyIcon();
    Bind(wxEVT_BUTTON, &DialogWindow::OnButton, this);
    Bind(wxEVT_CHECKBOX, &DialogWindow::OnCheckBox, this);
    Bind(wxEVT_CHOICE, &DialogWindow::OnChoice, this);
    Bind(wxEVT_TEXT, &DialogWindow::OnText, this);
    Bind(wxEVT_CHAR_HOOK, &DialogWindow::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &DialogWindow::OnClose, this);
    Bind(wxEVT_CONTEXT_MENU, &DialogWindow::OnContextMenu, this);
    Bind(wxEVT_TIMER, &DialogWindow::OnTimer, this);
}

DialogWindow::~DialogWindow()
{
    StopTimers();
}

DialogWindow::BaseUnits DialogWindow::MeasureBaseUnits(wxWindow& window)
{
    // The average width of the 52 letters and the line height, as the dialog manager measures them.
    static const BaseUnits measured = [&window] {
        int width = 0, height = 0;
        window.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width, &height);
        return BaseUnits{(width / 26 + 1) / 2, height};
    }();
    return measured;
}

wxRect DialogWindow::ToPixels(const ControlTemplate& layout) const
{
    auto horizontal = [this](int units) { return (units * base_.x + 2) / 4; };
    auto vertical = [this](int units) { return (units * base_.y + 4) / 8; };
    return wxRect(horizontal(layout.x), vertical(layout.y), horizontal(layout.cx), vertical(layout.cy));
}

wxWindow* DialogWindow::Create(const ControlState& control)
{
    const ControlTemplate& layout = control.layout;
    const wxRect rect = ToPixels(layout);
    const wxPoint at = rect.GetPosition();
    const wxSize size = rect.GetSize();
    switch (layout.kind) {
    case ControlKind::StaticLeft:
        return new wxStaticText(this, wxID_ANY, wxString(), at, size, wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    case ControlKind::StaticCentre:
        return new wxStaticText(this, wxID_ANY, wxString(), at, size, wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    case ControlKind::StaticRight:
        return new wxStaticText(this, wxID_ANY, wxString(), at, size, wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
    case ControlKind::GroupBox:
        return new wxStaticBox(this, wxID_ANY, wxString(), at, size);
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = new wxButton(this, wxID_ANY, wxString(), at, size);
        MakeCompact(*button);
        if (layout.kind == ControlKind::DefaultPushButton)
            button->SetDefault();
        return button;
    }
    case ControlKind::AutoCheckBox: {
        // At least its natural height, centred on the template's row, so the box is never cut.
        auto* box = new wxCheckBox(this, wxID_ANY, wxString(), at, size);
        const int height = std::max(size.y, box->GetBestSize().y);
        box->SetSize(at.x, at.y + (size.y - height) / 2, size.x, height);
        return box;
    }
    case ControlKind::Edit: {
        auto* edit = new wxTextCtrl(this, wxID_ANY, wxString(), at, size,
                                    (layout.style & kStyleBorder) ? wxBORDER_DEFAULT : wxBORDER_NONE);
        MakeCompact(*edit);
        if (layout.style & kStyleDigitsOnly)
            edit->Bind(wxEVT_CHAR, [](wxKeyEvent& event) {
                const int key = event.GetUnicodeKey();
                // Typed characters other than digits are refused; keys, shortcuts and pasting pass.
                if (key == WXK_NONE || key < WXK_SPACE || key == WXK_DELETE || event.HasAnyModifiers() ||
                    (key >= '0' && key <= '9'))
                    event.Skip();
            });
        return edit;
    }
    case ControlKind::DropDownList: {
        // The template's height includes the list; the closed control takes its natural height.
        auto* list = new wxChoice(this, wxID_ANY, at, wxSize(size.x, -1));
        MakeCompact(*list);
        return list;
    }
    case ControlKind::DatePicker:
    case ControlKind::TimePicker: {
        auto* field = new DateTimeField(
            this, layout.kind == ControlKind::DatePicker ? DateTimeField::Kind::Date : DateTimeField::Kind::Time, at, size);
        MakeCompact(*field);
        field->Bind(wxEVT_KILL_FOCUS, [field, &control](wxFocusEvent& event) {
            field->Show(control.dateTime);  // drops a text that is not a date or time
            event.Skip();
        });
        return field;
    }
    case ControlKind::OwnerDrawn:
        return new OwnerDrawnControl(this, layout.id, rect, (layout.style & kStyleBorder) ? wxBORDER_SUNKEN : wxBORDER_NONE);
    case ControlKind::StaticIcon:
        return new wxStaticBitmap(this, wxID_ANY, wxNullBitmap, at, size);
    }
    return nullptr;
}

wxWindow* DialogWindow::Widget(const ControlState& control) const
{
    auto found = widgets_.find(&control);
    return found == widgets_.end() ? nullptr : found->second;
}

ControlState* DialogWindow::StateOf(wxObject* widget)
{
    for (auto& [state, window] : widgets_)
        if (window == widget)
            return const_cast<ControlState*>(state);
    return nullptr;
}

void DialogWindow::Apply(const ControlState& control)
{
    wxWindow* widget = Widget(control);
    if (!widget)
        return;
    const wxString text = ToWx(control.text);
    switch (control.layout.kind) {
    case ControlKind::StaticLeft:
    case ControlKind::StaticCentre:
    case ControlKind::StaticRight:
        if (control.layout.style & kStyleNoPrefix)
            static_cast<wxStaticText*>(widget)->SetLabelText(text);
        else
            widget->SetLabel(text);
        break;
    case ControlKind::GroupBox:
    case ControlKind::AutoCheckBox:
        widget->SetLabel(text);
        if (auto* box = dynamic_cast<wxCheckBox*>(widget))
            box->SetValue(control.check == 1);
        break;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = static_cast<wxButton*>(widget);
        button->SetLabel(text);
        const wxIconBundle icons = ToIconBundle(control.icon);
        if (!icons.IsEmpty())
            button->SetBitmap(icons.GetIconByIndex(0), wxLEFT);  // the image at its own size
        break;
    }
    case ControlKind::Edit: {
        auto* edit = static_cast<wxTextCtrl*>(widget);
        if (edit->GetValue() != text)
            edit->ChangeValue(text);
        break;
    }
    case ControlKind::DropDownList: {
        auto* list = static_cast<wxChoice*>(widget);
        const unsigned shown = list->GetCount();
        // Items are only ever added at the end or all removed: one more item is appended alone,
        // so that filling a long list stays linear.
        const bool oneAdded = control.items.size() == shown + 1 &&
                              (shown == 0 || list->GetString(shown - 1) == ToWx(control.items[shown - 1].text));
        bool same = !oneAdded && shown == control.items.size();
        for (unsigned i = 0; same && i < shown; ++i)
            same = list->GetString(i) == ToWx(control.items[i].text);
        if (oneAdded) {
            list->Append(ToWx(control.items[shown].text));
        } else if (!same) {
            wxArrayString items;
            for (const ControlState::Item& item : control.items)
                items.Add(ToWx(item.text));
            list->Set(items);
        }
        list->SetSelection(control.selection >= 0 ? control.selection : wxNOT_FOUND);
        break;
    }
    case ControlKind::DatePicker:
    case ControlKind::TimePicker: {
        auto* field = static_cast<DateTimeField*>(widget);
        field->SetRange(control.earliest, control.latest);
        field->Show(control.dateTime);
        break;
    }
    case ControlKind::OwnerDrawn:
        widget->Refresh(false);
        break;
    case ControlKind::StaticIcon: {
        const wxIconBundle icons = ToIconBundle(control.icon);
        static_cast<wxStaticBitmap*>(widget)->SetIcon(
            icons.IsEmpty() ? wxNullIcon : icons.GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NEAREST_LARGER));
        break;
    }
    }
    widget->Enable(control.enabled);
    widget->Show(control.visible);
}

void DialogWindow::ApplyTitle()
{
    SetTitle(ToWx(DialogHost::Title(dialog_)));
}

void DialogWindow::ApplyIcon()
{
    SetIcons(ToIconBundle(dialog_.GetIcon()));
}

void DialogWindow::FocusAndSelectAll(const ControlState& control)
{
    wxWindow* widget = Widget(control);
    if (!widget)
        return;
    widget->SetFocus();
    if (auto* edit = dynamic_cast<wxTextCtrl*>(widget)) {
        edit->SelectAll();
        edit->ShowPosition(edit->GetLastPosition());
    }
}

void DialogWindow::StartTimer(unsigned id, unsigned milliseconds)
{
    auto& timer = timers_[id];
    if (!timer)
        timer = std::make_unique<wxTimer>(this, static_cast<int>(id));
    timer->Start(static_cast<int>(milliseconds), wxTIMER_CONTINUOUS);
}

void DialogWindow::StopTimer(unsigned id)
{
    auto found = timers_.find(id);
    if (found != timers_.end())
        found->second->Stop();
}

void DialogWindow::StopTimers()
{
    for (auto& [id, timer] : timers_)
        timer->Stop();
}

void DialogWindow::OnButton(wxCommandEvent& event)
{
    ControlState* control = StateOf(event.GetEventObject());
    if (!control)
        return event.Skip();
    DialogHost::Command(dialog_, control->layout.id, BN_CLICKED);
}

void DialogWindow::OnCheckBox(wxCommandEvent& event)
{
    ControlState* control = StateOf(event.GetEventObject());
    if (!control)
        return event.Skip();
    control->check = event.IsChecked() ? 1 : 0;
    DialogHost::Command(dialog_, control->layout.id, BN_CLICKED);
}

void DialogWindow::OnChoice(wxCommandEvent& event)
{
    ControlState* control = StateOf(event.GetEventObject());
    if (!control)
        return event.Skip();
    control->selection = event.GetSelection();
    DialogHost::Command(dialog_, control->layout.id, CBN_SELCHANGE);
}

void DialogWindow::OnText(wxCommandEvent& event)
{
    ControlState* control = StateOf(event.GetEventObject());
    if (!control)
        return event.Skip();
    if (control->layout.kind == ControlKind::Edit)
        control->text = FromWx(event.GetString());
    else if (control->layout.kind == ControlKind::DatePicker || control->layout.kind == ControlKind::TimePicker)
        static_cast<DateTimeField*>(Widget(*control))->Parse(control->dateTime);
}

void DialogWindow::OnCharHook(wxKeyEvent& event)
{
    if (event.HasAnyModifiers())
        return event.Skip();
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        DialogHost::PressEscape(dialog_);
        return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: {
        int focused = 0;
        for (wxWindow* window = FindFocus(); window && window != this && focused == 0; window = window->GetParent())
            if (ControlState* control = StateOf(window))
                focused = control->layout.id;
        DialogHost::PressEnter(dialog_, focused);
        return;
    }
    default:
        event.Skip();
    }
}

void DialogWindow::OnClose(wxCloseEvent& event)
{
    // The close box is Esc; the dialog decides whether it ends.
    if (event.CanVeto())
        event.Veto();
    DialogHost::PressEscape(dialog_);
}

void DialogWindow::OnContextMenu(wxContextMenuEvent& event)
{
    const auto& entries = dialog_.SystemMenuItems();
    if (event.GetEventObject() != this || entries.empty())
        return event.Skip();
    wxMenu menu;
    for (size_t i = 0; i < entries.size(); ++i)
        menu.Append(wxID_HIGHEST + 1 + static_cast<int>(i), ToWx(entries[i].text));
    const int chosen = GetPopupMenuSelectionFromUser(menu) - wxID_HIGHEST - 1;
    if (chosen >= 0 && chosen < static_cast<int>(entries.size()))
        DialogHost::SysCommand(dialog_, entries[static_cast<size_t>(chosen)].commandId);
}

void DialogWindow::OnTimer(wxTimerEvent& event)
{
    DialogHost::Timer(dialog_, static_cast<unsigned>(event.GetId()));
}

}  // namespace platform::ui
