#pragma once
#include "foundation/xc_string.h"
#include "platform/ui/dialog.h"

// The about box: product name and version, with texts built into the program.
class CAboutDlg : public platform::ui::Dialog {
public:
    CAboutDlg();

protected:
    bool OnInitDialog() override;

private:
    XCStringW productName_;
    platform::ui::Icon icon_;
};
