#include "core/KLTDate.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace klt {
namespace {

// Days from 1970-01-01 to 1880-01-01.
constexpr int32_t kEpoch1880 = -32872;

// Howard Hinnant's civil-calendar algorithms, with day 0 at 1970-01-01.
int32_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

TCivilDate CivilFromDays(int32_t z) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

} // namespace

int32_t DaysSince1880(const TCivilDate& date) {
    return DaysFromCivil(date.year, date.month, date.day) - kEpoch1880;
}

TCivilDate CivilFromDaysSince1880(int32_t days) { return CivilFromDays(days + kEpoch1880); }

bool IsValidCivilDate(const TCivilDate& date) {
    if (date.month < 1 || date.month > 12 || date.day < 1) {
        return false;
    }
    TCivilDate roundTrip = CivilFromDaysSince1880(DaysSince1880(date));
    return roundTrip.day == date.day && roundTrip.month == date.month;
}

TDateTimeMark TDateTimeMark::Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto hundredths = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000 / 10;
    return FromUnixTime(system_clock::to_time_t(now), static_cast<int32_t>(hundredths));
}

std::time_t ToUnixTime(const TDateTimeMark& mark) {
    TCivilDate date = CivilFromDaysSince1880(mark.days);
    std::tm tm{};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    int32_t seconds = mark.time / 100;
    tm.tm_hour = seconds / 3600;
    tm.tm_min = seconds / 60 % 60;
    tm.tm_sec = seconds % 60;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TDateTimeMark FromUnixTime(std::time_t seconds, int32_t hundredths) {
    std::tm tm{};
    localtime_r(&seconds, &tm);
    TDateTimeMark mark;
    mark.days = DaysSince1880({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
    mark.time = ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 100 + hundredths;
    return mark;
}

std::optional<int64_t> ParseTimeText(std::string_view text) {
    if (text.empty()) {
        return std::nullopt; // an empty view may have no characters to point into at all
    }
    int hours = 0, minutes = 0, seconds = 0, hundredths = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    auto field = [&](int& value, int maxDigits) {
        const char* start = p;
        auto [next, error] = std::from_chars(p, std::min(end, p + maxDigits), value);
        p = next;
        return error == std::errc() && p != start && *start != '-';
    };
    bool valid = field(hours, 2) && p < end && *p++ == ':' && field(minutes, 2) && p < end && *p++ == ':' &&
                 field(seconds, 2);
    if (valid && p < end && *p == '.') {
        ++p;
        const char* start = p;
        valid = field(hundredths, 2);
        if (p - start == 1) {
            hundredths *= 10;
        }
    }
    if (!valid || p != end || minutes > 59 || seconds > 59) {
        return std::nullopt;
    }
    return ((hours * int64_t{60} + minutes) * 60 + seconds) * 100 + hundredths;
}

TDateTimeMark LaterBy(const TDateTimeMark& mark, int64_t hundredths) {
    constexpr int64_t kDay = 8640000;
    const int64_t total = int64_t{mark.time} + hundredths;
    const int64_t days = total >= 0 ? total / kDay : (total - kDay + 1) / kDay;
    return {static_cast<int32_t>(mark.days + days), static_cast<int32_t>(total - days * kDay)};
}

std::string FormatTimeOfDay(int64_t hundredths, bool withHundredths) {
    const int64_t value = std::llabs(hundredths);
    const int64_t seconds = value / 100;
    char text[40];
    int n = std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", hundredths < 0 ? "-" : "",
                          static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                          static_cast<long long>(seconds % 60));
    if (withHundredths) {
        std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ".%02lld",
                      static_cast<long long>(value % 100));
    }
    return text;
}

std::string FormatIsoDate(uint16_t days) {
    if (days == kNoDate) {
        return {};
    }
    const TCivilDate date = CivilFromDaysSince1880(days);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string FormatDate(uint16_t days, TDateForm form) {
    if (form == TDateForm::Short || days == kNoDate) {
        return FormatIsoDate(days);
    }
    static const char* const kWeekdays[] = {"Thursday", "Friday", "Saturday", "Sunday",
                                            "Monday",   "Tuesday", "Wednesday"}; // 1 January 1880 was a Thursday
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const TCivilDate date = CivilFromDaysSince1880(days);
    return std::string(kWeekdays[days % 7]) + ", " + std::to_string(date.day) + " " + kMonths[date.month - 1] + " " +
           std::to_string(date.year);
}

} // namespace klt
