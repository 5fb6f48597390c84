// Reads the column text `TrainingText` writes (basic or extended) back as a training. The text is
// hostile: every value is checked, nothing is allocated from a count it states, and the training is
// only touched once the whole text has been read.
#include "core/TextImport.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/Initials.h"
#include "core/PRMesWrt.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr int64_t kOneDay = 8'640'000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Keeps well-formed UTF-8 and drops every other byte, so foreign text never reaches the training
// as broken characters.
std::string ValidUtf8(std::string_view text) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                            : lead >= 0xF0 && lead < 0xF5   ? 4
                                                                            : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (valid && length == 3) { // no overlong forms, no surrogates
            const auto second = static_cast<unsigned char>(text[i + 1]);
            valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0);
        } else if (valid && length == 4) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            valid = !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        if (valid) {
            result.append(text.substr(i, length));
            i += length;
        } else {
            ++i;
        }
    }
    return result;
}

// The words of one line, read from the left; the reader reports failures with the line's number.
class TLine {
public:
    TLine(const TKLTFile& file, std::string_view text, int number) : file_(file), text_(text), number_(number) {}

    [[noreturn]] void Fail(const std::string& reason) const {
        throw EKLTFileInOutError("'" + std::filesystem::path(file_.FileName()).filename().string() + "', line " +
                                 std::to_string(number_) + ": " + reason);
    }

    std::optional<std::string_view> NextWord() {
        SkipBlanks();
        const size_t start = position_;
        while (position_ < text_.size() && !IsBlank(text_[position_])) {
            ++position_;
        }
        if (start == position_) {
            return std::nullopt;
        }
        return text_.substr(start, position_ - start);
    }

    std::string_view Word(const char* what) {
        const auto word = NextWord();
        if (!word) {
            Fail(std::string("the line ends before the ") + what);
        }
        return *word;
    }

    double Number(const char* what) {
        const std::string_view word = Word(what);
        if (const auto value = ParseNumber(word)) {
            return *value;
        }
        Fail(std::string("the ") + what + " \"" + ValidUtf8(word.substr(0, 20)) + "\" is not a number");
    }

    int64_t Integer(const char* what, int64_t minimum, int64_t maximum) {
        const double value = Number(what);
        if (value != std::floor(value) || value < static_cast<double>(minimum) || value > static_cast<double>(maximum)) {
            Fail(std::string("the ") + what + " is not a whole number from " + std::to_string(minimum) + " to " +
                 std::to_string(maximum));
        }
        return static_cast<int64_t>(value);
    }

    // Time of day "H:MM:SS" with optional hundredths ".hh", in 1/100 s.
    int64_t TimeOfDay(std::string_view word) const {
        const std::optional<int64_t> time = ParseTimeText(word);
        if (!time || *time >= kOneDay) {
            Fail("\"" + ValidUtf8(word.substr(0, 20)) + "\" is not a time of day");
        }
        return *time;
    }

    std::string_view Rest() {
        SkipBlanks();
        std::string_view rest = text_.substr(position_);
        while (!rest.empty() && IsBlank(rest.back())) {
            rest.remove_suffix(1);
        }
        return rest;
    }

    bool Empty() const { return text_.find_first_not_of(" \t\r\v\f") == std::string_view::npos; }

private:
    static std::optional<double> ParseNumber(std::string_view word) {
        if (!word.empty() && word.front() == '+') {
            word.remove_prefix(1);
        }
        double value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value) || word.empty()) {
            return std::nullopt;
        }
        return value;
    }

    void SkipBlanks() {
        while (position_ < text_.size() && IsBlank(text_[position_])) {
            ++position_;
        }
    }

    const TKLTFile& file_;
    std::string_view text_;
    int number_;
    size_t position_ = 0;
};

// The content line by line, LF or CRLF.
class TLines {
public:
    TLines(const TKLTFile& file, std::string_view content) : file_(file), rest_(content) {}

    std::optional<TLine> Next() {
        if (rest_.empty()) {
            return std::nullopt;
        }
        const size_t end = rest_.find('\n');
        const std::string_view text = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        return TLine(file_, text, ++number_);
    }

    TLine Required(const char* what) {
        if (auto line = Next()) {
            return *line;
        }
        TLine(file_, {}, number_ + 1).Fail(std::string("the text ends before the ") + what);
    }

private:
    const TKLTFile& file_;
    std::string_view rest_;
    int number_ = 0;
};

struct TTextSample {
    double power = 0, heartRate = 0, cadence = 0, speed = 0, altitude = 0, temperature = 0;
    int64_t time = 0; // extended files only
};

// The interval as numerator / denominator seconds, both in a byte.
std::pair<uint8_t, uint8_t> EncodeInterval(TLine& line, double seconds) {
    double numerator = 0, denominator = 1;
    if (seconds < 2.55) {
        numerator = std::round(seconds * 100);
        denominator = 100;
    } else if (seconds == std::floor(seconds)) {
        numerator = seconds;
    } else {
        numerator = std::round(seconds * 2);
        denominator = 2;
    }
    if (numerator < 1 || numerator > 255) {
        line.Fail("the recording interval must lie between 0.01 and 255 seconds");
    }
    return {static_cast<uint8_t>(numerator), static_cast<uint8_t>(denominator)};
}

// An export puts the marker's distance with its unit before the comment; it is no part of it.
std::string_view SkipExportedDistance(std::string_view rest) {
    const std::string& unit = MesswertArt(mwaStrecke).UnitShortName();
    const size_t end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    if (unit.empty() || word.size() <= unit.size() || !word.ends_with(unit)) {
        return rest;
    }
    const std::string_view number = word.substr(0, word.size() - unit.size());
    double value = 0;
    const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || stop != number.data() + number.size()) {
        return rest;
    }
    return end == std::string_view::npos ? std::string_view() : rest.substr(end);
}

} // namespace

void ImportTextTraining(TKLTFile& file, std::string_view content) {
    TLines lines(file, content);

    TLine first = lines.Required("zero offset");
    const auto zeroOffset = static_cast<uint16_t>(first.Integer("zero offset", 0, 65535));
    const double slope = MesswertArt(mwaSteigung).ToRawRounded(first.Number("slope"));
    if (slope < 0 || slope > 65535) {
        first.Fail("the slope is out of range");
    }

    TLine second = lines.Required("date");
    TCivilDate date;
    date.year = static_cast<int>(second.Integer("year", 1880, 2059));
    date.month = static_cast<int>(second.Integer("month", 1, 12));
    date.day = static_cast<int>(second.Integer("day", 1, 31));
    const int32_t days = DaysSince1880(date);
    if (!IsValidCivilDate(date) || days < 0 || days >= kNoDate) {
        second.Fail("the date is not valid");
    }
    const std::string initials = NormalizeInitials(ValidUtf8(second.Rest()));

    TLine third = lines.Required("sample count");
    third.Integer("sample count", 0, INT32_MAX); // the lines that follow decide the count
    const auto [numerator, denominator] = EncodeInterval(third, third.Number("recording interval"));
    const std::string comment = ValidUtf8(SkipExportedDistance(third.Rest()));
    const int64_t interval = numerator * 100 / denominator;

    std::vector<TTextSample> samples;
    std::vector<TKLTBlock> blocks;
    bool extended = false;
    int64_t previousTime = 0;
    while (auto line = lines.Next()) {
        if (line->Empty()) {
            continue;
        }
        if (samples.size() >= static_cast<size_t>(TKLTFile::kMaxSamples)) {
            line->Fail("a training holds at most " + std::to_string(TKLTFile::kMaxSamples) + " samples");
        }
        TTextSample sample;
        sample.power = line->Number("power");
        sample.heartRate = line->Number("heart rate");
        sample.cadence = line->Number("cadence");
        sample.speed = line->Number("speed");
        if (samples.empty()) {
            TLine probe = *line;
            extended = probe.Word("time").find(':') == std::string_view::npos;
        }
        if (!extended) {
            samples.push_back(sample);
            continue;
        }
        sample.altitude = line->Number("altitude");
        sample.temperature = line->Number("temperature");
        const std::string_view timeWord = line->Word("time");
        sample.time = line->TimeOfDay(timeWord);
        // Whole seconds written for an interval like 1.5 s lag the true time by up to 0.99 s; only a
        // step beyond that is a pause.
        const int64_t slack = timeWord.find('.') == std::string_view::npos ? 99 : 0;
        if (samples.empty()) {
            blocks.push_back({static_cast<uint32_t>(sample.time), 0});
        } else {
            // Times are of the day: an earlier one has passed midnight.
            while (sample.time < previousTime) {
                sample.time += kOneDay;
            }
            if (sample.time > INT32_MAX) {
                line->Fail("the times cover too many days");
            }
            if (sample.time - previousTime > interval + slack) {
                if (blocks.size() >= static_cast<size_t>(TKLTFile::kMaxBlocks)) {
                    line->Fail("a training holds at most " + std::to_string(TKLTFile::kMaxBlocks) + " pauses");
                }
                blocks.push_back({static_cast<uint32_t>(sample.time), 0});
            }
        }
        ++blocks.back().count;
        previousTime = sample.time;
        samples.push_back(sample);
    }
    if (samples.empty()) {
        lines.Required("first sample");
    }

    file.Clear();
    TKLTHeader& header = file.EditHeader();
    header.magic = {'K', 'L', 'T', '7'};
    header.date = static_cast<uint16_t>(days);
    header.zeroOffset = zeroOffset;
    header.slope = static_cast<uint16_t>(slope);
    header.intervalNumerator = numerator;
    header.intervalDenominator = denominator;
    file.SetCommentText(comment);
    file.SetSampleCount(static_cast<int>(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i) {
        const TTextSample& s = samples[i];
        file.Sample(static_cast<int>(i) + 1)
            .Set(ImportedRaw(mwaLeistung, s.power), ImportedRaw(mwaTretfrequenz, s.cadence),
                 ImportedRaw(mwaHerzfrequenz, s.heartRate), ImportedRaw(mwaGeschwindigkeit, s.speed),
                 ImportedRaw(mwaHoehe, s.altitude), ImportedRaw(mwaTemperatur, s.temperature));
    }
    file.SetBlocks(std::move(blocks));
    file.Normalise();
    file.Marker(0).name = initials;
    file.MarkModified(); // an import is a new training, to be saved
}

} // namespace klt
