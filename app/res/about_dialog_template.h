#pragma once
#include "platform/ui/dialog_template.h"

// Template 100: the about box.
extern const platform::ui::DialogTemplate kAboutDialogTemplate;
