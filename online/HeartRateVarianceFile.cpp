#include "online/HeartRateVarianceFile.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/SmallFile.h"

namespace klt {
namespace {

constexpr int64_t kHundredthsPerDay = 8640000;
constexpr int64_t kFractionDigits = 100000000; // 8 decimals
constexpr size_t kTimeWidth = 10;
constexpr size_t kMaxFileSize = 64u << 20;

[[noreturn]] void Damaged(size_t line, const std::string& what) {
    throw EInOutError("Heart rate variance line " + std::to_string(line) + ": " + what);
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

THRVarianceLine ParseLine(std::string_view line, size_t number) {
    if (line.size() <= kTimeWidth) {
        Damaged(number, "too short");
    }
    const std::optional<int64_t> time = ParseTimeText(Trimmed(line.substr(0, kTimeWidth)));
    // Times are written to the tenth; hundredths would be the interval's first digit.
    if (!time || *time >= kHundredthsPerDay || *time % 10 != 0) {
        Damaged(number, "no time of day");
    }
    const std::string_view interval = Trimmed(line.substr(kTimeWidth));
    int32_t hrDist = 0;
    const auto [end, error] = std::from_chars(interval.data(), interval.data() + interval.size(), hrDist);
    if (interval.empty() || error != std::errc() || end != interval.data() + interval.size()) {
        Damaged(number, "no interval");
    }
    return {static_cast<int32_t>(*time), hrDist};
}

} // namespace

std::string HRVarianceTimeText(int32_t hundredths) {
    // cut, not rounded, so that a beat never moves into the next second
    return FormatTimeOfDay(hundredths, false) + "." + std::to_string(hundredths % 100 / 10);
}

std::string HRVarianceFileName(const TDateTimeMark& first) {
    const int64_t fraction = (int64_t{first.time} * kFractionDigits + kHundredthsPerDay / 2) / kHundredthsPerDay;
    char text[64];
    std::snprintf(text, sizeof text, "Heartrate%d.%08lld.txt", first.days, static_cast<long long>(fraction));
    return text;
}

std::string HRVarianceText(const std::vector<THRDistRecord>& records) {
    std::string text;
    char line[64];
    for (const THRDistRecord& record : records) {
        std::snprintf(line, sizeof line, "%10s%5d\n", HRVarianceTimeText(record.time.time).c_str(), record.hrDist);
        text += line;
    }
    return text;
}

void WriteHRVarianceFile(const std::vector<THRDistRecord>& records, const std::string& path) {
    const std::string text = HRVarianceText(records);
    TAtomicFileWriter writer(path);
    writer.Write(text.data(), text.size());
    writer.Commit();
}

std::optional<std::string> SaveHRVariance(const THRDistTable& table, const std::string& databaseDir) {
    if (table.Empty()) {
        return std::nullopt;
    }
    const std::filesystem::path folder = std::filesystem::path(databaseDir) / "HRVariance";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw EInOutError("Cannot create " + folder.string() + ": " + error.message());
    }
    const std::string path = (folder / HRVarianceFileName(table.Records().front().time)).string();
    WriteHRVarianceFile(table.Records(), path);
    return path;
}

std::vector<THRVarianceLine> ParseHRVarianceText(std::string_view text) {
    std::vector<THRVarianceLine> lines;
    size_t number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(ParseLine(line, number));
    }
    return lines;
}

std::vector<THRVarianceLine> ReadHRVarianceFile(const std::string& path) {
    const std::optional<std::string> text = ReadSmallFile(path, kMaxFileSize);
    if (!text) {
        throw EInOutError("No heart rate variance file " + path);
    }
    return ParseHRVarianceText(*text);
}

} // namespace klt
