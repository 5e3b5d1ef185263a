#include "platform/variant_time.h"

#include <cmath>
#include <cstdint>

namespace platform {

namespace {

constexpr double kFirstDay = -657434.0;  // 100-01-01
constexpr double kLastDay = 2958465.0;   // 9999-12-31
constexpr int64_t kDaysFrom1970 = 25569; // 1899-12-30 to 1970-01-01

// Proleptic Gregorian date of a day count from 1970-01-01.
void CivilFromDays(int64_t days, CalendarFields& fields)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    fields.year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    fields.month = static_cast<int>(month);
    fields.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
}

}  // namespace

bool VariantTimeToSystemTime(double variantTime, CalendarFields& fields)
{
    if (!(variantTime > kFirstDay - 1.0 && variantTime < kLastDay + 1.0)) {
        return false;
    }
    const double dayPart = std::trunc(variantTime);
    int64_t day = static_cast<int64_t>(dayPart);
    int64_t secondOfDay = std::llround(std::fabs(variantTime - dayPart) * 86400.0);
    if (secondOfDay >= 86400) {
        secondOfDay -= 86400;
        ++day;
    }
    CalendarFields result;
    CivilFromDays(day - kDaysFrom1970, result);
    if (result.year > 9999) {
        return false;
    }
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    fields = result;
    return true;
}

}  // namespace platform
