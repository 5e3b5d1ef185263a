#include "platform/ui/message_box.h"

#include "platform/program_folder.h"
#include "platform/ui/backend.h"
#include "platform/ui/text_conversion.h"

namespace platform::ui {

std::u16string ApplicationName()
{
    const std::string path = ExecutablePath();
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return Utf16FromUtf8(name);
}

int MessageBox(const std::u16string& text, unsigned type)
{
    if (!HasBackend())
        return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
    return CurrentBackend().MessageBox(ApplicationName(), text, type);
}

bool BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path)
{
    return HasBackend() && CurrentBackend().BrowseForFolder(owner, title, path);
}

}  // namespace platform::ui
