#include "app/about_dialog.h"

#include "app/res/about_dialog_template.h"
#include "app/resource_ids.h"
#include "platform/ui/backend.h"
#include "platform/ui/ui_constants.h"
#include "tests/app/app_test_folder.h"

using platform::ui::Dialog;

namespace {

class AboutBox : public AppTestFolder {
protected:
    Screen Show()
    {
        Screen screen;
        ui_.Call([&screen, this](Dialog& dialog) {
            screen = Screen::Of(dialog, 0);
            icon_ = platform::ui::DialogHost::FindControl(dialog, IDC_ABOUT_ICON)->icon;
        });
        ui_.Click(platform::ui::IDOK);
        CAboutDlg about;
        about.DoModal();
        EXPECT_EQ(ui_.Failure(), "");
        return screen;
    }
    platform::ui::Icon icon_;
};

}  // namespace

TEST_F(AboutBox, NamesTheProductWithAmpersandsAsTheyStand)
{
    WriteFile("default.xcfg", "<config><productName>Volt &amp; Co</productName></config>");
    const Screen screen = Show();
    EXPECT_EQ(screen.title, u"Acerca de Volt & Co");
    EXPECT_EQ(screen.text.at(IDC_ABOUT_VERSION), u"Volt & Co, versi\u00F3n 1.5");
    EXPECT_FALSE(screen.text.at(IDC_ABOUT_NOTICE).empty());
    EXPECT_EQ(screen.text.at(platform::ui::IDOK), u"Aceptar");
    // The version line shows '&' itself rather than underlining the next letter.
    for (const platform::ui::ControlTemplate& control : kAboutDialogTemplate.controls) {
        if (control.id == IDC_ABOUT_VERSION) {
            EXPECT_TRUE(control.style & platform::ui::kStyleNoPrefix);
        }
    }
    EXPECT_EQ(icon_.Origin(), "resource 128") << "no icon file named";
}

TEST_F(AboutBox, MissingOrOversizedNameStillFormatsSafely)
{
    // No configuration file: an empty product name.
    Screen screen = Show();
    EXPECT_EQ(screen.title, u"Acerca de ");
    EXPECT_EQ(screen.text.at(IDC_ABOUT_VERSION), u", versi\u00F3n 1.5");
    // A name longer than the 256-unit buffer is cut to 255 units.
    WriteFile("default.xcfg", "<config><productName>" + std::string(300, 'x') + "</productName></config>");
    screen = Show();
    EXPECT_EQ(screen.title, u"Acerca de " + std::u16string(245, u'x'));
    EXPECT_EQ(screen.text.at(IDC_ABOUT_VERSION), std::u16string(255, u'x'));
}
