#pragma once
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"
#include "tests/platform/ui/ico_file.h"

#include <functional>
#include <thread>
#include <vector>

// One control of every kind, the same dialog on either back end. It records what reaches it;
// its Anidado button runs another one above it, which `onNestedInit` prepares.
namespace test_dialog {

namespace ui = platform::ui;

constexpr unsigned kAboutCommand = 16;
constexpr unsigned kBarMessage = ui::WM_USER + 2;

const ui::DialogTemplate kTemplate{500, 300, 150, ui::kDialogNone, u"Demo", {
    {ui::ControlKind::DefaultPushButton, ui::IDOK, 17, 128, 80, 14, ui::kStyleNone, u"Aceptar"},
    {ui::ControlKind::PushButton, ui::IDCANCEL, 105, 128, 80, 14, ui::kStyleNone, u"Cancelar"},
    {ui::ControlKind::PushButton, 1011, 193, 128, 80, 14, ui::kStyleNone, u"Anidado"},
    {ui::ControlKind::GroupBox, 1083, 8, 5, 284, 117, ui::kStyleNone, u"Parámetros de funcionamiento"},
    {ui::ControlKind::Edit, 1020, 16, 25, 119, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, nullptr},
    {ui::ControlKind::StaticRight, 1065, 145, 16, 129, 10, ui::kStyleNone, u"Frecuencia (Hz)"},
    {ui::ControlKind::DropDownList, 1040, 145, 25, 129, 40, ui::kStyleNone, nullptr},
    {ui::ControlKind::StaticCentre, 1096, 16, 41, 119, 10, ui::kStyleNone, u"Fallo de red (V)"},
    {ui::ControlKind::Edit, 1094, 16, 50, 119, 12, ui::kStyleBorder | ui::kStyleDisabled, u"85"},
    {ui::ControlKind::OwnerDrawn, 1089, 145, 50, 140, 13, ui::kStyleBorder, nullptr},
    {ui::ControlKind::DatePicker, 1080, 16, 70, 60, 12, ui::kStyleNone, nullptr},
    {ui::ControlKind::TimePicker, 1081, 82, 70, 53, 12, ui::kStyleNone, nullptr},
    {ui::ControlKind::AutoCheckBox, 1030, 145, 70, 129, 10, ui::kStyleNone, u"Borrar la memoria"},
    {ui::ControlKind::StaticIcon, 1097, 16, 90, 20, 20, ui::kStyleNone, nullptr},
    {ui::ControlKind::StaticLeft, 1093, 45, 96, 104, 8, ui::kStyleNoPrefix, u"Tom & Jerry"},
}};

class TestDialog : public ui::Dialog {
public:
    TestDialog() : Dialog(kTemplate) {}
    ~TestDialog() override { if (worker.joinable()) worker.join(); }
    int number = 230, checked = 0, choice = -1, nestedResult = 0, nestedTicks = 0, paints = 0;
    std::vector<int> commands;
    std::vector<unsigned> menuCommands, timers;
    std::vector<uintptr_t> messages;
    std::thread worker;  // joined when the dialog object goes
    std::function<void(TestDialog&)> onInit, onNestedInit;
    std::function<void(TestDialog&, unsigned)> onTimer;

protected:
    bool OnInitDialog() override
    {
        ui::DialogItem list = GetDlgItem(1040);
        list.SetItemData(list.AddString(u"50"), 50);
        list.SetItemData(list.AddString(u"60"), 60);
        GetDlgItem(1080).SetDateRange(ui::LocalDateTime{2015, 1, 1, 0, 0, 0}, ui::LocalDateTime{2030, 12, 31, 23, 59, 59});
        for (int picker : {1080, 1081})
            GetDlgItem(picker).SetDateTime(ui::LocalDateTime{2026, 12, 6, 21, 30, 5});
        GetDlgItem(1097).SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(32, 0, 120, 215), "demo"));
        GetDlgItem(ui::IDOK).SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(16, 0, 160, 0), "ok"));
        SetIcon(ui::Icon::FromIcoBytes(MakeIcoFile(32, 200, 0, 0), "window"));
        AppendSystemMenuItem(u"&About...", kAboutCommand);
        Dialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return true;
    }
    void DoDataExchange(ui::DataExchange& dx) override
    {
        ui::DDX_Text(dx, 1020, number);
        ui::DDX_Check(dx, 1030, checked);
        ui::DDX_CBIndex(dx, 1040, choice);
    }
    void OnCommand(int id, int notification) override
    {
        commands.push_back(id);
        if (id != 1011)
            return Dialog::OnCommand(id, notification);
        TestDialog nested;
        nested.onInit = onNestedInit;
        nestedResult = nested.DoModal();
        nestedTicks = static_cast<int>(nested.timers.size());
    }
    void OnSysCommand(unsigned id) override { menuCommands.push_back(id); }
    void OnTimer(unsigned id) override
    {
        timers.push_back(id);
        if (onTimer)
            onTimer(*this, id);
    }
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t) override
    {
        if (control != 1089 || message != kBarMessage)
            return;
        messages.push_back(wParam);
        GetDlgItem(1089).Invalidate();
        if (messages.size() == 3)
            EndDialog(ui::IDOK);
    }
    // A bar as long as the last message says (else half), with a text centred over it.
    void OnDrawItem(int, ui::PixelBuffer& picture, const ui::TextPainter& text) override
    {
        ++paints;
        const int filled = messages.empty() ? picture.width / 2 : static_cast<int>(messages.back());
        picture.FillRect(0, 0, filled, picture.height, ui::Rgb{0, 120, 215});
        picture.FillRect(filled, 0, picture.width, picture.height, ui::Rgb{240, 240, 240});
        const ui::TextExtent extent = text.Measure(u"50 %");
        text.Draw(picture, (picture.width - extent.width) / 2, (picture.height - extent.height) / 2, u"50 %", {});
    }
};

}  // namespace test_dialog
