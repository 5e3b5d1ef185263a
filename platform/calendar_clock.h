#pragma once
#include <cstdint>

namespace platform {

// A broken-down calendar time: full year, month 1-12, day 1-31, hour, minute, second.
struct CalendarFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The system clock, in seconds since 1970-01-01 00:00:00 UTC, read through SystemClock().
int64_t CurrentUnixTime();
// Where the current time comes from, so that tests can stand at a moment of their choosing
// (and put RealSystemClock back afterwards).
using ClockCall = int64_t (*)();
ClockCall& SystemClock();
int64_t RealSystemClock();

// Each returns false when the C library cannot represent the result.
bool BreakDownUtc(int64_t unixTime, CalendarFields& utc);
// In the process's local zone (TZ), read afresh at every call.
bool BreakDownLocal(int64_t unixTime, CalendarFields& local);
// Fields out of range are carried over, as the C library does.
bool UnixTimeFromUtc(const CalendarFields& utc, int64_t& unixTime);
// The C library decides whether daylight saving time applies to the local time.
bool UnixTimeFromLocal(const CalendarFields& local, int64_t& unixTime);
// A UTC time to the local time in force; false for a field outside the Gregorian calendar.
bool UtcToLocal(const CalendarFields& utc, CalendarFields& local);

}  // namespace platform
