#include "app/dialog_icon.h"

#include "app/resource_ids.h"
#include "foundation/file_system_path.h"
#include "foundation/xml_document.h"

#include <algorithm>
#include <string>

platform::ui::Icon LoadDialogIcon(const XCStringW& fileName)
{
    // Files written on other systems may separate folders with a backslash.
    std::string path = FileSystemPath(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    platform::ui::Icon icon = platform::ui::LoadIconFromFile(path);
    if (icon.IsEmpty())
        icon = platform::ui::LoadIconResource(IDR_MAINFRAME);
    return icon;
}

platform::ui::Icon LoadConfiguredDialogIcon()
{
    XCStringW iconFile;
    XmlDocument configuration;
    if (configuration.LoadDefault() && configuration.GetRoot())
        iconFile = configuration.GetRoot()->GetText(u"icono");
    return LoadDialogIcon(iconFile);
}
