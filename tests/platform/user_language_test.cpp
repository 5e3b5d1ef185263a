#include "platform/user_language.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

uint16_t LangIdFor(const char* all, const char* messages, const char* lang)
{
    for (auto [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}})
        value ? setenv(name, value, 1) : unsetenv(name);
    return platform::UserDefaultLangId();
}

}  // namespace

TEST(UserDefaultLangId, PrimaryLanguageFollowsTheLocalePrecedence)
{
    // Any Spanish country gives the Spanish primary language.
    EXPECT_EQ(LangIdFor(nullptr, nullptr, "es_AR.UTF-8") & 0x3FF, 0x0A);
    EXPECT_EQ(LangIdFor(nullptr, nullptr, "es_ES@euro") & 0x3FF, 0x0A);
    // LC_ALL wins over LC_MESSAGES, which wins over LANG; an empty variable is skipped.
    EXPECT_EQ(LangIdFor("fr_FR.UTF-8", "es_ES.UTF-8", "de_DE.UTF-8") & 0x3FF, 0x0C);
    EXPECT_EQ(LangIdFor("", "es_ES.UTF-8", "de_DE.UTF-8") & 0x3FF, 0x0A);
    EXPECT_EQ(LangIdFor(nullptr, nullptr, "de_DE.UTF-8") & 0x3FF, 0x07);
    // The C locale is English; nothing set at all, too.
    EXPECT_EQ(LangIdFor(nullptr, nullptr, "C.UTF-8") & 0x3FF, 0x09);
    EXPECT_EQ(LangIdFor(nullptr, nullptr, nullptr) & 0x3FF, 0x09);
    // A language without a Windows number is neutral.
    EXPECT_EQ(LangIdFor(nullptr, nullptr, "eo.UTF-8"), 0);
}
