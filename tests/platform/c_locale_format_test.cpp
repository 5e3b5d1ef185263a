#include "platform/c_locale_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

TEST(FormatCLocale, DecimalPointSurvivesACommaLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    ASSERT_NE(std::setlocale(LC_ALL, "es_ES.UTF-8"), nullptr) << "tools/install-dependencies.sh installs it";
    char native[32];
    std::snprintf(native, sizeof native, "%.2f", 2.95);
    EXPECT_STREQ(native, "2,95") << "the locale is really in force";
    EXPECT_EQ(platform::FormatCLocale("%.2f", 2.95), "2.95");
    EXPECT_EQ(platform::FormatCLocale("%.2f V, COM%d, %u", 250.0, 7, 2147483648u), "250.00 V, COM7, 2147483648");
    std::snprintf(native, sizeof native, "%.1f", 0.5);
    EXPECT_STREQ(native, "0,5") << "the thread's own locale comes back afterwards";
    std::setlocale(LC_ALL, saved.c_str());
    // Longer than any first guess of a buffer.
    EXPECT_EQ(platform::FormatCLocale("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
