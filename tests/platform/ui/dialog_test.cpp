#include "platform/ui/dialog.h"

#include "platform/ui/data_exchange.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

namespace ui = platform::ui;

namespace {

const ui::DialogTemplate kForm{
    500, 200, 100, ui::kDialogNone, u"Form",
    {
        {ui::ControlKind::DefaultPushButton, 1010, 10, 80, 50, 14, ui::kStyleNone, u"Apply"},
        {ui::ControlKind::PushButton, ui::IDCANCEL, 70, 80, 50, 14, ui::kStyleNone, u"Cancel"},
        {ui::ControlKind::PushButton, 1011, 130, 80, 50, 14, ui::kStyleNone, u"Nested"},
        {ui::ControlKind::Edit, 1020, 10, 10, 60, 12, ui::kStyleBorder | ui::kStyleDigitsOnly, nullptr},
        {ui::ControlKind::AutoCheckBox, 1030, 10, 30, 60, 10, ui::kStyleNone, u"Check"},
        {ui::ControlKind::DropDownList, 1040, 10, 50, 60, 40, ui::kStyleNone, nullptr},
    }};

class FormDialog : public ui::Dialog {
public:
    FormDialog() : Dialog(kForm) {}
    int number = 7;
    int checked = 1;
    int choice = 1;
    int nestedResult = 0;
    std::vector<int> commands;

protected:
    bool OnInitDialog() override
    {
        ui::DialogItem list = GetDlgItem(1040);
        list.AddString(u"50");
        list.AddString(u"60");
        return Dialog::OnInitDialog();
    }
    void OnCommand(int id, int notification) override
    {
        commands.push_back(id);
        if (id == 1010)
            OnOK();
        else if (id == 1011)
            nestedResult = FormDialog().DoModal();
        else
            Dialog::OnCommand(id, notification);
    }
    void DoDataExchange(ui::DataExchange& dx) override
    {
        ui::DDX_Text(dx, 1020, number);
        ui::DDX_Check(dx, 1030, checked);
        ui::DDX_CBIndex(dx, 1040, choice);
    }
};

}  // namespace

TEST(Dialog, EnterPressesDefaultButtonAndEscCancelsInNestedLoops)
{
    ui::HeadlessBackend ui;
    FormDialog outer;
    ui.Click(1011);     // opens a second dialog above the first
    ui.PressEscape();   // closes the inner one only
    ui.Type(1020, u"42");
    ui.PressEnter();    // from the edit: the default button, Apply, which ends the dialog with IDOK
    EXPECT_EQ(outer.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(outer.nestedResult, ui::IDCANCEL);
    EXPECT_EQ(outer.commands, (std::vector<int>{1011, 1010}));
    EXPECT_EQ(outer.number, 42);
}
