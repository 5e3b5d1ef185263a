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
    130, 290, 192, ui::kDialogNone, u"Demo",
    {
        {ui::ControlKind::DefaultPushButton, ui::IDOK, 17, 168, 125, 14, ui::kStyleNone, u"Aceptar"},
        {ui::ControlKind::PushButton, ui::IDCANCEL, 146, 168, 125, 14, ui::kStyleNone, u"Cancelar"},
        {ui::ControlKind::GroupBox, 1083, 8, 5, 275, 157, ui::kStyleNone, u"Parámetros de funcionamiento"},
        {ui::ControlKind::StaticLeft, 1064, 16, 16, 119, 10, ui::kStyleNone, u"Tensión nominal (V)"},
        {ui::ControlKind::StaticLeft, 1065, 145, 16, 129, 10, ui::kStyleNone, u"Frecuencia (Hz)"},
        {ui::ControlKind::DropDownList, 1078, 145, 25, 129, 12, ui::kStyleNone, nullptr},
        {ui::ControlKind::StaticLeft, 1066, 16, 41, 119, 10, ui::kStyleNone, u"Umbral alto (V)"},
        {ui::ControlKind::Edit, 1073, 16, 50, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"253"},
        {ui::ControlKind::StaticLeft, 1068, 145, 41, 129, 10, ui::kStyleNone, u"Desviación de frecuencia (%)"},
        {ui::ControlKind::Edit, 1074, 145, 50, 129, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"5"},
        {ui::ControlKind::StaticLeft, 1067, 16, 66, 119, 10, ui::kStyleNone, u"Umbral bajo (V)"},
        {ui::ControlKind::Edit, 1072, 16, 76, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"207"},
        {ui::ControlKind::StaticLeft, 1096, 145, 66, 129, 10, ui::kStyleNone, u"Fallo de red (V)"},
        {ui::ControlKind::Edit, 1094, 145, 76, 129, 12, ui::kStyleBorder | ui::kStyleDisabled, u"85"},
        {ui::ControlKind::StaticLeft, 1070, 16, 91, 119, 10, ui::kStyleNone, u"Tiempo entre registros (s)"},
        {ui::ControlKind::Edit, 1077, 16, 101, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"600"},
        {ui::ControlKind::OwnerDrawn, 1089, 145, 101, 129, 13, ui::kStyleBorder, nullptr},
        {ui::ControlKind::AutoCheckBox, 1071, 145, 129, 129, 8, ui::kStyleNone, u"Borrar la memoria"},
        {ui::ControlKind::StaticLeft, 1079, 16, 121, 68, 10, ui::kStyleNone, u"Fecha y hora"},
        {ui::ControlKind::DatePicker, 1080, 16, 131, 60, 9, ui::kStyleNone, nullptr},
        {ui::ControlKind::TimePicker, 1081, 82, 131, 53, 9, ui::kStyleNone, nullptr},
        {ui::ControlKind::AutoCheckBox, 1082, 16, 144, 116, 10, ui::kStyleNone, u"Enviar la hora del PC"},
        {ui::ControlKind::StaticIcon, 1097, 145, 140, 20, 20, ui::kStyleNone, nullptr},
        {ui::ControlKind::StaticLeft, 1093, 170, 146, 104, 8, ui::kStyleNoPrefix, u"Tom & Jerry"},
        {ui::ControlKind::Edit, 1076, 16, 25, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, u"230"},
    }};

class DemoDialog : public ui::Dialog {
public:
    DemoDialog() : Dialog(kDemo) {}
    std::u16string voltage = u"230";
    int reset = 0;
    int frequency = -1;
    ui::PixelSize barSize;
    int paints = 0;

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
        return Dialog::OnInitDialog();
    }
    void DoDataExchange(ui::DataExchange& dx) override
    {
        ui::DDX_Text(dx, 1076, voltage);
        ui::DDX_Check(dx, 1071, reset);
        ui::DDX_CBIndex(dx, 1078, frequency);
    }
    void OnDrawItem(int control, ui::PixelBuffer& picture, const ui::TextPainter& text) override
    {
        if (control != 1089)
            return;
        ++paints;
        const int filled = picture.width / 2;
        picture.FillRect(0, 0, filled, picture.height, ui::Rgb{0, 120, 215});
        picture.FillRect(filled, 0, picture.width, picture.height, ui::Rgb{240, 240, 240});
        const ui::TextExtent extent = text.Measure(u"50 %");
        text.Draw(picture, (picture.width - extent.width) / 2, (picture.height - extent.height) / 2, u"50 %",
                  ui::Rgb{0, 0, 0});
    }
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
        // 290 x 192 dialog units in pixels of the dialog font's base units
        const wxSize client = window->GetClientSize();
        EXPECT_GT(client.x, 290);
        EXPECT_GT(client.y, 192);
        auto* voltage = FindChild<wxTextCtrl>(window, [](wxTextCtrl* t) { return t->GetValue() == "230"; });
        ASSERT_NE(voltage, nullptr);
        voltage->SetValue("231");  // as typed: the change reaches the dialog
        auto* reset = FindChild<wxCheckBox>(window, [](wxCheckBox* c) { return c->GetLabel() == "Borrar la memoria"; });
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
        auto* ok = FindChild<wxButton>(window, [](wxButton* b) { return b->GetLabel() == "Aceptar"; });
        ASSERT_NE(ok, nullptr);
        Send(ok, wxEVT_BUTTON);
    });
    later.Add(20000, [&] { dialog.EndDialog(-2); });  // a safety net: the test fails, it does not hang
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(dialog.voltage, u"231");
    EXPECT_EQ(dialog.reset, 1);
    EXPECT_EQ(dialog.frequency, 1);
    EXPECT_GT(dialog.barSize.width, 129) << "owner-drawn control sized from dialog units";
    EXPECT_GT(dialog.paints, 0);
}

TEST(WxBackend, EnterPressesTheDefaultButtonAndEscCancels)
{
    {  // Enter in an edit: the default button
        DemoDialog dialog;
        Later later;
        later.Add(200, [] {
            wxDialog* window = OpenDialogTitled("Demo");
            ASSERT_NE(window, nullptr);
            FindChild<wxTextCtrl>(window)->SetFocus();
            PressKey(window, WXK_RETURN);
        });
        later.Add(20000, [&] { dialog.EndDialog(-2); });
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    }
    {  // Esc is ignored while Cancel is disabled, then cancels
        DemoDialog dialog;
        Later later;
        later.Add(200, [&] {
            wxDialog* window = OpenDialogTitled("Demo");
            ASSERT_NE(window, nullptr);
            dialog.GetDlgItem(ui::IDCANCEL).EnableWindow(false);
            PressKey(window, WXK_ESCAPE);
            EXPECT_TRUE(dialog.HasWindow());
            dialog.GetDlgItem(ui::IDCANCEL).EnableWindow(true);
            window->Close();  // the close box
        });
        later.Add(20000, [&] { dialog.EndDialog(-2); });
        EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    }
}

namespace {

const ui::DialogTemplate kNest{
    140, 160, 40, ui::kDialogNone, u"Nest",
    {
        {ui::ControlKind::PushButton, 1011, 10, 10, 60, 14, ui::kStyleNone, u"Nested"},
        {ui::ControlKind::StaticLeft, 1012, 80, 12, 70, 8, ui::kStyleNone, nullptr},
    }};

// Its inner instance starts a timer and a worker that posts the close command.
class NestDialog : public ui::Dialog {
public:
    explicit NestDialog(bool inner) : Dialog(kNest), inner_(inner) {}
    int innerResult = 0;
    int ticks = 0;
    ui::WindowRef innerWindow;

protected:
    bool OnInitDialog() override
    {
        if (inner_) {
            SetWindowText(u"Inner");
            SetTimer(7, 20);
            const ui::WindowRef self = GetWindowRef();
            worker_ = std::thread([self] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                ui::Post(self, ui::WM_COMMAND, ui::MakeCommandParam(ui::IDOK, ui::BN_CLICKED), 0);
            });
        }
        return Dialog::OnInitDialog();
    }
    void OnTimer(unsigned id) override
    {
        if (id == 7)
            ++ticks;
    }
    void OnCommand(int id, int notification) override
    {
        if (id != 1011)
            return Dialog::OnCommand(id, notification);
        NestDialog inner(true);
        innerResult = inner.DoModal();
        inner.worker_.join();
        ticks = inner.ticks;
        innerWindow = inner.GetWindowRef();
    }

private:
    bool inner_;
    std::thread worker_;
};

}  // namespace

TEST(WxBackend, WorkerPostEndsANestedLoopWithTimersRunning)
{
    NestDialog outer(false);
    Later later;
    ui::WindowRef innerRef;
    later.Add(200, [] {
        wxDialog* window = OpenDialogTitled("Nest");
        ASSERT_NE(window, nullptr);
        Send(FindChild<wxButton>(window), wxEVT_BUTTON);  // returns when the inner dialog has ended
        PressKey(window, WXK_ESCAPE);
    });
    later.Add(20000, [&] { outer.EndDialog(-2); });
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(outer.innerResult, ui::IDOK);
    EXPECT_GT(outer.ticks, 2) << "20 ms timer during 300 ms";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return ui::RunWxApplication(argc, argv, [] { return RUN_ALL_TESTS(); });
}
