#include "platform/user_language.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

namespace {

struct LanguageId {
    const char* code;  // ISO 639-1
    uint16_t primary;
};

const LanguageId kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"no", 0x14}, {"nb", 0x14}, {"nn", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"rm", 0x17}, {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C},
    {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"uk", 0x22},
    {"be", 0x23}, {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27},
};

const uint16_t kSublanguageDefault = 0x01 << 10;
const uint16_t kEnglish = 0x09;

const char* UserLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && value[0])
            return value;
    }
    return "";
}

}  // namespace

uint16_t UserDefaultLangId()
{
    const std::string locale = UserLocaleName();
    // "es_AR.UTF-8@euro": the language is what comes before '_', '.' or '@'.
    const std::string language = locale.substr(0, locale.find_first_of("_.@"));
    if (language.empty() || language == "C" || language == "POSIX")
        return kSublanguageDefault | kEnglish;
    for (const LanguageId& entry : kLanguages) {
        if (language == entry.code)
            return kSublanguageDefault | entry.primary;
    }
    return 0;
}

}  // namespace platform
