#include "platform/calendar_clock.h"

#include <cerrno>
#include <ctime>

namespace platform {

namespace {

std::tm ToTm(const CalendarFields& fields)
{
    std::tm tm{};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    tm.tm_sec = fields.second;
    tm.tm_isdst = -1;
    return tm;
}

CalendarFields FromTm(const std::tm& tm)
{
    return CalendarFields{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool IsGregorianDate(const CalendarFields& f)
{
    static const int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f.month < 1 || f.month > 12 || f.day < 1) {
        return false;
    }
    const bool leap = (f.year % 4 == 0 && f.year % 100 != 0) || f.year % 400 == 0;
    const int days = kDaysInMonth[f.month - 1] + (f.month == 2 && leap ? 1 : 0);
    return f.day <= days && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59 &&
           f.second >= 0 && f.second <= 59;
}

bool BreakDown(std::tm* (*breakDown)(const std::time_t*, std::tm*), int64_t unixTime, CalendarFields& fields)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm tm{};
    if (breakDown(&t, &tm) == nullptr) {
        return false;
    }
    fields = FromTm(tm);
    return true;
}

// -1 is a valid answer (one second before 1970) unless errno says the call failed.
bool Combine(std::time_t (*combine)(std::tm*), const CalendarFields& fields, int64_t& unixTime)
{
    std::tm tm = ToTm(fields);
    errno = 0;
    const std::time_t t = combine(&tm);
    if (t == static_cast<std::time_t>(-1) && errno != 0) {
        return false;
    }
    unixTime = static_cast<int64_t>(t);
    return true;
}

}  // namespace

int64_t CurrentUnixTime() { return SystemClock()(); }

ClockCall& SystemClock()
{
    static ClockCall clock = RealSystemClock;
    return clock;
}

int64_t RealSystemClock() { return static_cast<int64_t>(std::time(nullptr)); }

bool BreakDownUtc(int64_t unixTime, CalendarFields& utc) { return BreakDown(gmtime_r, unixTime, utc); }

bool BreakDownLocal(int64_t unixTime, CalendarFields& local)
{
    tzset();
    return BreakDown(localtime_r, unixTime, local);
}

bool UnixTimeFromUtc(const CalendarFields& utc, int64_t& unixTime) { return Combine(timegm, utc, unixTime); }

bool UnixTimeFromLocal(const CalendarFields& local, int64_t& unixTime)
{
    return Combine(std::mktime, local, unixTime);
}

bool UtcToLocal(const CalendarFields& utc, CalendarFields& local)
{
    int64_t unixTime = 0;
    return IsGregorianDate(utc) && UnixTimeFromUtc(utc, unixTime) && BreakDownLocal(unixTime, local);
}

}  // namespace platform
