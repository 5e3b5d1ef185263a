#include "app/ok_cancel_buttons.h"

#include "app/dialog_text.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "platform/ui/icon.h"
#include "platform/ui/ui_constants.h"

void LabelOkAndCancel(platform::ui::Dialog& dialog)
{
    dialog.GetDlgItem(platform::ui::IDOK).SetWindowText(TableText(kTextOk));
    dialog.GetDlgItem(platform::ui::IDOK).SetIcon(platform::ui::LoadIconResource(IDI_OK));
    dialog.GetDlgItem(platform::ui::IDCANCEL).SetWindowText(TableText(kTextCancel));
    dialog.GetDlgItem(platform::ui::IDCANCEL).SetIcon(platform::ui::LoadIconResource(IDI_CANCEL));
}
