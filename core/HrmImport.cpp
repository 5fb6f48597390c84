#include "core/HrmImport.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/CodePage850.h"
#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "core/SampleElement.h"

namespace klt {
namespace {

// Raw units per unit of the file: power W, cadence rpm, heart rate bpm, speed in mm/s per km/h or
// mph, altitude in m per m or ft.
constexpr double kRawPerWatt = 8.0;
constexpr double kRawPerRpm = 32.0;
constexpr double kRawPerBpm = 64.0;
constexpr double kMmPerSecondPerKmh = 1000.0 / 3.6;
constexpr double kMmPerSecondPerMph = 447.04;
constexpr double kMetresPerFoot = 0.3048;

// Watches recording beat-to-beat intervals write this in place of a sampling period.
constexpr int kBeatToBeatInterval = 238;
constexpr int64_t kOneDay = 8'640'000; // 1/100 s

// A beat longer than this (or not positive) is no heart beat but a broken value.
constexpr int kLongestBeatMs = 6000;

struct TLine {
    std::string_view text;
    int number = 0; // from 1
};

// Splits at LF, drops a CR before it.
std::vector<TLine> SplitLines(std::string_view content) {
    std::vector<TLine> lines;
    int number = 0;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back({line, ++number});
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
    }
    return lines;
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Bytes that are not UTF-8 are taken as Latin-1. Control characters, 0xFF fill and what training
// files cannot store are dropped.
std::string NoteText(std::string_view bytes) {
    std::string text;
    auto keep = [&text](std::string_view character) {
        if (character == "?" || Utf8ToCp850(character) != "?") {
            text.append(character);
        }
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c >= 0x20 && c != 0x7F) {
                keep(bytes.substr(i, 1));
            }
            continue;
        }
        const size_t length = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        bool utf8 = length > 0 && i + length <= bytes.size();
        for (size_t k = 1; utf8 && k < length; ++k) {
            utf8 = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        }
        if (utf8) {
            keep(bytes.substr(i, length));
            i += length - 1;
        } else if (c >= 0xA0 && c != 0xFF) { // 0xFF: fill, not the letter
            const char latin1[] = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
            keep(std::string_view(latin1, 2));
        }
    }
    return text;
}

// Which columns follow the heart rate in each sample line.
struct TColumns {
    bool speed = false, cadence = false, altitude = false, power = false;
    bool balance = false;  // one combined L/R balance and pedalling index column after power
    bool pressure = false; // air pressure, last
    bool usUnits = false;

    int Count() const { return 1 + speed + cadence + altitude + power + balance + pressure; }
};

class THrmReader {
public:
    THrmReader(const TKLTFile& file, std::string_view content)
        : fileName_(file.FileName()), lines_(SplitLines(content)) {}

    void Import(TKLTFile& file, bool altitudeAsPower) {
        const size_t dataStart = FindSection("[HRData]");
        params_ = std::vector<TLine>(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(dataStart));
        if (dataStart == lines_.size()) {
            Fail(0, "no [HRData] section");
        }
        const TLine& version = Value("Version");
        const std::optional<int> versionNumber = ParseInt(Trimmed(ValueText(version)));
        if (!versionNumber) {
            Fail(version.number, "the version is not a number");
        }
        const TColumns columns =
            *versionNumber >= 106 ? FlagColumns(Value("SMode")) : ModeColumns(Value("Mode"));
        const uint16_t date = Date(Value("Date"));
        const TLine& intervalLine = Value("Interval");
        const std::optional<int> interval = ParseInt(Trimmed(ValueText(intervalLine)));
        if (!interval || *interval <= 0 || *interval > 255) {
            Fail(intervalLine.number, "the sampling interval \"" + std::string(ValueText(intervalLine)) +
                                          "\" is not a whole number of seconds from 1 to 255");
        }
        const bool beatToBeat = *interval == kBeatToBeatInterval;
        const bool powerFromAltitude = altitudeAsPower && columns.altitude && !columns.power && !beatToBeat;

        std::vector<TSampleElement> samples;
        int sampleLines = 0;
        for (size_t i = dataStart + 1; i < lines_.size(); ++i) {
            if (Trimmed(lines_[i].text).starts_with("[")) {
                break; // a section after the samples
            }
            if (Trimmed(lines_[i].text).empty()) {
                continue;
            }
            ++sampleLines;
            std::vector<int> values;
            try {
                values = Values(lines_[i], columns.Count());
                if (beatToBeat) {
                    CheckBeat(lines_[i], values[0]);
                }
            } catch (const EKLTFileInOutError& e) {
                skipped_.push_back(e.Message()); // one broken line does not spoil a recording
                continue;
            }
            if (beatToBeat) {
                AddBeats(samples, lines_[i], values, columns);
            } else {
                Add(samples, lines_[i], Sample(values, columns, powerFromAltitude));
            }
        }
        if (!skipped_.empty() && 2 * skipped_.size() >= static_cast<size_t>(sampleLines)) {
            throw EKLTFileInOutError(skipped_.front()); // mostly broken: no recording
        }

        std::string comment = powerFromAltitude ? "PW=Alt!! " : "";
        const size_t note = FindSection("[Note]");
        if (note + 1 < dataStart && !Trimmed(lines_[note + 1].text).starts_with("[")) {
            comment += NoteText(lines_[note + 1].text);
        }

        // A start time or lap that proves unreadable only now leaves no half-imported training.
        try {
            file.EditHeader().date = date;
            file.EditHeader().intervalNumerator = static_cast<uint8_t>(beatToBeat ? 1 : *interval);
            file.EditHeader().intervalDenominator = 1;
            file.SetCommentText(comment);
            file.SetSampleCount(static_cast<int>(samples.size()));
            for (size_t i = 0; i < samples.size(); ++i) {
                file.Sample(static_cast<int>(i) + 1) = samples[i];
            }
            FinishImport(file, static_cast<int>(samples.size()), StartTime());
            AddLaps(file, beatToBeat ? 1 : *interval);
        } catch (...) {
            file.Clear();
            throw;
        }
        if (!skipped_.empty()) {
            std::string text = skipped_.front() + " (line skipped";
            if (skipped_.size() > 1) {
                text += ", with " + std::to_string(skipped_.size() - 1) + " more";
            }
            Prompt().ShowMessage("Warning", text + ")");
        }
    }

private:
    [[noreturn]] void Fail(int line, const std::string& what) const {
        std::string where = "'" + fileName_ + "'";
        if (line > 0) {
            where += " line " + std::to_string(line);
        }
        throw EKLTFileInOutError(where + ": " + what);
    }

    size_t FindSection(std::string_view name) const {
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (Trimmed(lines_[i].text) == name) {
                return i;
            }
        }
        return lines_.size();
    }

    // The first header line "key=value"; "Mode" must not find "SMode".
    const TLine* FindValue(std::string_view key) const {
        for (const TLine& line : params_) {
            const std::string_view text = Trimmed(line.text);
            if (text.size() > key.size() && text.substr(0, key.size()) == key && text[key.size()] == '=') {
                return &line;
            }
        }
        return nullptr;
    }

    const TLine& Value(std::string_view key) const {
        const TLine* line = FindValue(key);
        if (line == nullptr) {
            Fail(0, "no \"" + std::string(key) + "\" in the header: not a Polar HRM file");
        }
        return *line;
    }

    static std::string_view ValueText(const TLine& line) {
        return Trimmed(line.text.substr(line.text.find('=') + 1));
    }

    // A string of flag digits read by position: speed, cadence, altitude, power, L/R balance,
    // pedalling index, heart rate with cycling data, US units and (newer files) air pressure.
    TColumns FlagColumns(const TLine& line) const {
        const std::string_view digits = ValueText(line);
        if ((digits.size() != 8 && digits.size() != 9) ||
            digits.find_first_not_of("01") != std::string_view::npos) {
            Fail(line.number, "Unknown Polar Format");
        }
        TColumns columns;
        columns.speed = digits[0] == '1';
        columns.cadence = digits[1] == '1';
        columns.altitude = digits[2] == '1';
        columns.power = digits[3] == '1';
        columns.balance = digits[4] == '1' || digits[5] == '1';
        columns.usUnits = digits[7] == '1';
        columns.pressure = digits.size() == 9 && digits[8] == '1';
        return columns;
    }

    // Older files know heart rate only (0) and heart rate with cadence and power (10).
    TColumns ModeColumns(const TLine& line) const {
        const std::optional<int> mode = ParseInt(ValueText(line));
        if (mode != 0 && mode != 10) {
            Fail(line.number, "Unknown Polar Format");
        }
        TColumns columns;
        columns.cadence = columns.power = mode == 10;
        return columns;
    }

    uint16_t Date(const TLine& line) const {
        const std::string_view text = ValueText(line);
        const std::optional<int> year = text.size() == 8 ? ParseInt(text.substr(0, 4)) : std::nullopt;
        const std::optional<int> month = text.size() == 8 ? ParseInt(text.substr(4, 2)) : std::nullopt;
        const std::optional<int> day = text.size() == 8 ? ParseInt(text.substr(6, 2)) : std::nullopt;
        const TCivilDate date{year.value_or(0), month.value_or(0), day.value_or(0)};
        if (!year || !month || !day || !IsValidCivilDate(date) || DaysSince1880(date) < 0 ||
            DaysSince1880(date) >= kNoDate) {
            Fail(line.number, "invalid date \"" + std::string(text) + "\"");
        }
        return static_cast<uint16_t>(DaysSince1880(date));
    }

    std::vector<int> Values(const TLine& line, int expected) const {
        std::vector<int> values;
        std::string_view rest = line.text;
        while (!(rest = Trimmed(rest)).empty()) {
            const size_t end = rest.find_first_of(" \t");
            const std::string_view word = rest.substr(0, end);
            const std::optional<int> value = ParseInt(word);
            if (!value) {
                Fail(line.number, "\"" + std::string(word.substr(0, 20)) + "\" is not a number");
            }
            if (static_cast<int>(values.size()) == expected) {
                Fail(line.number,
                     "more than the " + std::to_string(expected) + " values the header announces");
            }
            values.push_back(*value);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        }
        if (static_cast<int>(values.size()) < expected) {
            Fail(line.number, std::to_string(values.size()) + " values where the header announces " +
                                  std::to_string(expected) + ": the line is cut short");
        }
        return values;
    }

    static TSampleElement Sample(const std::vector<int>& values, const TColumns& columns,
                                 bool powerFromAltitude) {
        size_t at = 1;
        const int speed = columns.speed ? values[at++] : 0;
        const int cadence = columns.cadence ? values[at++] : 0;
        const int altitude = columns.altitude ? values[at++] : 0;
        const int power = columns.power ? values[at++] : powerFromAltitude ? altitude : 0;
        const double speedFactor = columns.usUnits ? kMmPerSecondPerMph : kMmPerSecondPerKmh;
        const double altitudeMetres = columns.usUnits ? altitude * kMetresPerFoot : altitude;
        TSampleElement sample{};
        // Scaled, the file's numbers may leave the int range; the sample fields clamp them anyway.
        sample.Set(RoundedRaw(power * kRawPerWatt), RoundedRaw(cadence * kRawPerRpm),
                   RoundedRaw(values[0] * kRawPerBpm), RoundedRaw(speed / 10.0 * speedFactor),
                   powerFromAltitude ? 0 : RoundedRaw(altitudeMetres), 0);
        return sample;
    }

    void CheckBeat(const TLine& line, int beat) const {
        if (beat <= 0 || beat > kLongestBeatMs) {
            Fail(line.number, "beat interval of " + std::to_string(beat) + " ms");
        }
    }

    // The time of day the recording began; a file without one began at midnight.
    int32_t StartTime() const {
        const TLine* line = FindValue("StartTime");
        if (line == nullptr) {
            return 0;
        }
        const std::optional<int64_t> time = ParseTimeText(ValueText(*line));
        if (!time || *time >= kOneDay) {
            Fail(line->number, "the start time \"" + std::string(ValueText(*line)) + "\" is no time of day");
        }
        return static_cast<int32_t>(*time);
    }

    // Each lap time of [IntTimes] (the lines that begin with a time into the ride) ends a lap:
    // laps become markers over the samples recorded in them.
    void AddLaps(TKLTFile& file, int intervalSeconds) const {
        const size_t section = FindSection("[IntTimes]");
        int lapEnd = 0;
        int lap = 0;
        for (size_t i = section + 1; i < lines_.size() && !Trimmed(lines_[i].text).starts_with("["); ++i) {
            const std::string_view text = Trimmed(lines_[i].text);
            const std::string_view first = text.substr(0, text.find_first_of(" \t"));
            const std::optional<int64_t> elapsed =
                first.find(':') == std::string_view::npos ? std::nullopt : ParseTimeText(first);
            if (!elapsed) {
                continue; // the lap's figures
            }
            const int64_t end = std::min<int64_t>(std::llround(static_cast<double>(*elapsed) / (intervalSeconds * 100.0)), file.SampleCount());
            ++lap;
            if (end > lapEnd) {
                TKLTMarker marker("Lap " + std::to_string(lap), lapEnd + 1, static_cast<int>(end));
                file.ComputeMarker(marker, marker.first, marker.last);
                file.InsertMarker(marker);
                lapEnd = static_cast<int>(end);
            }
        }
    }

    // Beat-to-beat files: one sample a second, holding the heart rate of the beat under way then.
    void AddBeats(std::vector<TSampleElement>& samples, const TLine& line, const std::vector<int>& values,
                  const TColumns& columns) {
        const int beat = values[0];
        std::vector<int> second = values;
        second[0] = static_cast<int>(std::lround(60000.0 / beat));
        elapsedMs_ += beat;
        while (elapsedMs_ >= 1000) {
            elapsedMs_ -= 1000;
            Add(samples, line, Sample(second, columns, false));
        }
    }

    void Add(std::vector<TSampleElement>& samples, const TLine& line, const TSampleElement& sample) const {
        if (static_cast<int>(samples.size()) >= TKLTFile::kMaxSamples) {
            Fail(line.number, "more than " + std::to_string(TKLTFile::kMaxSamples) + " samples");
        }
        samples.push_back(sample);
    }

    std::string fileName_;
    std::vector<TLine> lines_;
    std::vector<TLine> params_;
    std::vector<std::string> skipped_; // why each broken sample line was left out
    int elapsedMs_ = 0;
};

} // namespace

void ImportHrmTraining(TKLTFile& file, std::string_view content, bool altitudeAsPower) {
    THrmReader(file, content).Import(file, altitudeAsPower);
}

} // namespace klt
