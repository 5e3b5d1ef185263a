#include "app/about_dialog.h"

#include "app/resource_ids.h"
#include "platform/ui/backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/app/app_test_folder.h"

TEST_F(AppTestFolder, AboutBoxFormatsAMissingOrOversizedNameSafely)
{
    for (const std::string& name : {std::string(), std::string(300, 'x')}) {
        // No configuration file, then a name longer than the 256-unit buffer.
        if (!name.empty())
            WriteFile("default.xcfg", "<config><productName>" + name + "</productName></config>");
        Screen screen;
        std::string icon;
        ui_.Call([&](platform::ui::Dialog& dialog) {
            screen = Screen::Of(dialog);
            icon = platform::ui::DialogHost::FindControl(dialog, IDC_ABOUT_ICON)->icon.Origin();
        });
        ui_.Click(platform::ui::IDOK);
        CAboutDlg().DoModal();
        EXPECT_EQ(ui_.Failure(), "");
        const std::u16string shown = name.empty() ? u"" : std::u16string(255, u'x');
        EXPECT_EQ(screen.title, (u"Acerca de " + shown).substr(0, 255));
        EXPECT_EQ(screen.text[IDC_ABOUT_VERSION], (shown + u", versi\u00F3n 1.5").substr(0, 255));
        EXPECT_EQ(icon, "resource 128") << "no icon file named";
    }
}
