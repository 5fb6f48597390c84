#include "core/RawImport.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr int kRawInterval = 15; // seconds
constexpr int kHeaderLines = 4;
constexpr int kEndOfData = 250;
constexpr int kSkipRecord = 251;
constexpr int kSkippedLines = 5;

// Hands out the content line by line (LF or CRLF), counting lines for the messages.
class TLineReader {
public:
    explicit TLineReader(std::string_view content) : rest_(content) {}

    std::string_view Next(const char* expected) {
        if (rest_.empty()) {
            throw EKLTFileInOutError("line " + std::to_string(number_ + 1) + ": the file ends before " + expected);
        }
        const size_t end = rest_.find('\n');
        std::string_view line = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
        ++number_;
        return line;
    }

    double Number(const char* expected) {
        const std::string text = TrimText(Next(expected));
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
            throw EConvertError("line " + std::to_string(number_) + ": '" + text.substr(0, 20) + "' is not " + expected);
        }
        return value;
    }

    int LineNumber() const { return number_; }

private:
    std::string_view rest_;
    int number_ = 0;
};

// The name holds the date as month-day-year, the year with two or four digits.
uint16_t DateFromFileName(const std::string& path) {
    const std::string name = std::filesystem::path(path).stem().string();
    static const std::regex datePattern(R"((\d{1,2})-(\d{1,2})-(\d{4}|\d{2})(?!\d))");
    std::smatch match;
    if (std::regex_search(name, match, datePattern)) {
        TCivilDate date{std::stoi(match[3]), std::stoi(match[1]), std::stoi(match[2])};
        if (match[3].length() == 2) {
            date.year += date.year >= 80 ? 1900 : 2000;
        }
        const int32_t days = DaysSince1880(date);
        if (IsValidCivilDate(date) && days >= 0 && days < kNoDate) {
            return static_cast<uint16_t>(days);
        }
    }
    throw EConvertError("the file name holds no date (month-day-year)");
}

struct TRawSample {
    double heartRate, speed, cadence;
};

} // namespace

void ImportRawTraining(TKLTFile& file, std::string_view content) {
    const uint16_t date = DateFromFileName(file.FileName());
    TLineReader lines(content);
    for (int i = 0; i < kHeaderLines; ++i) {
        lines.Next("the end of the header");
    }
    std::vector<TRawSample> samples;
    for (;;) {
        const double code = lines.Number("a heart rate or code");
        if (code == kEndOfData) {
            break;
        }
        if (code == kSkipRecord) {
            for (int i = 0; i < kSkippedLines; ++i) {
                lines.Next("the end of a skipped record");
            }
            continue;
        }
        if (samples.size() >= TKLTFile::kMaxSamples) {
            throw EKLTFileInOutError("line " + std::to_string(lines.LineNumber()) + ": too many samples");
        }
        const double speedTimesTen = lines.Number("a speed");
        samples.push_back({code, speedTimesTen / 10, lines.Number("a cadence")});
    }
    TKLTHeader& header = file.EditHeader();
    header.date = date;
    header.intervalNumerator = kRawInterval;
    header.intervalDenominator = 1;
    file.SetSampleCount(static_cast<int>(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i) {
        const TRawSample& s = samples[i];
        file.Sample(static_cast<int>(i) + 1)
            .SetShort(0, ImportedRaw(mwaTretfrequenz, s.cadence), ImportedRaw(mwaHerzfrequenz, s.heartRate),
                      ImportedRaw(mwaGeschwindigkeit, s.speed));
    }
    FinishImport(file, static_cast<int>(samples.size()), 0);
}

} // namespace klt
