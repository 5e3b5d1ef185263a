#include "app/decimal_text.h"

#include <gtest/gtest.h>

TEST(ParseDecimal, ReadsAsWcstolWithA32BitLongWithoutOverflow)
{
    // Leading space and a sign; reading stops at the first non-digit.
    EXPECT_EQ(ParseDecimal(u" \t\n-12abc"), -12);
    EXPECT_EQ(ParseDecimal(u"+7 8"), 7);
    // No digits at all.
    EXPECT_EQ(ParseDecimal(u""), 0);
    EXPECT_EQ(ParseDecimal(u"- 5"), 0);
    // Out of range gives the limits, however many digits follow.
    EXPECT_EQ(ParseDecimal(u"2147483648"), 2147483647);
    EXPECT_EQ(ParseDecimal(u"-99999999999999999999999"), -2147483647 - 1);
}
