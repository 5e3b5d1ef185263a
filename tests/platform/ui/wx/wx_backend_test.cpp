#include "platform/ui/wx/wx_application.h"
#include "tests/platform/ui/test_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <cstdio>
#include <memory>
#include <tuple>

using test_dialog::TestDialog;
namespace ui = platform::ui;

namespace {

// Runs each step on the user-interface thread after its delay, from within whatever loop runs.
struct Later {
    std::vector<std::unique_ptr<wxTimer>> timers;
    void Add(int milliseconds, std::function<void()> step)
    {
        timers.push_back(std::make_unique<wxTimer>());
        timers.back()->Bind(wxEVT_TIMER, [step](wxTimerEvent&) { step(); });
        timers.back()->StartOnce(milliseconds);
    }
};

wxDialog* OpenDialogTitled(const wxString& title)
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->IsShown() && dialog->GetTitle() == title)
            return dialog;
    return nullptr;
}

template <class Widget>
Widget* FindChild(wxWindow* parent, std::function<bool(Widget*)> match = nullptr)
{
    for (wxWindow* child : parent->GetChildren())
        if (auto* widget = dynamic_cast<Widget*>(child); widget && (!match || match(widget)))
            return widget;
    return nullptr;
}

// As the widget reports a change: `value` is the new check state or selection.
void Send(wxWindow* widget, wxEventType type, int value = 0)
{
    wxCommandEvent event(type, widget->GetId());
    event.SetEventObject(widget);
    event.SetInt(value);
    widget->GetEventHandler()->ProcessEvent(event);
}

void PressKey(wxWindow* window, int key)
{
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

TEST(WxBackend, DemoDialogRunsInTheUsersLocaleAndNestedLoopsEndByPostEscOrCloseBox)
{
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", 250.0);
    EXPECT_STREQ(number, "250.00") << "numbers keep the decimal point";
    TestDialog dialog;
    Later later;
    later.Add(300, [&] {
        wxDialog* window = OpenDialogTitled("Demo");
        ASSERT_NE(window, nullptr);
        // 300 x 150 dialog units in pixels of the dialog font's base units
        const wxSize client = window->GetClientSize();
        EXPECT_TRUE(client.x > 300 && client.y > 150) << client.x << " x " << client.y;
        auto* voltage = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "230"; });
        auto* date = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "06/12/2026"; });
        auto* time = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "21:30:05"; });
        auto* reset = FindChild<wxCheckBox>(window);
        auto* list = FindChild<wxChoice>(window);
        ASSERT_TRUE(voltage && date && time && reset && list) << "the short date in the user's order, with the century";
        voltage->SetValue("231");  // as typed: the change reaches the dialog
        reset->SetValue(true);
        Send(reset, wxEVT_CHECKBOX, 1);
        list->SetSelection(1);
        Send(list, wxEVT_CHOICE, 1);
        // The pickers take a typed date or time only when it is one within their range; two-digit years are
        // this century's. Each row: the field, the text typed, and the date or time the picker then holds.
        const std::tuple<wxTextCtrl*, const char*, int> typed[] = {
            {date, "01/01/2031", 20261206}, {date, "31/02/2028", 20261206}, {date, "29/02/28", 20280229},
            {time, "24:00:00", 213005}, {time, "23:59:58", 235958}};
        for (auto [field, text, expected] : typed) {
            field->SetValue(text);
            const ui::LocalDateTime t = dialog.GetDlgItem(field == date ? 1080 : 1081).GetDateTime();
            const int held[] = {(t.year * 100 + t.month) * 100 + t.day, (t.hour * 100 + t.minute) * 100 + t.second};
            EXPECT_EQ(held[field == time], expected) << text;
        }
        auto* label = FindChild<wxStaticText>(window, [](wxStaticText* s) { return s->GetLabelText() == "Tom & Jerry"; });
        EXPECT_NE(label, nullptr) << "no prefix: the ampersand shows as it stands";
        EXPECT_FALSE(window->GetIcons().IsEmpty()) << "the image handlers read the ICO bytes";
        EXPECT_GT(dialog.GetDlgItem(1089).GetClientSize().width, 140) << "owner-drawn control sized from dialog units";
        voltage->SetFocus();
        PressKey(window, WXK_RETURN);  // Enter in an edit: the default button
    });
    later.Add(20000, [&] { dialog.EndDialog(-2); });  // a safety net: the test fails, it does not hang
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(std::tuple(dialog.number, dialog.checked, dialog.choice), std::tuple(231, 1, 1));
    EXPECT_GT(dialog.paints, 0);

    TestDialog outer;
    // The nested dialog's timer ticks until its worker posts OK 300 ms later.
    outer.onNestedInit = [](TestDialog& nested) {
        nested.SetTimer(7, 20);
        nested.worker = std::thread([self = nested.GetWindowRef()] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ui::Post(self, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
        });
    };
    later.Add(200, [&] {
        wxDialog* window = OpenDialogTitled("Demo");
        ASSERT_NE(window, nullptr);
        Send(FindChild<wxButton>(window, [](wxButton* b) { return b->GetLabel() == "Anidado"; }), wxEVT_BUTTON);
        // Back from the nested dialog: Esc is ignored while Cancel is disabled; then the close box.
        outer.GetDlgItem(ui::IDCANCEL).EnableWindow(false);
        PressKey(window, WXK_ESCAPE);
        EXPECT_TRUE(outer.HasWindow());
        outer.GetDlgItem(ui::IDCANCEL).EnableWindow(true);
        window->Close();
    });
    later.Add(20000, [&] { outer.EndDialog(-2); });
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(outer.nestedResult, ui::IDOK);
    EXPECT_GT(outer.nestedTicks, 2) << "20 ms timer during 300 ms";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return ui::RunWxApplication(argc, argv, [] { return RUN_ALL_TESTS(); });
}
