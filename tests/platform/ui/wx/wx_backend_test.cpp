#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/wx/wx_application.h"

#include "../ico_file.h"

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

const ui::DialogTemplate kDemo{
    130, 290, 150, ui::kDialogNone, u"Demo",
    {
        {ui::ControlKind::DefaultPushButton, ui::IDOK, 17, 128, 80, 14, ui::kStyleNone, u"Aceptar"},
        {ui::ControlKind::PushButton, ui::IDCANCEL, 105, 128, 80, 14, ui::kStyleNone, u"Cancelar"},
        {ui::ControlKind::PushButton, 1011, 193, 128, 80, 14, ui::kStyleNone, u"Anidado"},
        {ui::ControlKind::GroupBox, 1083, 8, 5, 275, 117, ui::kStyleNone, u"Parámetros de funcionamiento"},
        {ui::ControlKind::StaticLeft, 1064, 16, 16, 119, 10, ui::kStyleNone, u"Tensión nominal (V)"},
        {ui::ControlKind::Edit, 1076, 16, 25, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"230"},
        {ui::ControlKind::StaticRight, 1065, 145, 16, 129, 10, ui::kStyleNone, u"Frecuencia (Hz)"},
        {ui::ControlKind::DropDownList, 1078, 145, 25, 129, 40, ui::kStyleNone, nullptr},
        {ui::ControlKind::StaticCentre, 1096, 16, 41, 119, 10, ui::kStyleNone, u"Fallo de red (V)"},
        {ui::ControlKind::Edit, 1094, 16, 50, 119, 12, ui::kStyleBorder | ui::kStyleDisabled, u"85"},
        {ui::ControlKind::OwnerDrawn, 1089, 145, 50, 129, 13, ui::kStyleBorder, nullptr},
        {ui::ControlKind::DatePicker, 1080, 16, 70, 60, 12, ui::kStyleNone, nullptr},
        {ui::ControlKind::TimePicker, 1081, 82, 70, 53, 12, ui::kStyleNone, nullptr},
        {ui::ControlKind::AutoCheckBox, 1071, 145, 70, 129, 10, ui::kStyleNone, u"Borrar la memoria"},
        {ui::ControlKind::StaticIcon, 1097, 16, 90, 20, 20, ui::kStyleNone, nullptr},
        {ui::ControlKind::StaticLeft, 1093, 45, 96, 104, 8, ui::kStyleNoPrefix, u"Tom & Jerry"},
    }};

// Every kind of control; its Anidado button runs an inner demo whose timer ticks and whose
// worker posts OK after 300 ms.
class DemoDialog : public ui::Dialog {
public:
    explicit DemoDialog(bool inner = false) : Dialog(kDemo), inner_(inner) {}
    ~DemoDialog() override
    {
        if (worker_.joinable())
            worker_.join();
    }
    std::u16string voltage = u"230";
    int reset = 0, frequency = -1, paints = 0, ticks = 0, innerResult = 0, innerTicks = 0;
    ui::PixelSize barSize;

protected:
    bool OnInitDialog() override
    {
        ui::DialogItem list = GetDlgItem(1078);
        list.SetItemData(list.AddString(u"50"), 50);
        list.SetItemData(list.AddString(u"60"), 60);
        GetDlgItem(1080).SetDateTime(ui::LocalDateTime{2026, 12, 6, 21, 30, 5});
        GetDlgItem(1081).SetDateTime(ui::LocalDateTime{2026, 12, 6, 21, 30, 5});
        GetDlgItem(1097).SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(32, 0, 120, 215), "demo"));
        GetDlgItem(ui::IDOK).SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(16, 0, 160, 0), "ok"));
        SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(32, 200, 0, 0), "window"));
        barSize = GetDlgItem(1089).GetClientSize();
        if (inner_) {
            SetTimer(7, 20);
            worker_ = std::thread([self = GetWindowRef()] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                ui::Post(self, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
            });
        }
        return Dialog::OnInitDialog();
    }
    void DoDataExchange(ui::DataExchange& dx) override
    {
        ui::DDX_Text(dx, 1076, voltage);
        ui::DDX_Check(dx, 1071, reset);
        ui::DDX_CBIndex(dx, 1078, frequency);
    }
    void OnCommand(int id, int notification) override
    {
        if (id != 1011)
            return Dialog::OnCommand(id, notification);
        DemoDialog inner(true);
        innerResult = inner.DoModal();
        innerTicks = inner.ticks;
    }
    void OnTimer(unsigned id) override { ticks += id == 7; }
    void OnDrawItem(int, ui::PixelBuffer& picture, const ui::TextPainter& text) override
    {
        ++paints;
        picture.FillRect(0, 0, picture.width / 2, picture.height, ui::Rgb{0, 120, 215});
        picture.FillRect(picture.width / 2, 0, picture.width, picture.height, ui::Rgb{240, 240, 240});
        const ui::TextExtent extent = text.Measure(u"50 %");
        text.Draw(picture, (picture.width - extent.width) / 2, (picture.height - extent.height) / 2, u"50 %",
                  ui::Rgb{0, 0, 0});
    }

private:
    bool inner_;
    std::thread worker_;
};

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
    DemoDialog dialog;
    Later later;
    wxDialog* window = nullptr;
    later.Add(300, [&] {
        window = OpenDialogTitled("Demo");
        ASSERT_NE(window, nullptr);
        // 290 x 150 dialog units in pixels of the dialog font's base units
        const wxSize client = window->GetClientSize();
        EXPECT_GT(client.x, 290);
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
        // The pickers take a typed date or time only when it is one.
        auto* date = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "06/12/2026"; });
        ASSERT_NE(date, nullptr) << "the short date in the user's order, with the century";
        date->SetValue("31/02/2028");
        EXPECT_EQ(dialog.GetDlgItem(1080).GetDateTime().day, 6);
        date->SetValue("29/02/2028");
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
    EXPECT_EQ(dialog.voltage, u"231");
    EXPECT_EQ(dialog.reset, 1);
    EXPECT_EQ(dialog.frequency, 1);
    EXPECT_GT(dialog.barSize.width, 129) << "owner-drawn control sized from dialog units";
    EXPECT_GT(dialog.paints, 0);
}

TEST(WxBackend, WorkerPostEndsANestedLoopAndEscCancelsOnlyWhenItMay)
{
    DemoDialog outer;
    Later later;
    later.Add(200, [&] {
        wxDialog* window = OpenDialogTitled("Demo");
        ASSERT_NE(window, nullptr);
        Send(FindChild<wxButton>(window, [](wxButton* b) { return b->GetLabel() == "Anidado"; }), wxEVT_BUTTON);
        // Back from the inner dialog: Esc is ignored while Cancel is disabled; then the close box.
        outer.GetDlgItem(ui::IDCANCEL).EnableWindow(false);
        PressKey(window, WXK_ESCAPE);
        EXPECT_TRUE(outer.HasWindow());
        outer.GetDlgItem(ui::IDCANCEL).EnableWindow(true);
        window->Close();
    });
    later.Add(20000, [&] { outer.EndDialog(-2); });
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(outer.innerResult, ui::IDOK);
    EXPECT_GT(outer.innerTicks, 2) << "20 ms timer during 300 ms";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return ui::RunWxApplication(argc, argv, [] { return RUN_ALL_TESTS(); });
}
