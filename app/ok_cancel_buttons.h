#pragma once
#include "platform/ui/dialog.h"

// A dialog's OK and Cancel buttons with the language's texts and their icons.
void LabelOkAndCancel(platform::ui::Dialog& dialog);
