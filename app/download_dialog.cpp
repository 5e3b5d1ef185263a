#include "app/download_dialog.h"

#include "app/dialog_icon.h"
#include "app/dialog_text.h"
#include "app/download_context.h"
#include "app/download_worker.h"
#include "app/load_language.h"
#include "app/ok_cancel_buttons.h"
#include "app/progress_dialog.h"
#include "app/res/download_dialog_template.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "devicelink/rs_device_connection.h"
#include "foundation/path_utilities.h"
#include "platform/settings_store.h"
#include "platform/tick_clock.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"

#include <thread>

using platform::ui::MB_OK;

namespace {

const char kDownloadPathValue[] = "DownloadPath";
// Units of the buffer a path is read into, terminator included.
const size_t kPathCapacity = 260;
// "logs_" + 8 digits + ".csv": the folder must leave room for it in the path buffer.
const size_t kLogsNameLength = 17;
const char16_t kFolderSeparator = u'/';

bool StoreDownloadPath(const XCStringW& path)
{
    platform::SettingsKey key;
    if (!key.Create(kSettingsKeyPath))
        return false;
    key.SetString(kDownloadPathValue, ToU16(path));
    key.Close();
    return true;
}

}  // namespace

KestrovaneDownloadDlg::KestrovaneDownloadDlg(int port)
    : Dialog(kDownloadDialogTemplate), icon_(LoadConfiguredDialogIcon()), port_(port)
{
}

bool KestrovaneDownloadDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    SetIcon(icon_);
    SetWindowText(TableText(kTextDownloadTitle));
    LabelOkAndCancel(*this);
    GetDlgItem(IDC_DOWNLOAD_BROWSE).SetWindowText(u" ");
    GetDlgItem(IDC_DOWNLOAD_BROWSE).SetIcon(platform::ui::LoadIconResource(IDI_BROWSE));
    GetDlgItem(IDC_DOWNLOAD_GROUP).SetWindowText(TableText(kTextDownload));
    GetDlgItem(IDC_DOWNLOAD_LOGS).SetWindowText(TableText(kTextLogs));
    GetDlgItem(IDC_DOWNLOAD_EVENTS).SetWindowText(TableText(kTextEvents));

    downloadPath_ = XCStringW();
    platform::SettingsKey key;
    if (key.Open(kSettingsKeyPath)) {
        std::u16string stored;
        if (key.QueryString(kDownloadPathValue, kPathCapacity, stored))
            downloadPath_ = FromU16(stored);
        key.Close();
    }
    if (downloadPath_.GetLength() == 0) {
        downloadPath_ = GetModuleDirectory();
        if (!StoreDownloadPath(downloadPath_)) {
            platform::ui::MessageBox(TableText(kTextSettingsKeyNotCreated), MB_OK);
            return false;
        }
    }
    GetDlgItem(IDC_DOWNLOAD_FOLDER).SetWindowText(ToU16(downloadPath_));
    GetDlgItem(IDC_DOWNLOAD_FOLDER).EnableWindow(false);
    GetDlgItem(IDC_DOWNLOAD_LOGS).SetCheck(1);
    GetDlgItem(IDC_DOWNLOAD_EVENTS).SetCheck(1);
    return true;
}

void KestrovaneDownloadDlg::OnCommand(int id, int notification)
{
    if (id == IDC_DOWNLOAD_BROWSE && notification == platform::ui::BN_CLICKED)
        OnBnClickedBrowse();
    else if (id == platform::ui::IDOK && notification == platform::ui::BN_CLICKED)
        OnBnClickedOk();
    else
        Dialog::OnCommand(id, notification);
}

void KestrovaneDownloadDlg::OnBnClickedBrowse()
{
    std::u16string chosen;
    if (!platform::ui::BrowseForFolder(*this, TableText(kTextBrowseTitle), chosen))
        return;
    if (chosen.size() + kLogsNameLength >= kPathCapacity) {
        platform::ui::MessageBox(TableText(kTextFolderTooLong), MB_OK);
        return;
    }
    downloadPath_ = FromU16(chosen + kFolderSeparator);
    GetDlgItem(IDC_DOWNLOAD_FOLDER).SetWindowText(ToU16(downloadPath_));
}

void KestrovaneDownloadDlg::OnBnClickedOk()
{
    const bool logs = GetDlgItem(IDC_DOWNLOAD_LOGS).GetCheck() == 1;
    const bool events = GetDlgItem(IDC_DOWNLOAD_EVENTS).GetCheck() == 1;
    if (!logs && !events) {
        platform::ui::MessageBox(TableText(kTextNothingChosen), MB_OK);
        return;
    }
    XCRSDeviceConnection connection(port_);
    if (!connection.Open()) {
        platform::ui::MessageBox(TableText(kTextPortNotOpened), MB_OK);
        return;
    }
    if (!StoreDownloadPath(downloadPath_))
        platform::ui::MessageBox(TableText(kTextSettingsKeyNotCreated), MB_OK);

    CDlgProgress progress;
    DownloadContext context;
    context.progress = &progress;
    context.connection = &connection;
    context.folder = downloadPath_;
    context.logs = logs;
    context.events = events;
    const std::u16string caption = TableText(kTextProgressCaption);
    const std::u16string message = TableText(kTextDownloading);
    const std::u16string cancelling = TableText(kTextCancelling);
    progress.SetTexts(caption.c_str(), message.c_str(), cancelling.c_str());
    const std::u16string buttonText = TableText(kTextCancel);
    progress.SetButtonText(buttonText.c_str());

    // Nothing waits for the worker: it is done with the context once the progress dialog ends.
    std::thread(DownloadThread, &context).detach();
    progress.DoModal();
    // A modal run that ended without the worker's close command (it failed) leaves the worker
    // holding the context and the port: it is asked to stop, and they stay until it lets go.
    if (!progress.finished) {
        progress.cancelRequested = true;
        while (!progress.finished)
            platform::SleepMilliseconds(1);
    }
    connection.Close();

    if (context.result == DownloadResult::Cancelled)
        return;
    platform::ui::MessageBox(TableText(DownloadResultMessage(context.result)), MB_OK);
    EndDialog(platform::ui::IDOK);
}
