#include "app/load_language.h"

#include "app/dialog_text.h"
#include "app/text_ids.h"
#include "foundation/string_table_file.h"
#include "platform/settings_store.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"
#include "platform/user_language.h"

const char kSettingsKeyPath[] = "Software\\Orvastel\\Kestrovane";

namespace {

const char kLanguageValue[] = "Language";
// Units of the buffer the stored code is read into, terminator included.
const size_t kLanguageCapacity = 32;

bool LoadTable(const std::u16string& code)
{
    XCStringA fileName;
    fileName.AssignTruncated(FromU16(u"Kestrovane." + code + u".stc"));
    return g_StringTable.Load(fileName.GetData());
}

}  // namespace

bool LoadLanguage()
{
    std::u16string code;
    platform::SettingsKey key;
    if (key.Open(kSettingsKeyPath)) {
        if (!key.QueryString(kLanguageValue, kLanguageCapacity, code))
            code.clear();
        key.Close();
    }
    if (!code.empty())
        return LoadTable(code);

    code = Widen(LanguageCodeFromLangId(platform::UserDefaultLangId()));
    if (code != u"en" && code != u"es")
        code = u"en";
    if (!LoadTable(code))
        return false;
    if (!key.Create(kSettingsKeyPath)) {
        platform::ui::MessageBox(TableText(kTextSettingsKeyNotCreated), platform::ui::MB_OK);
        return false;
    }
    key.SetString(kLanguageValue, code);
    key.Close();
    return true;
}
