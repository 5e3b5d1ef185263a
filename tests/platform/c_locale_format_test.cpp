#include "platform/c_locale_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

TEST(FormatCLocale, DecimalPointSurvivesACommaLocale)
{
    ASSERT_NE(std::setlocale(LC_ALL, "es_ES.UTF-8"), nullptr) << "tools/install-dependencies.sh installs it";
    EXPECT_EQ(platform::FormatCLocale("%.2f V, COM%d", 250.0, 7), "250.00 V, COM7");
    char native[16];
    std::snprintf(native, sizeof native, "%.1f", 0.5);
    EXPECT_STREQ(native, "0,5") << "the thread's own locale comes back";
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(platform::FormatCLocale("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
