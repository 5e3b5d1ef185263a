#include "app/dialog_icon.h"

#include "app/resource_ids.h"
#include "foundation/file_system_path.h"

platform::ui::Icon LoadDialogIcon(const XCStringW& fileName)
{
    platform::ui::Icon icon = platform::ui::LoadIconFromFile(FileSystemPath(fileName));
    if (icon.IsEmpty())
        icon = platform::ui::LoadIconResource(IDR_MAINFRAME);
    return icon;
}
