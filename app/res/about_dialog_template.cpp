#include "app/res/about_dialog_template.h"

#include "app/resource_ids.h"
#include "platform/ui/ui_constants.h"

using namespace platform::ui;

const DialogTemplate kAboutDialogTemplate = {
    IDD_ABOUTBOX, 170, 62, kDialogNone, u"Acerca de Kestrovane",
    {
        {ControlKind::StaticIcon, IDC_ABOUT_ICON, 14, 14, 20, 20, kStyleNone, nullptr},
        {ControlKind::StaticLeft, IDC_ABOUT_VERSION, 42, 14, 114, 8, kStyleNoPrefix, u"Kestrovane, versi\u00F3n 1.5"},
        {ControlKind::StaticLeft, IDC_ABOUT_NOTICE, 42, 26, 114, 8, kStyleNone, nullptr},
        {ControlKind::DefaultPushButton, IDOK, 113, 41, 50, 14, kStyleNone, u"Aceptar"},
    },
};
