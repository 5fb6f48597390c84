#pragma once
// The heart-rate-variability text file: one line per beat, the arrival time of day as "HH:MM:SS.t"
// (tenths of a second) right-aligned in 10 characters and the interval in tenths of a millisecond
// right-aligned in 5, lines ending in "\n". The window saves it below the training database as
// "HRVariance/Heartrate" + the first beat's date and time as a number + ".txt": days since
// 1 January 1880, a point and the day's elapsed fraction in 8 digits (no "/" or ":" in a file
// name), so that recordings sort by their start.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "online/HeartRateVariance.h"

namespace klt {

// One line as read back: the arrival time of day in 1/100 s (whole tenths) and the interval.
struct THRVarianceLine {
    int32_t timeOfDay = 0;
    int32_t hrDist = 0;
    bool operator==(const THRVarianceLine&) const = default;
};

// A beat's arrival time of day as the file and the window show it: "HH:MM:SS.t".
std::string HRVarianceTimeText(int32_t hundredths);

// "Heartrate53672.60421296.txt" for the first beat's date and time.
std::string HRVarianceFileName(const TDateTimeMark& first);

std::string HRVarianceText(const std::vector<THRDistRecord>& records);
// The records' text written atomically to `path`; EInOutError.
void WriteHRVarianceFile(const std::vector<THRDistRecord>& records, const std::string& path);
// The table saved in "HRVariance" below the database (made when missing) under its file name; the
// path written, nothing for an empty table. EInOutError.
std::optional<std::string> SaveHRVariance(const THRDistTable& table, const std::string& databaseDir);

// Reads the text; EInOutError naming the first line that is not a time of day and an interval.
// "\r\n" line ends are taken as well.
std::vector<THRVarianceLine> ParseHRVarianceText(std::string_view text);
// Reads a file of at most 64 MiB; EInOutError also when there is none.
std::vector<THRVarianceLine> ReadHRVarianceFile(const std::string& path);

} // namespace klt
