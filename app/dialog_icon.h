#pragma once
#include "foundation/xc_string.h"
#include "platform/ui/icon.h"

// A dialog's icon: the ICO file named (relative to the current directory, the program's
// folder; a backslash separates folders), else the program's built-in icon.
platform::ui::Icon LoadDialogIcon(const XCStringW& fileName);
// The icon that default.xcfg's `icono` names, for a dialog that reads nothing else of the file.
platform::ui::Icon LoadConfiguredDialogIcon();
