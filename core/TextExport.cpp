#include "core/TextExport.h"

#include <cstdio>
#include <filesystem>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/PRMesWrt.h"

namespace klt {
namespace {

constexpr int64_t kOneDay = 8'640'000;

// Right-aligned in `width`. Text too wide for its column still gets a blank before it, so that it
// never runs into the field before and the columns stay words a reader can split.
std::string Field(const std::string& text, int width) {
    return text.size() >= static_cast<size_t>(width) ? " " + text : std::string(width - text.size(), ' ') + text;
}

// `decimals` after the point; the point is always "." so that the file reads back the same
// whatever the locale.
std::string Field(double value, int width, int decimals = 0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    // "-0" and "-0.0" say nothing a reader should see.
    if (text.starts_with('-') && std::stod(text) == 0.0) {
        text.erase(0, 1);
    }
    return Field(text, width);
}

double Display(TMesswertArtType kind, double raw) { return MesswertArt(kind).ToDisplay(raw); }

} // namespace

std::string TextExportExtension(int markerIndex) {
    if (markerIndex == 0) {
        return ".txt";
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, ".$%02X", static_cast<unsigned>(markerIndex) & 0xFF);
    return buffer;
}

std::string TrainingText(const TKLTFile& file, int markerIndex, TTextExportForm form) {
    if (markerIndex < 0 || markerIndex >= file.MarkerCount()) {
        throw ERangeError("There is no marker " + std::to_string(markerIndex));
    }
    const TKLTMarker& marker = file.Marker(markerIndex);
    const TKLTHeader& header = file.Header();
    const bool withHundredths = file.TimeFormat() == TZeitFormat::ZeitFormatHHMMSSTT;
    const double intervalSeconds =
        header.intervalDenominator == 0 ? 1.0 : static_cast<double>(header.intervalNumerator) / header.intervalDenominator;
    const TCivilDate date = CivilFromDaysSince1880(header.date);
    const TMesswertArt& distance = MesswertArt(mwaStrecke);

    std::string text;
    text += Field(header.zeroOffset, 10) + Field(header.slope / 305.58, 10, 2) + Field(header.circumference, 10) +
            Field(std::filesystem::path(file.FileName()).stem().string(), 10) + Field(markerIndex, 10) + "\n";
    text += Field(date.year, 10) + Field(date.month, 10) + Field(date.day, 10) +
            Field(file.MarkerCount() > 0 ? file.Marker(0).name : std::string(), 10) + "\n";
    text += Field(marker.SampleCount(), 10) + Field(intervalSeconds, 10, 2) +
            Field(distance.ToDisplay(static_cast<double>(marker.Distance())), 10, 2) + distance.UnitShortName() + " " +
            file.Comment() + "\n";

    const int32_t firstTime = marker.SampleCount() > 0 ? file.SampleTime(marker.first) : 0;
    for (int i = marker.first; marker.SampleCount() > 0 && i <= marker.last; ++i) {
        const TSampleElement& sample = file.Sample(i);
        text += Field(Display(mwaLeistung, sample.Power()), 5) + Field(Display(mwaHerzfrequenz, sample.HeartRate()), 5) +
                Field(Display(mwaTretfrequenz, sample.Cadence()), 5) +
                Field(Display(mwaGeschwindigkeit, sample.Speed()), 6, 1);
        const int64_t time = file.SampleTime(i);
        if (form == TTextExportForm::Basic) {
            text += "  " + FormatTimeOfDay(time - firstTime, withHundredths);
        } else {
            // Two blanks and the temperature in at least three places: one blank and four places.
            text += Field(Display(mwaHoehe, sample.Altitude()), 6) + " " +
                    Field(Display(mwaTemperatur, sample.Temperature()), 4, 1) + "  " +
                    FormatTimeOfDay(((time % kOneDay) + kOneDay) % kOneDay, withHundredths);
        }
        text += Field(i - marker.first + 1, 7) + "\n";
    }
    return text;
}

void ExportTrainingText(const TKLTFile& file, int markerIndex, TTextExportForm form, const std::string& path) {
    const std::string text = TrainingText(file, markerIndex, form);
    TAtomicFileWriter writer(path);
    writer.Write(text.data(), text.size());
    writer.Commit();
}

} // namespace klt
