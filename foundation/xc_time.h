#pragma once
#include <cstdint>

// A date and time in 32 bits: second bits 0-5, minute 6-11, hour 12-16, day 17-21,
// month 22-25, year offset 26-31.
using PackedDateTime = uint32_t;

// Packs the fields as they are; a value too wide for its field runs into the next one up.
PackedDateTime PackDateTime(uint8_t yearOffset, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                            uint8_t second);

// A calendar time: seconds since 1999-01-01 00:00:00 plus microseconds, in UTC or local time
// as its user takes it. Its own calendar makes every fourth year from 2000 a leap year, 2100
// included; valid years are 1999 to 2135. A new time is invalid.
class XCTime {
public:
    static constexpr uint32_t kInvalidSeconds = 0xFFFFFFFF;

    XCTime() = default;
    XCTime(uint32_t seconds, int32_t microseconds) : seconds_(seconds), microseconds_(microseconds) {}

    uint32_t GetSeconds() const { return seconds_; }
    int32_t GetMicroseconds() const { return microseconds_; }
    bool IsValid() const { return seconds_ != kInvalidSeconds; }

    // A bad year, month or day, or a moment the 32-bit count cannot hold, gives the invalid
    // time (microseconds then kept). Other fields are not range-checked: they carry over.
    void Set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
             int32_t millisecond, int32_t microsecond);

    // Calendar split of `seconds`; `yearOffset` counts years since 1999. With `skip` only the
    // year offset is computed and `day` receives the day number of that year's 1 January.
    static void SplitDate(uint32_t seconds, int32_t& day, int32_t& month, int32_t& yearOffset, bool skip);

    // None of these tests for the invalid time, which reads as 2135-02-06 06:28:15.
    int32_t GetYear() const;
    int32_t GetMonth() const;
    int32_t GetDay() const;
    int32_t GetHour() const { return static_cast<int32_t>(seconds_ / 3600 % 24); }
    int32_t GetMinute() const { return static_cast<int32_t>(seconds_ / 60 % 60); }
    int32_t GetSecond() const { return static_cast<int32_t>(seconds_ % 60); }

    // The current time in whole seconds.
    void NowUtc();
    void NowLocal();

    // Both leave the invalid time invalid. `result` may be this time.
    // Keeps the UTC value when the conversion fails; keeps the sub-second part.
    void ToLocal(XCTime& result) const;
    // Decides daylight saving time as the C library does; keeps only the milliseconds.
    // A local time the C library cannot convert gives the invalid time.
    void ToUtc(XCTime& result) const;

    // Rounds down to the start of the local month (an interval of exactly 31 days), year
    // (365 days or more), quarter (91 days or more) or day (one day up to two), else to a
    // multiple of the interval counted from the epoch. An interval of 0 or less changes nothing.
    void Truncate(const XCTime& interval);

    // From seconds since 1970-01-01 UTC; a value before 2000 is taken as an OLE Automation date.
    void FromDouble(double value);
    // Seconds since 1970-01-01 00:00:00 UTC, in whole seconds.
    double ToDouble() const;

    // A packed date whose year field counts from `yearBase` modulo 64, as a double.
    static double Pack(int32_t yearBase, double value);
    // The packed date's time as seconds since 1970-01-01 UTC; a negative value is read as its 32 bits.
    static double Unpack(int32_t yearBase, double packed);

    // By seconds, then microseconds: the invalid time sorts after every valid time.
    bool operator<(const XCTime& other) const
    {
        return seconds_ != other.seconds_ ? seconds_ < other.seconds_ : microseconds_ < other.microseconds_;
    }
    bool operator==(const XCTime& other) const
    {
        return seconds_ == other.seconds_ && microseconds_ == other.microseconds_;
    }
    bool operator!=(const XCTime& other) const { return !(*this == other); }

private:
    uint32_t seconds_ = kInvalidSeconds;
    int32_t microseconds_ = 0;
};
