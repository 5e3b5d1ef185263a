#include "app/res/program_resources.h"

#include "app/res/embedded_icons.h"
#include "app/resource_ids.h"
#include "platform/ui/icon.h"

void RegisterProgramResources()
{
    for (size_t i = 0; i < kEmbeddedIconCount; ++i) {
        const EmbeddedIcon& icon = kEmbeddedIcons[i];
        platform::ui::RegisterIconResource(icon.id, std::vector<unsigned char>(icon.bytes, icon.bytes + icon.size));
    }
}

std::u16string LoadResourceString(int id)
{
    if (id == IDS_ABOUTBOX)
        return u"&Acerca de...";
    return u"";
}
