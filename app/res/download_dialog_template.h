#pragma once
#include "platform/ui/dialog_template.h"

// Template 131: the download dialog.
extern const platform::ui::DialogTemplate kDownloadDialogTemplate;
