#pragma once
#include "platform/ui/dialog_template.h"

// Template 102: the main window.
extern const platform::ui::DialogTemplate kMainDialogTemplate;
