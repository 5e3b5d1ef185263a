#include "app/res/download_dialog_template.h"

#include "app/resource_ids.h"
#include "platform/ui/ui_constants.h"

using namespace platform::ui;

const DialogTemplate kDownloadDialogTemplate = {
    IDD_DOWNLOAD, 267, 92, kDialogNone, u"Download",
    {
        {ControlKind::GroupBox, IDC_DOWNLOAD_GROUP, 9, 4, 248, 62, kStyleNone, u"Download"},
        {ControlKind::AutoCheckBox, IDC_DOWNLOAD_LOGS, 19, 17, 202, 9, kStyleNone, u"Logs"},
        {ControlKind::AutoCheckBox, IDC_DOWNLOAD_EVENTS, 19, 31, 202, 9, kStyleNone, u"Events"},
        {ControlKind::Edit, IDC_DOWNLOAD_FOLDER, 18, 47, 202, 12, kStyleBorder, nullptr},
        {ControlKind::PushButton, IDC_DOWNLOAD_BROWSE, 229, 47, 18, 12, kStyleNone, u"..."},
        {ControlKind::DefaultPushButton, IDOK, 29, 71, 102, 14, kStyleNone, u"OK"},
        {ControlKind::PushButton, IDCANCEL, 135, 71, 102, 14, kStyleNone, u"Cancel"},
    },
};
