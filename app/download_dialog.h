#pragma once
#include "foundation/xc_string.h"
#include "platform/ui/dialog.h"

// Chooses what to download (logs, events or both) and the folder, then downloads the recorder's
// memory on a worker thread behind the progress dialog and reports the outcome. It closes after
// a download that ended, and stays open after a cancel so that the user can start again.
class KestrovaneDownloadDlg : public platform::ui::Dialog {
public:
    explicit KestrovaneDownloadDlg(int port);

    void OnBnClickedBrowse();
    void OnBnClickedOk();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;

private:
    platform::ui::Icon icon_;
    int port_;
    XCStringW downloadPath_;  // ends in a separator once set
};
