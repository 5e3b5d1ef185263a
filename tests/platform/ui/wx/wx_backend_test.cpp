#include "platform/ui/wx/wx_application.h"
#include "tests/platform/ui/test_dialog.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

using test_dialog::TestDialog;
namespace ui = platform::ui;

namespace {

// Runs `step` on the user-interface thread after `milliseconds`, from within whatever loop runs.
class Later {
public:
    void Add(int milliseconds, std::function<void()> step)
    {
        auto timer = std::make_unique<wxTimer>();
        timer->Bind(wxEVT_TIMER, [step](wxTimerEvent&) { step(); });
        timer->StartOnce(milliseconds);
        timers_.push_back(std::move(timer));
    }

private:
    std::vector<std::unique_ptr<wxTimer>> timers_;
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

template <class Widget>
void Send(Widget* widget, wxEventType type)
{
    wxCommandEvent event(type, widget->GetId());
    event.SetEventObject(widget);
    if (type == wxEVT_CHECKBOX)
        event.SetInt(static_cast<wxCheckBox*>(static_cast<wxWindow*>(widget))->GetValue() ? 1 : 0);
    if (type == wxEVT_CHOICE)
        event.SetInt(static_cast<wxChoice*>(static_cast<wxWindow*>(widget))->GetSelection());
    widget->GetEventHandler()->ProcessEvent(event);
}

void PressKey(wxWindow* window, int key)
{
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

bool SaveScreenshot(wxWindow* window, const std::string& path)
{
    const wxRect rect = window->GetScreenRect();
    wxBitmap picture(rect.GetSize(), 24);
    wxMemoryDC memory(picture);
    wxScreenDC screen;
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    memory.SelectObject(wxNullBitmap);
    return picture.SaveFile(path, wxBITMAP_TYPE_PNG);
}

}  // namespace

TEST(WxBackend, NumbersKeepTheDecimalPointInAUserLocale)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", 250.0);
    EXPECT_STREQ(text, "250.00");
    const std::string timeLocale = std::setlocale(LC_TIME, nullptr);
    EXPECT_EQ(timeLocale.rfind("es_ES", 0), 0u) << "dates keep the user's format: " << timeLocale;
}

TEST(WxBackend, DemoDialogRunsFromItsTemplate)
{
    TestDialog dialog;
    Later later;
    wxDialog* window = nullptr;
    later.Add(300, [&] {
        window = OpenDialogTitled("Demo");
        ASSERT_NE(window, nullptr);
        // 300 x 150 dialog units in pixels of the dialog font's base units
        const wxSize client = window->GetClientSize();
        EXPECT_GT(client.x, 300);
        EXPECT_GT(client.y, 150);
        auto* voltage = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "230"; });
        ASSERT_NE(voltage, nullptr);
        voltage->SetValue("231");  // as typed: the change reaches the dialog
        auto* reset = FindChild<wxCheckBox>(window);
        ASSERT_NE(reset, nullptr);
        reset->SetValue(true);
        Send(reset, wxEVT_CHECKBOX);
        auto* list = FindChild<wxChoice>(window);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->GetCount(), 2u);
        list->SetSelection(1);
        Send(list, wxEVT_CHOICE);
        // The pickers take a typed date or time only when it is one within their range; two-digit
        // years are this century's.
        auto* date = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "06/12/2026"; });
        ASSERT_NE(date, nullptr) << "the short date in the user's order, with the century";
        date->SetValue("01/01/2031");
        EXPECT_EQ(dialog.GetDlgItem(1080).GetDateTime().year, 2026);
        date->SetValue("31/02/2028");
        EXPECT_EQ(dialog.GetDlgItem(1080).GetDateTime().day, 6);
        date->SetValue("29/02/28");
        const ui::LocalDateTime leapDay = dialog.GetDlgItem(1080).GetDateTime();
        EXPECT_EQ(leapDay.year * 10000 + leapDay.month * 100 + leapDay.day, 20280229);
        auto* time = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "21:30:05"; });
        ASSERT_NE(time, nullptr);
        time->SetValue("24:00:00");
        EXPECT_EQ(dialog.GetDlgItem(1081).GetDateTime().hour, 21);
        time->SetValue("23:59:58");
        EXPECT_EQ(dialog.GetDlgItem(1081).GetDateTime().second, 58);
        auto* label = FindChild<wxStaticText>(window, [](wxStaticText* s) { return s->GetLabelText() == "Tom & Jerry"; });
        EXPECT_NE(label, nullptr) << "no prefix: the ampersand shows as it stands";
    });
    later.Add(900, [&] {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(SaveScreenshot(window, "wx-demo-dialog.png"));
        FindChild<wxTextCtrl>(window)->SetFocus();
        PressKey(window, WXK_RETURN);  // Enter in an edit: the default button
    });
    later.Add(20000, [&] { dialog.EndDialog(-2); });  // a safety net: the test fails, it does not hang
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(dialog.number, 231);
    EXPECT_EQ(dialog.checked, 1);
    EXPECT_EQ(dialog.choice, 1);
    EXPECT_GT(dialog.barSize.width, 140) << "owner-drawn control sized from dialog units";
    EXPECT_GT(dialog.paints, 0);
}

TEST(WxBackend, WorkerPostEndsANestedLoopAndEscCancelsOnlyWhenItMay)
{
    TestDialog outer;
    // The nested dialog's timer ticks until its worker posts OK 300 ms later.
    outer.onNestedInit = [](TestDialog& nested) {
        nested.SetTimer(7, 20);
        nested.worker = std::thread([self = nested.GetWindowRef()] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ui::Post(self, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
        });
    };
    Later later;
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
