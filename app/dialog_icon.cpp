#include "app/dialog_icon.h"

#include "app/resource_ids.h"
#include "foundation/text_encoding.h"

platform::ui::Icon LoadDialogIcon(const XCStringW& fileName)
{
    XCStringA path;
    WideToUtf8(path, fileName);
    platform::ui::Icon icon = platform::ui::LoadIconFromFile(std::string(path.GetData(), path.GetLength()));
    if (icon.IsEmpty())
        icon = platform::ui::LoadIconResource(IDR_MAINFRAME);
    return icon;
}
