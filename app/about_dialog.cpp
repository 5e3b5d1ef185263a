#include "app/about_dialog.h"

#include "app/dialog_icon.h"
#include "app/dialog_text.h"
#include "app/res/about_dialog_template.h"
#include "app/resource_ids.h"
#include "foundation/xml_document.h"

namespace {

// The texts are built in a buffer of this many units, terminator included.
const size_t kTextCapacity = 256;

const char16_t kNotice[] = u"Registrador de red el\u00E9ctrica";

// A text cut to what the buffer holds, never splitting a surrogate pair.
std::u16string FitBuffer(std::u16string text)
{
    if (text.size() < kTextCapacity)
        return text;
    text.resize(kTextCapacity - 1);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF)
        text.pop_back();
    return text;
}

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(kAboutDialogTemplate)
{
    XCStringW iconFile;
    XmlDocument configuration;
    if (configuration.LoadDefault() && configuration.GetRoot()) {
        productName_ = configuration.GetRoot()->GetText(u"productName");
        iconFile = configuration.GetRoot()->GetText(u"icono");
    }
    icon_ = LoadDialogIcon(iconFile);
}

bool CAboutDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    GetDlgItem(IDC_ABOUT_ICON).SetIcon(icon_);
    const std::u16string product = ToU16(productName_);
    SetWindowText(FitBuffer(u"Acerca de " + product));
    GetDlgItem(IDC_ABOUT_VERSION).SetWindowText(FitBuffer(product + u", versi\u00F3n 1.5"));
    GetDlgItem(IDC_ABOUT_NOTICE).SetWindowText(kNotice);
    return true;
}
