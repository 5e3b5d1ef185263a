#pragma once
#include "platform/calendar_clock.h"

namespace platform {

// An OLE Automation date (days since 1899-12-30; the fraction, taken without its sign, is the
// time of day) to calendar fields, rounded to the nearest second. False outside the years
// 100 to 9999 and for a value that is not a number.
bool VariantTimeToSystemTime(double variantTime, CalendarFields& fields);

}  // namespace platform
