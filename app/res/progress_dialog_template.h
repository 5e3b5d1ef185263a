#pragma once
#include "platform/ui/dialog_template.h"

// Template 133: the progress dialog.
extern const platform::ui::DialogTemplate kProgressDialogTemplate;
