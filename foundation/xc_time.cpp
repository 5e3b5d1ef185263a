#include "foundation/xc_time.h"

#include "platform/calendar_clock.h"
#include "platform/variant_time.h"

#include <cmath>

namespace {

constexpr int32_t kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int32_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int64_t k2000InUnixTime = 946684800;
constexpr int32_t kMonthInterval = 2678400;
constexpr int32_t kYearInterval = 31536000;
constexpr int32_t kQuarterInterval = 7862400;
constexpr int32_t kDayInterval = 86400;

bool IsLeapOffset(int32_t yearOffset) { return (yearOffset & 3) == 1; }

int32_t FirstDayOfYear(int32_t yearOffset) { return yearOffset * 365 + (yearOffset + 2) / 4; }

platform::CalendarFields FieldsOf(const XCTime& time)
{
    platform::CalendarFields fields;
    fields.year = time.GetYear();
    fields.month = time.GetMonth();
    fields.day = time.GetDay();
    fields.hour = time.GetHour();
    fields.minute = time.GetMinute();
    fields.second = time.GetSecond();
    return fields;
}

struct SplitDay {
    int32_t day = 0;
    int32_t month = 0;
    int32_t yearOffset = 0;
};

SplitDay DateOf(uint32_t seconds)
{
    SplitDay date;
    XCTime::SplitDate(seconds, date.day, date.month, date.yearOffset, false);
    return date;
}

void SetWholeSeconds(XCTime& time, const platform::CalendarFields& f)
{
    time.Set(f.year, f.month, f.day, f.hour, f.minute, f.second, 0, 0);
}

}  // namespace

PackedDateTime PackDateTime(uint8_t yearOffset, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                            uint8_t second)
{
    return static_cast<uint32_t>(yearOffset) << 26 | static_cast<uint32_t>(month) << 22 |
           static_cast<uint32_t>(day) << 17 | static_cast<uint32_t>(hour) << 12 |
           static_cast<uint32_t>(minute) << 6 | static_cast<uint32_t>(second);
}

void XCTime::Set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
                 int32_t millisecond, int32_t microsecond)
{
    if (year < 1999 || year > 2135 || month < 1 || month > 12 || day < 1 || day > 31) {
        seconds_ = kInvalidSeconds;
        return;
    }
    const int32_t y = year - 1999;
    int64_t days = FirstDayOfYear(y) + (day - 1) + kDaysBeforeMonth[month - 1];
    if (IsLeapOffset(y) && month > 2) {
        ++days;
    }
    int64_t total = ((days * 24 + hour) * 60 + minute) * 60 + second;
    const int64_t micro = static_cast<int64_t>(millisecond) * 1000 + microsecond;
    // Floor division: a negative sub-second part borrows whole seconds.
    int64_t carried = micro / 1000000;
    int64_t remainder = micro % 1000000;
    if (remainder < 0) {
        remainder += 1000000;
        --carried;
    }
    total += carried;
    if (total < 0 || total >= kInvalidSeconds) {
        seconds_ = kInvalidSeconds;
        return;
    }
    seconds_ = static_cast<uint32_t>(total);
    microseconds_ = static_cast<int32_t>(remainder);
}

void XCTime::SplitDate(uint32_t seconds, int32_t& day, int32_t& month, int32_t& yearOffset, bool skip)
{
    const int32_t days = static_cast<int32_t>(seconds / 86400);
    int32_t y = days / 365;
    int32_t start = FirstDayOfYear(y);
    if (start > days) {
        --y;
        start = FirstDayOfYear(y);
    }
    yearOffset = y;
    if (skip) {
        day = start;
        return;
    }
    int32_t rest = days - start;
    int32_t m = 0;
    while (m < 11) {
        const int32_t length = kDaysInMonth[m] + (m == 1 && IsLeapOffset(y) ? 1 : 0);
        if (rest < length) {
            break;
        }
        rest -= length;
        ++m;
    }
    month = m + 1;
    day = rest + 1;
}

int32_t XCTime::GetYear() const
{
    int32_t firstDay = 0;
    int32_t unused = 0;
    int32_t yearOffset = 0;
    SplitDate(seconds_, firstDay, unused, yearOffset, true);
    return 1999 + yearOffset;
}

int32_t XCTime::GetMonth() const { return DateOf(seconds_).month; }

int32_t XCTime::GetDay() const { return DateOf(seconds_).day; }

void XCTime::NowUtc()
{
    seconds_ = kInvalidSeconds;
    platform::CalendarFields utc;
    if (platform::BreakDownUtc(platform::CurrentUnixTime(), utc)) {
        SetWholeSeconds(*this, utc);
    }
}

void XCTime::NowLocal()
{
    XCTime utc;
    utc.NowUtc();
    utc.ToLocal(*this);
}

void XCTime::ToLocal(XCTime& result) const
{
    const XCTime source = *this;
    result = source;
    platform::CalendarFields local;
    if (source.IsValid() && platform::UtcToLocal(FieldsOf(source), local)) {
        result.Set(local.year, local.month, local.day, local.hour, local.minute, local.second,
                   source.microseconds_ / 1000, source.microseconds_ % 1000);
    }
}

void XCTime::ToUtc(XCTime& result) const
{
    const XCTime source = *this;
    int64_t unixTime = 0;
    platform::CalendarFields utc;
    if (!source.IsValid() || !platform::UnixTimeFromLocal(FieldsOf(source), unixTime) || !platform::BreakDownUtc(unixTime, utc)) {
        result = XCTime();
        return;
    }
    result.Set(utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second, source.microseconds_ / 1000, 0);
}

void XCTime::Truncate(const XCTime& interval)
{
    const int32_t length = static_cast<int32_t>(interval.seconds_);
    if (length <= 0) {
        return;
    }
    const bool calendarPeriod = length == kMonthInterval || length >= kQuarterInterval ||
                                (length >= kDayInterval && length < 2 * kDayInterval);
    if (!calendarPeriod) {
        seconds_ = seconds_ / static_cast<uint32_t>(length) * static_cast<uint32_t>(length);
        microseconds_ = 0;
        return;
    }
    XCTime local;
    ToLocal(local);
    int32_t month = local.GetMonth();
    int32_t day = 1;
    if (length != kMonthInterval) {
        if (length >= kYearInterval) {
            month = 1;
        } else if (length >= kQuarterInterval) {
            month = (month - 1) / 3 * 3 + 1;
        } else {
            day = local.GetDay();
        }
    }
    XCTime start;
    start.Set(local.GetYear(), month, day, 0, 0, 0, 0, 0);
    start.ToUtc(*this);
    microseconds_ = 0;
}

void XCTime::FromDouble(double value)
{
    seconds_ = kInvalidSeconds;
    // Negative times and values beyond 64 bits cannot be broken down.
    if (!(value >= 0.0 && value < 9.2e18)) {
        return;
    }
    const int64_t unixTime = static_cast<int64_t>(value);
    platform::CalendarFields utc;
    if (!platform::BreakDownUtc(unixTime, utc)) {
        return;
    }
    if (unixTime >= k2000InUnixTime) {
        SetWholeSeconds(*this, utc);
        return;
    }
    platform::CalendarFields variant;
    if (!platform::VariantTimeToSystemTime(value, variant)) {
        variant = platform::CalendarFields{-1, -1, -1, -1, -1, -1};
    }
    SetWholeSeconds(*this, variant);
}

double XCTime::ToDouble() const
{
    int64_t unixTime = -1;
    platform::UnixTimeFromUtc(FieldsOf(*this), unixTime);
    return static_cast<double>(unixTime);
}

double XCTime::Pack(int32_t yearBase, double value)
{
    XCTime time;
    time.FromDouble(value);
    const uint32_t yearField = static_cast<uint32_t>(static_cast<int64_t>(time.GetYear()) - yearBase) & 63;
    const PackedDateTime packed = yearField << 26 | static_cast<uint32_t>(time.GetMonth()) << 22 |
                                  static_cast<uint32_t>(time.GetDay()) << 17 |
                                  static_cast<uint32_t>(time.GetHour()) << 12 |
                                  static_cast<uint32_t>(time.GetMinute()) << 6 |
                                  static_cast<uint32_t>(time.GetSecond());
    return static_cast<double>(packed);
}

double XCTime::Unpack(int32_t yearBase, double packed)
{
    XCTime time;
    // A value no 32-bit packed date can hold, or a base past the calendar, reads like a bad field.
    // A signed field gives a date with bit 31 set as a negative number: its 32 bits are the date.
    if (packed >= -2147483648.0 && packed < 4294967296.0 && yearBase <= 2135) {
        const uint32_t p = static_cast<uint32_t>(static_cast<int64_t>(packed));
        time.Set(static_cast<int32_t>(p >> 26) + yearBase, (p >> 22) & 15, (p >> 17) & 31, (p >> 12) & 31,
                 (p >> 6) & 63, p & 63, 0, 0);
    }
    return time.ToDouble();
}
