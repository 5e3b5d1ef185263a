#include "platform/ui/dialog.h"

#include "platform/ui/data_exchange.h"
#include "platform/ui/headless_backend.h"
#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

namespace ui = platform::ui;

namespace {

constexpr unsigned kAboutCommand = 16;

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
    std::vector<unsigned> menuCommands;

protected:
    bool OnInitDialog() override
    {
        ui::DialogItem list = GetDlgItem(1040);
        list.AddString(u"50");
        list.AddString(u"60");
        AppendSystemMenuItem(u"&About...", kAboutCommand);
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
    void OnSysCommand(unsigned id) override { menuCommands.push_back(id); }
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

TEST(Dialog, KeysRespectDisabledButtons)
{
    {  // Enter on a focused button presses that button, not the default one
        ui::HeadlessBackend ui;
        FormDialog dialog;
        ui.Click(1011);
        ui.CloseWindow();  // the inner dialog
        ui.PressEnter();   // 1011 again
        ui.PressEscape();  // the inner dialog
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(dialog.commands, (std::vector<int>{1011, 1011, ui::IDCANCEL}));
        EXPECT_EQ(ui.Failure(), "");
    }
    {  // Esc does nothing while the Cancel button is disabled
        ui::HeadlessBackend ui;
        FormDialog dialog;
        ui.Call([](ui::Dialog& d) { d.GetDlgItem(ui::IDCANCEL).EnableWindow(false); });
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::kHeadlessRunFailed);
        EXPECT_NE(ui.Failure().find("Cancel button is disabled"), std::string::npos) << ui.Failure();
        EXPECT_TRUE(dialog.commands.empty());
    }
    {  // a dialog without a default button takes Enter as IDOK
        const ui::DialogTemplate bare{501, 100, 50, ui::kDialogNone, nullptr,
                                      {{ui::ControlKind::Edit, 1020, 5, 5, 50, 12, ui::kStyleNone, nullptr}}};
        ui::HeadlessBackend ui;
        ui::Dialog dialog(bare);
        ui.PressEnter();
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    }
}

TEST(Dialog, DataExchangeFillsControlsAndRefusesNonNumbers)
{
    ui::HeadlessBackend ui;
    FormDialog dialog;
    ui.Call([](ui::Dialog& d) {
        // OnInitDialog's exchange filled the controls from the members
        EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"7");
        EXPECT_EQ(d.GetDlgItem(1030).GetCheck(), 1);
        EXPECT_EQ(d.GetDlgItem(1040).GetCurSel(), 1);
    });
    ui.Type(1020, u"1a2");  // typing keeps the digits only
    ui.Call([](ui::Dialog& d) { EXPECT_EQ(d.GetDlgItem(1020).GetWindowText(), u"12"); });
    ui.Paste(1020, u"12b");  // pasting bypasses the filter, and OK refuses the text
    ui.Click(1010);
    ui.Call([&ui](ui::Dialog&) {
        EXPECT_EQ(ui.FocusedControl(), 1020);
        EXPECT_TRUE(ui.FocusSelectedAll());
    });
    ui.Paste(1020, u" -35 ");
    ui.Click(1030);
    ui.Select(1040, 0);
    ui.Click(1010);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Failure(), "");
    EXPECT_EQ(dialog.number, -35);
    EXPECT_EQ(dialog.checked, 0);
    EXPECT_EQ(dialog.choice, 0);
}

TEST(Dialog, ContextMenuEntryReachesOnSysCommand)
{
    ui::HeadlessBackend ui;
    FormDialog dialog;
    ui.ChooseSystemMenuItem(kAboutCommand);
    ui.PressEscape();
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dialog.menuCommands, (std::vector<unsigned>{kAboutCommand}));
    ASSERT_EQ(dialog.SystemMenuItems().size(), 1u);
    EXPECT_EQ(dialog.SystemMenuItems()[0].text, u"&About...");
}

TEST(Dialog, ScriptFaultsEndTheRunWithTheirReason)
{
    struct Case {
        const char* why;
        std::function<void(ui::HeadlessBackend&)> script;
        const char* failure;
    };
    const Case cases[] = {
        {"a click on a disabled button",
         [](ui::HeadlessBackend& ui) {
             ui.Call([](ui::Dialog& d) { d.GetDlgItem(1010).EnableWindow(false); });
             ui.Click(1010);
         },
         "click 1010 in dialog 500: the control is disabled"},
        {"a hidden control", [](ui::HeadlessBackend& ui) {
             ui.Call([](ui::Dialog& d) { d.GetDlgItem(1020).ShowWindow(false); });
             ui.Type(1020, u"1");
         },
         "the control is not visible"},
        {"a control the dialog lacks", [](ui::HeadlessBackend& ui) { ui.Click(4242); }, "no such control"},
        {"a key in a hidden dialog",
         [](ui::HeadlessBackend& ui) {
             ui.Call([](ui::Dialog& d) { d.ShowWindow(false); });
             ui.PressEnter();
         },
         "which is not visible"},
        {"code asking for a control the dialog lacks",
         [](ui::HeadlessBackend& ui) { ui.Call([](ui::Dialog& d) { d.GetDlgItem(4242).SetWindowText(u"x"); }); },
         "has no window with control 4242"},
        {"an answer where the dialog waits for input",
         [](ui::HeadlessBackend& ui) { ui.AnswerMessageBox(ui::IDOK); }, "a message box answer came"},
        {"a list item that does not exist", [](ui::HeadlessBackend& ui) { ui.Select(1040, 2); }, "no such item"},
        {"a menu entry the dialog did not add",
         [](ui::HeadlessBackend& ui) { ui.ChooseSystemMenuItem(17); }, "menu entry 17 is not offered"},
    };
    for (const Case& c : cases) {
        ui::HeadlessBackend ui;
        FormDialog dialog;
        c.script(ui);
        ui.PressEscape();
        EXPECT_EQ(dialog.DoModal(), ui::kHeadlessRunFailed) << c.why;
        EXPECT_NE(ui.Failure().find(c.failure), std::string::npos) << c.why << ": " << ui.Failure();
    }
}

TEST(Dialog, ClosingTheWindowRunsOnDestroyAndReleasesTheCapture)
{
    struct Busy : ui::Dialog {
        Busy() : Dialog(kForm) {}
        int destroyed = 0;
        bool capturedInDestroy = false;
        bool OnInitDialog() override
        {
            SetCapture();
            SetWaitCursor(true);
            return Dialog::OnInitDialog();
        }
        void OnDestroy() override
        {
            ++destroyed;
            capturedInDestroy = HasCapture();
            SetWaitCursor(false);
        }
    };
    ui::HeadlessBackend ui;
    Busy dialog;
    ui.Call([&ui](ui::Dialog& d) {
        EXPECT_TRUE(d.HasCapture());
        EXPECT_TRUE(ui.WaitCursorShown());
    });
    ui.PressEscape();
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dialog.destroyed, 1);
    EXPECT_TRUE(dialog.capturedInDestroy) << "OnDestroy may release it itself";
    EXPECT_FALSE(dialog.HasCapture());
    EXPECT_FALSE(ui.WaitCursorShown());
    EXPECT_FALSE(dialog.HasWindow());
}
