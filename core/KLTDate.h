#pragma once
// Dates are day numbers counted from 1 January 1880 (0xFFFF: no date); times of day are counted in
// 1/100 s since midnight.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace klt {

constexpr uint16_t kNoDate = 0xFFFF;

struct TCivilDate {
    int year = 1880;
    int month = 1; // 1..12
    int day = 1;   // 1..31
};

// Gregorian calendar, valid for any day number (negative ones lie before 1880).
int32_t DaysSince1880(const TCivilDate& date);
TCivilDate CivilFromDaysSince1880(int32_t days);
bool IsValidCivilDate(const TCivilDate& date);

// A point in local time as the file system and the modification mark see it.
struct TDateTimeMark {
    static constexpr int32_t kNoneDays = -1;
    static constexpr int32_t kNoneTime = INT32_MIN;

    int32_t days = kNoneDays; // since 1880
    int32_t time = kNoneTime; // 1/100 s since midnight

    bool IsNone() const { return days == kNoneDays && time == kNoneTime; }
    static TDateTimeMark None() { return {}; }
    static TDateTimeMark Now();
    bool operator==(const TDateTimeMark&) const = default;
};

// `mark` moved on by `hundredths`, into the following days where the time passes midnight.
TDateTimeMark LaterBy(const TDateTimeMark& mark, int64_t hundredths);

// Local date and time to seconds since the epoch, and back.
std::time_t ToUnixTime(const TDateTimeMark& mark);
TDateTimeMark FromUnixTime(std::time_t seconds, int32_t hundredths = 0);

// "HH:MM:SS", with ".hh" hundredths when asked for; negative times get a leading "-".
std::string FormatTimeOfDay(int64_t hundredths, bool withHundredths);
// "H:MM:SS" or "HH:MM:SS" with optional tenths ".t" or hundredths ".hh", in 1/100 s; nothing for
// any other text. Hours go up to 99: the text may be a duration as well as a time of day.
std::optional<int64_t> ParseTimeText(std::string_view text);

// "YYYY-MM-DD", or an empty text for kNoDate.
std::string FormatIsoDate(uint16_t days);

enum class TDateForm { Short, Long };
// Short "2026-12-09", long "Wednesday, 9 December 2026"; empty for kNoDate.
std::string FormatDate(uint16_t days, TDateForm form);

} // namespace klt
