#include "app/res/progress_dialog_template.h"

#include "app/resource_ids.h"
#include "platform/ui/ui_constants.h"

using namespace platform::ui;

const DialogTemplate kProgressDialogTemplate = {
    IDD_PROGRESS, 319, 54, kDialogNone, nullptr,
    {
        {ControlKind::StaticLeft, IDC_PROGRESS_MESSAGE, 16, 7, 286, 9, kStyleNone, nullptr},
        {ControlKind::OwnerDrawn, IDC_PROGRESS_BAR, 16, 18, 286, 13, kStyleBorder, nullptr},
        {ControlKind::PushButton, IDCANCEL, 111, 35, 95, 14, kStyleNone, u"Button1"},
    },
};
