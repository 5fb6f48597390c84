#include "cli/TrainingText.h"

#include <array>
#include <cstdio>

#include "cli/TerminalText.h"
#include "cli/TextTable.h"
#include "core/NumberFormat.h"
#include "core/PRMesWrt.h"

namespace klt::cli {
namespace {

// The recorded channels in the order every listing shows them.
constexpr std::array<TMesswertArtType, 6> kChannels = {mwaLeistung,     mwaTretfrequenz, mwaHerzfrequenz,
                                                       mwaGeschwindigkeit, mwaHoehe,     mwaTemperatur};

int ChannelValue(const TSampleElement& s, TMesswertArtType kind) {
    switch (kind) {
    case mwaLeistung:
        return s.Power();
    case mwaTretfrequenz:
        return s.Cadence();
    case mwaHerzfrequenz:
        return s.HeartRate();
    case mwaGeschwindigkeit:
        return s.Speed();
    case mwaHoehe:
        return s.Altitude();
    default:
        return s.Temperature();
    }
}

std::string Value(TMesswertArtType kind, double raw, int decimals = -1) {
    return MesswertArt(kind).FormatValue(raw, decimals, true);
}

std::string Line(const std::string& label, const std::string& value) {
    return PaddedText(label, 15, false) + Printable(value) + "\n";
}

std::string TimeOfDay(const TKLTFile& file, int64_t time) {
    return FormatTimeOfDay(time, file.TimeFormat() == TZeitFormat::ZeitFormatHHMMSSTT);
}

std::string MarkerTable(const TKLTFile& file) {
    TTextTable table({{"#", 3, true},
                      {"Name", 16, false},
                      {"From", 8, true},
                      {"To", 8, true},
                      {"Start", 11, true},
                      {"Duration", 9, true},
                      {"Ø POW", 11, true},
                      {"Ø HRT", 9, true},
                      {"Ø CAD", 9, true},
                      {"Ø SPD", 11, true},
                      {"Work", 9, true},
                      {"Distance", 10, true},
                      {"Climb", 7, true}});
    for (int i = 0; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        table.AddRow({std::to_string(i), m.name, std::to_string(m.first), std::to_string(m.last),
                      TimeOfDay(file, m.startTime), FormatDuration(m.Duration()),
                      ValueWithUnit(mwaLeistung, static_cast<double>(m.AvgPower())),
                      ValueWithUnit(mwaHerzfrequenz, static_cast<double>(m.AvgHeartRate())),
                      ValueWithUnit(mwaTretfrequenz, static_cast<double>(m.AvgCadence())),
                      ValueWithUnit(mwaGeschwindigkeit, static_cast<double>(m.AvgSpeed())),
                      ValueWithUnit(mwaArbeit, static_cast<double>(m.Work())),
                      ValueWithUnit(mwaStrecke, static_cast<double>(m.Distance()), 2),
                      ValueWithUnit(mwaHoehe, static_cast<double>(m.climb))});
    }
    return table.Text();
}

} // namespace

std::string TrainingSummary(const TKLTFile& file) {
    const TKLTHeader& h = file.Header();
    std::string out;
    out += Line("File", file.FileName());
    out += Line("Format", std::string(h.magic.data(), 4) + (file.Modified() ? " (modified: saving brings it to KLT7)" : ""));
    out += Line("Date", h.date == kNoDate ? "none" : FormatIsoDate(h.date));
    if (file.MarkerCount() > 0) {
        out += Line("Athlete", file.Marker(0).name);
    }
    out += Line("Comment", file.Comment());
    out += Line("Interval", FormatFloatFixed(file.Interval() / 100.0, file.Interval() % 100 == 0 ? 0 : 2, false,
                                             FormatSettings()) + " s");
    out += Line("Circumference", ValueWithUnit(mwaRadumfang, h.circumference));
    out += Line("Zero offset", ValueWithUnit(mwaNullstelle, h.zeroOffset));
    out += Line("Slope", ValueWithUnit(mwaSteigung, h.slope));
    out += Line("Samples", std::to_string(file.SampleCount()) + " in " + std::to_string(file.Blocks().size()) +
                               (file.Blocks().size() == 1 ? " block" : " blocks"));
    for (size_t b = 0; b < file.Blocks().size(); ++b) {
        const TKLTBlock& block = file.Blocks()[b];
        out += Line("Block " + std::to_string(b + 1),
                    TimeOfDay(file, block.start) + "  " + std::to_string(block.count) + " samples");
    }
    const TExtraHeader& extra = file.ExtraHeader();
    out += Line("Battery", std::to_string(extra.batInfo.battery) + " / " + std::to_string(extra.batInfo.battery2));
    out += Line("Sensor", std::to_string(extra.sensorInfo.words[0]) + " " + std::to_string(extra.sensorInfo.words[1]) +
                              " " + std::to_string(extra.sensorInfo.words[2]) + " " +
                              std::to_string(extra.sensorInfo.words[3]));
    out += "\nMarkers\n" + MarkerTable(file);
    return out;
}

std::string SamplesTable(const TKLTFile& file) {
    std::vector<TColumn> columns = {{"Index", 6, true}, {"Time", 11, true}};
    for (TMesswertArtType kind : kChannels) {
        columns.push_back({MesswertArt(kind).DisplayShortName() + " [" + MesswertArt(kind).UnitShortName() + "]", 12, true});
    }
    TTextTable table(std::move(columns));
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        std::vector<std::string> cells = {std::to_string(i), TimeOfDay(file, file.SampleTime(i))};
        for (TMesswertArtType kind : kChannels) {
            cells.push_back(Value(kind, ChannelValue(s, kind)));
        }
        table.AddRow(cells);
    }
    return table.Text();
}

std::string SamplesCsv(const TKLTFile& file) {
    const TFormatSettingsScope plainNumbers({".", ","});
    std::string out = "index,time";
    for (TMesswertArtType kind : kChannels) {
        const TMesswertArt& art = MesswertArt(kind);
        out += "," + TMesswertArt::NameWithUnit(art.Name(), art.UnitShortName());
    }
    out += "\n";
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        out += std::to_string(i) + "," + TimeOfDay(file, file.SampleTime(i));
        for (TMesswertArtType kind : kChannels) {
            out += "," + MesswertArt(kind).FormatValue(ChannelValue(s, kind), -1, false);
        }
        out += "\n";
    }
    return out;
}

} // namespace klt::cli
