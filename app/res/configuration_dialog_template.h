#pragma once
#include "platform/ui/dialog_template.h"

// Template 130: the configuration dialog.
extern const platform::ui::DialogTemplate kConfigurationDialogTemplate;
